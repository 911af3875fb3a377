// The "Input" page: the input format, how PhotoCD pictures are read and
// their settings, and the load settings of the other formats.
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "imaging/convert_file.h"
#include "settings/catalogue.h"
#include "settings/keywords.h"
#include "settings/product.h"
#include "ui/preferences/layout.h"
#include "ui/preferences/pages.h"

namespace pixmera::ui::preferences {

namespace {

// The input format of the settings, one of the program's input list.
void input_format_row(const Place& place) {
  auto* format = new wxChoice(place.form.parent(), wxID_ANY);
  format->SetName(control_name(place.group, "Format"));
  place.form.add("Input Format", format);
  place.sheet.bind(
      [format](const Settings& s) {
        format->Clear();
        for (const std::string& name : s.input_format_list) {
          format->Append(describe_input_format(name));
        }
        const auto hit =
            std::find(s.input_format_list.begin(), s.input_format_list.end(), s.input_format);
        format->SetSelection(hit != s.input_format_list.end()
                                 ? static_cast<int>(hit - s.input_format_list.begin())
                                 : 0);
      },
      [format](Settings& s) {
        const int row = format->GetSelection();
        if (row >= 0 && static_cast<size_t>(row) < s.input_format_list.size()) {
          s.input_format = s.input_format_list[static_cast<size_t>(row)];
        }
      });
}

// The converter that decodes PhotoCD pictures, or that none was found.
void decoder_row(const Place& place) {
  const std::string converter = find_converter();
  auto* decoder = new wxStaticText(
      place.form.parent(), wxID_ANY,
      wxString::FromUTF8(converter.empty() ? catalogue_text("Preferences", "PhotoCD No Decoder")
                                           : converter),
      wxDefaultPosition, wxDefaultSize, wxST_ELLIPSIZE_MIDDLE);
  decoder->SetName("photocd decoder");
  place.form.add("PhotoCD Decoder", decoder);
}

constexpr Row kFormatRows[] = {custom(input_format_row)};

// Below the note on how PhotoCD pictures are read: the decoder, then the
// settings of group "PhotoCD", one row each.
constexpr Row kPhotoCdRows[] = {
    custom(decoder_row),
    keyword("PhotoCD Highlights", kFamilyPhotoCdHighlights).with_tip("PhotoCD Highlights Tip"),
    keyword("PhotoCD Color Space", kFamilyPhotoCdColorSpace).with_tip("PhotoCD Color Space Tip"),
};

constexpr int kLargestRawValue = std::numeric_limits<int32_t>::max();

// The loader families with settings of group "Input".
constexpr FormatRows kOtherFormats[] = {
    {"dds", {keyword("DDS Load As", kFamilyDdsLoadAs)}},
    {"gif", {keyword("GIF Frame Loading", kFamilyFrameLoading)}},
    {"ico", {keyword("ICO Frame Loading", kFamilyFrameLoading)}},
    {"psd", {keyword("PSD Color Mode", kFamilyColorMode)}},
    {"raw",
     {keyword("RAW Load As", kFamilyRawLoadAs), number("RAW Header Size", 0, kLargestRawValue),
      number("RAW Image Width", 0, kLargestSide), number("RAW Image Height", 0, kLargestSide),
      keyword("RAW Tone Mapping", kFamilyRawToneMapping)}},
    {"tiff", {keyword("TIFF Frame Loading", kFamilyFrameLoading)}},
};

}  // namespace

wxWindow* input_page(wxWindow* book, Sheet& sheet) {
  Page page(book, sheet, "Input");
  page.add(Section{.rows = kFormatRows});
  page.add_note("PhotoCD Loading", 520);
  page.add(Section{.rows = kPhotoCdRows, .group = "PhotoCD"});

  const Group others = group_box(page.panel(), "Other Formats");
  wxChoice* formats = add_format_book(others.box, others.sizer, sheet,
                                      {.group = "Input",
                                       .label = "Format",
                                       .name = "input formats",
                                       .formats = kOtherFormats,
                                       .describe = describe_input_format,
                                       .saved = input_type_list()});
  formats->SetSelection(0);
  page.add(others.sizer, spaced().Proportion(1));
  return page.finish();
}

}  // namespace pixmera::ui::preferences
