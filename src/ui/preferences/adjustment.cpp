// The "Adjustment" page: colour correction and effects.
#include "settings/keywords.h"
#include "ui/preferences/layout.h"
#include "ui/preferences/pages.h"

namespace pixmera::ui::preferences {

namespace {

constexpr Row kColourRows[] = {
    tick("Do Image Color Correction"),
    tick("Image Invert"),
    number("Image Brightness", -100, 100),
    number("Image Contrast", -100, 100),
    // 0.01 to 9.99, the range the conversion accepts; 1.00 for anything else.
    decimal("Image Gamma", 1, 999, 100),
};

constexpr Row kEffectRows[] = {
    tick("Do Image Greyscale"),
    blank(),
    tick("Do Image Threshold"),
    number("Image Threshold", 0, 255).on_while("Do Image Threshold"),
    tick("Do Image Dither"),
    keyword("Image Dither Algorithm", kFamilyDitherAlgorithm)
        .with_tip("Image Dither Algorithm Tip")
        .on_while("Do Image Dither"),
};

constexpr Section kAdjustment[] = {
    {.title = "Color Correction",
     .rows = kColourRows,
     .pairs = 2,
     .on = {"Do Image Color Correction"}},
    {.title = "Effects", .rows = kEffectRows, .pairs = 2},
};

}  // namespace

wxWindow* adjustment_page(wxWindow* book, Sheet& sheet) {
  return section_page(book, sheet, "Adjustment", kAdjustment);
}

}  // namespace pixmera::ui::preferences
