// The "Watermark" page: a text or a picture drawn on every picture, with
// the settings of the kind chosen.
#include "imaging/watermark.h"

#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/simplebook.h>

#include <optional>

#include "imaging/watermark_font.h"
#include "settings/keywords.h"
#include "ui/preferences/layout.h"
#include "ui/preferences/pages.h"
#include "util/text.h"

namespace pixmera::ui::preferences {

namespace {

constexpr Row kKindRows[] = {keyword("Do Watermark", kFamilyWatermarkType)};

constexpr Row kTextRows[] = {
    text("Text"),
    text("Fonts"),
    font("Font"),
    number("Font Size", 1, 500),
    keyword("Font Style", kFamilyFontStyle),
    keyword("Font Effect", kFamilyFontEffect),
    number("Font Leading", 0, 999, "Unit Pixels Short"),
    keyword("Text Alignment", kFamilyTextAlignment),
    palette_colour("Font Color", "Font Colors"),
    number("Text Opacity", 0, 255).with_tip("Opacity Tip"),
    palette_colour("Back Color", "Back Colors"),
    number("Back Opacity", 0, 255).with_tip("Opacity Tip"),
    number("Text Padding", 0, 999, "Unit Pixels Short"),
    tick("Text Antialiasing"),
};

constexpr Row kPictureRows[] = {
    picture("Image"),
    tick("Image Greyscale"),
    number("Image Opacity", 0, 255).with_tip("Opacity Tip"),
    blank(),
};

// Where a watermark stands, turned and sized. Each kind has settings of its
// own, named after it: "Text Boundary", "Image Boundary".
constexpr Row kPlacementRows[] = {
    keyword("Boundary", kFamilyBoundary).with_tip("Text Boundary Tip"),
    keyword("Position", kFamilyPosition),
    number("X Offset", 0, kLargestSide, "Unit Pixels Short").with_tip("Offset Tip"),
    number("Y Offset", 0, kLargestSide, "Unit Pixels Short").with_tip("Offset Tip"),
    number("Rotation", 0, 359, "Unit Degrees"),
    keyword("Size", kFamilySize),
    number("Scale", 1, 1000),
};

// One kind's box on its page of the book: its own rows, then its placement.
// Returns the box.
wxWindow* add_kind(wxWindow* panel, Sheet& sheet, std::string_view title_key,
                   std::span<const Row> rows, std::string_view prefix) {
  const Group box = group_box(panel, title_key);
  Form form(box.box, 2);
  add_rows({.form = form, .sheet = sheet, .group = "Watermark"}, rows);
  add_rows({.form = form, .sheet = sheet, .group = "Watermark", .prefix = prefix}, kPlacementRows);
  box.sizer->Add(form.sizer(), spaced());
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(box.sizer, wxSizerFlags().Expand());
  panel->SetSizer(column);
  return box.box;
}

// A text watermark needs a face that opens.
std::optional<Refusal> missing_face(const Settings& s, const Settings& o) {
  const bool font_changed = s.do_watermark != o.do_watermark || s.font != o.font ||
                            s.font_style != o.font_style || s.font_size != o.font_size;
  if (s.do_watermark == kTextWatermark && font_changed &&
      !resolve_watermark_face(s.font, s.font_style).opens) {
    return Refusal{"Watermark/Font", "Invalid watermark font", s.font};
  }
  return std::nullopt;
}

// A picture watermark needs a picture that loads.
std::optional<Refusal> missing_picture(const Settings& s, const Settings& o) {
  const bool picture_changed = s.do_watermark != o.do_watermark || s.image != o.image;
  if (s.do_watermark != kPictureWatermark || !picture_changed) return std::nullopt;
  if (trim_blanks(s.image).empty()) return Refusal{"Watermark/Image", "Empty watermark image", {}};
  if (!load_watermark_picture(s.image)) {
    return Refusal{"Watermark/Image", "Invalid watermark image", s.image};
  }
  return std::nullopt;
}

}  // namespace

wxWindow* watermark_page(wxWindow* book, Sheet& sheet) {
  Page page(book, sheet, "Watermark");
  page.add(Section{.rows = kKindRows});

  // One kind of watermark is drawn at a time: the page shows the settings
  // of the kind chosen (of the text when there is none).
  auto* kinds = new wxSimplebook(page.panel(), wxID_ANY);
  auto* text_panel = new wxPanel(kinds, wxID_ANY);
  auto* picture_panel = new wxPanel(kinds, wxID_ANY);
  wxWindow* text_box = add_kind(text_panel, sheet, "Text Watermark", kTextRows, "Text ");
  add_kind(picture_panel, sheet, "Image Watermark", kPictureRows, "Image ");
  kinds->AddPage(text_panel, wxEmptyString);
  kinds->AddPage(picture_panel, wxEmptyString);
  page.add(kinds, spaced().Proportion(1));

  auto* kind = dynamic_cast<wxChoice*>(page.find("Do Watermark"));
  sheet.enable_when(switched_on(kind, kTextWatermark), all_but(text_box, nullptr));
  sheet.on_update(
      [kinds, kind] { kinds->ChangeSelection(kind->GetSelection() == kPictureWatermark ? 1 : 0); });
  sheet.refuse(missing_face);
  sheet.refuse(missing_picture);
  return page.finish();
}

}  // namespace pixmera::ui::preferences
