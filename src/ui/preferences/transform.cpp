// The "Transform" page: rotation, resize and flip.
#include <wx/choice.h>
#include <wx/spinctrl.h>

#include <algorithm>
#include <optional>

#include "settings/keywords.h"
#include "ui/preferences/layout.h"
#include "ui/preferences/pages.h"

namespace pixmera::ui::preferences {

namespace {

constexpr Row kRotationRows[] = {
    tick("Do Image Rotation"),
    blank(),  // the tick stands alone in its line
    keyword("Image Rotation Type", kFamilyRotationType),
    number("Image Rotation", 0, 359, "Unit Degrees"),
    colour("Image Rotation Back Color"),
};

constexpr Row kResizeRows[] = {
    tick("Do Image Resize"),
    tick("Keep Aspect Ratio"),
    number("Image Width", 0, kLargestSide),
    keyword("Image Width Unit", kFamilyUnit),
    number("Image Height", 0, kLargestSide),
    keyword("Image Height Unit", kFamilyUnit),
    keyword("Image Resize Type", kFamilyResizeType).with_tip("Image Resize Type Tip"),
    keyword("Image Resize Algorithm", kFamilyResizeAlgorithm),
};

constexpr Row kFlipRows[] = {
    tick("Do Image Flip Horizontal"),
    tick("Do Image Flip Vertical"),
};

constexpr Section kTransform[] = {
    {.title = "Rotation", .rows = kRotationRows, .pairs = 2, .on = {"Do Image Rotation"}},
    {.title = "Resize", .rows = kResizeRows, .pairs = 2, .on = {"Do Image Resize"}},
    {.title = "Flip", .rows = kFlipRows, .pairs = 2},
};

// A side in percent goes up to kLargestPercent, in pixels to
// kLargestSide: the range follows the unit chosen, and what is stored is
// held to the range of the unit stored with it.
void follow_unit(Page& page, Sheet& sheet, std::string_view side_key, std::string_view unit_key,
                 int32_t Settings::*side_member, uint8_t Settings::*unit_member) {
  static constexpr int kPercent = 1;
  const auto largest = [](int32_t unit_code) {
    return unit_code == kPercent ? kLargestPercent : kLargestSide;
  };
  auto* side = dynamic_cast<wxSpinCtrl*>(page.find(side_key));
  auto* unit = dynamic_cast<wxChoice*>(page.find(unit_key));
  unit->Bind(wxEVT_CHOICE, [side, unit, largest](wxCommandEvent& event) {
    side->SetRange(0, largest(unit->GetSelection()));
    event.Skip();
  });
  sheet.prepare([side, largest, unit_member](const Settings& s) {
    side->SetRange(0, largest(s.*unit_member));
  });
  sheet.bind([](const Settings&) {},
             [largest, side_member, unit_member](Settings& s) {
               s.*side_member = std::clamp(s.*side_member, 0, largest(s.*unit_member));
             });
}

// A resize needs both sides.
std::optional<Refusal> missing_side(const Settings& s, const Settings& o) {
  const bool resize_changed = s.do_image_resize != o.do_image_resize ||
                              s.image_width != o.image_width || s.image_height != o.image_height;
  if (s.do_image_resize == 0 || !resize_changed) return std::nullopt;
  if (s.image_width == 0) return Refusal{"Transform/Image Width", "Invalid width", {}};
  if (s.image_height == 0) return Refusal{"Transform/Image Height", "Invalid height", {}};
  return std::nullopt;
}

}  // namespace

wxWindow* transform_page(wxWindow* book, Sheet& sheet) {
  Page page(book, sheet, "Transform");
  page.add(kTransform);
  follow_unit(page, sheet, "Image Width", "Image Width Unit", &Settings::image_width,
              &Settings::image_width_unit);
  follow_unit(page, sheet, "Image Height", "Image Height Unit", &Settings::image_height,
              &Settings::image_height_unit);
  sheet.refuse(missing_side);
  return page.finish();
}

}  // namespace pixmera::ui::preferences
