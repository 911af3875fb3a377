// The "Frame" page: a solid frame, its border widths and colours.
#include "ui/preferences/layout.h"
#include "ui/preferences/pages.h"

namespace pixmera::ui::preferences {

namespace {

constexpr Row border(std::string_view key) {
  return number(key, 0, kLargestSide, "Unit Pixels Short");
}

constexpr Row kFrameRows[] = {
    tick("Do Frame"),
    number("Solid Opacity", 0, 255).with_tip("Opacity Tip").on_while("Do Frame"),
};

constexpr Row kWidthRows[] = {
    border("Solid Left"),
    border("Solid Right"),
    border("Solid Top"),
    border("Solid Bottom"),
};

constexpr Row kColourRows[] = {
    colour("Solid Left Color"),
    colour("Solid Right Color"),
    colour("Solid Top Color"),
    colour("Solid Bottom Color"),
};

constexpr Section kFrame[] = {
    {.rows = kFrameRows},
    {.title = "Border Widths", .rows = kWidthRows, .pairs = 2, .on = {"Do Frame"}},
    {.title = "Border Colors", .rows = kColourRows, .pairs = 2, .on = {"Do Frame"}},
};

}  // namespace

wxWindow* frame_page(wxWindow* book, Sheet& sheet) {
  return section_page(book, sheet, "Frame", kFrame);
}

}  // namespace pixmera::ui::preferences
