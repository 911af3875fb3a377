// "Preferences": every setting a user may change, on nine pages. The dialog
// works on a copy of the Settings record; OK checks what changed the way a
// conversion would, stores only the settings that changed and saves the
// configuration file at once. Cancel leaves the record and the file alone.
//
// Each control is named by the group and key of its setting
// ("Output/TIFF Compression"), so a setting can be found in the dialog by
// its name.
#include <wx/bmpcbox.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/colordlg.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/fontdlg.h>
#include <wx/listbook.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/simplebook.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/convert_file.h"
#include "imaging/operations.h"
#include "imaging/watermark.h"
#include "imaging/watermark_font.h"
#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "pipeline/naming_mask.h"
#include "settings/catalogue.h"
#include "settings/colour_names.h"
#include "settings/config_file.h"
#include "settings/keywords.h"
#include "settings/product.h"
#include "settings/recent_folders.h"
#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/theme_archive.h"
#include "ui/toolkit.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

wxString text_of(std::string_view key) {
  return wxString::FromUTF8(catalogue_text("Preferences", key));
}

std::string control_name(std::string_view group, std::string_view key) {
  return std::string(group) + "/" + std::string(key);
}

const SettingField& field_of(std::string_view group, std::string_view key) {
  const SettingField* field = find_setting(group, key);
  // Every control names a row of the settings table; a typo is caught by the
  // first test that opens the dialog.
  if (field == nullptr) {
    debug_note("Preferences: no setting " + control_name(group, key));
    std::abort();
  }
  return *field;
}

// The pages, in the order PreferencesPage counts them.
constexpr std::array<std::string_view, 9> kPageKeys = {"General", "Interface", "Input",
                                                       "Output",  "Transform", "Adjustment",
                                                       "Frame",   "Watermark", "Advanced"};

// The page shown when the dialog was last closed, for item 17.
int g_last_page = 0;

// --- Limits ------------------------------------------------------------------
// The ranges of the number controls: what the conversion checks (brightness,
// contrast, gamma, qualities) and what its operations can use (angles of 0
// to 359 degrees, opacities and the threshold are bytes, a font needs a
// positive size). Resize sides stay within what a PhotoCD picture can be
// scaled to without passing the resize's own size limit.

constexpr int kLargestSide = 65535;
constexpr int kLargestPercent = 400;

// --- The output and input format rows -----------------------------------------

enum class Control { None, Depth, Keyword, Quality, Flag, Number };

struct Option {
  Control control = Control::None;
  std::string_view key;
  int32_t family = -1;
  // The words of the family that apply to this format; all of them when empty.
  std::span<const std::string_view> words{};
  int low = 0;
  int high = 0;
};

// Which compressions each format knows; the family shares its codes.
constexpr std::string_view kRunLength[] = {"NONE", "RLE"};
constexpr std::string_view kExrCompression[] = {"NONE", "ZIP", "PIZ", "PXR24", "B44"};
constexpr std::string_view kPngCompression[] = {"NONE", "ZLIB1", "ZLIB6", "ZLIB9"};
constexpr std::string_view kTiffCompression[] = {"NONE",     "CCITTFAX3", "CCITTFAX4",
                                                 "PACKBITS", "DEFLATE",   "ADOBEDEFLATE",
                                                 "LZW",      "JPEG",      "LOGLUV"};

struct FormatRow {
  std::string_view format;
  std::array<Option, 5> options;
};

constexpr Option depth(std::string_view key) { return {Control::Depth, key}; }
constexpr Option keyword(std::string_view key, int32_t family,
                         std::span<const std::string_view> words = {}) {
  return {Control::Keyword, key, family, words};
}

// Every format with settings of group "Output", in the order the
// configuration file writes them.
constexpr FormatRow kOutputRows[] = {
    {"bmp",
     {depth("BMP BPP"), keyword("BMP Compression", kFamilyCompression, kRunLength),
      keyword("BMP Color Table", kFamilyBmpColorTable)}},
    {"dds", {depth("DDS BPP")}},
    {"exr", {depth("EXR BPP"), keyword("EXR Compression", kFamilyCompression, kExrCompression)}},
    {"gif", {depth("GIF BPP")}},
    {"hdr", {depth("HDR BPP")}},
    {"ico", {depth("ICO BPP")}},
    {"j2k", {depth("J2K BPP")}},
    {"jng", {depth("JNG BPP")}},
    {"jp2", {depth("JP2 BPP")}},
    {"jpg",
     {depth("JPG BPP"), Option{Control::Quality, "JPG Quality"},
      keyword("JPG Chroma", kFamilyJpegChroma), keyword("JPG Save As", kFamilyJpegSaveAs)}},
    {"jxr", {depth("JXR BPP")}},
    {"pbm", {depth("PBM BPP")}},
    {"pcx", {depth("PCX BPP")}},
    {"pfm", {depth("PFM BPP")}},
    {"pgm", {depth("PGM BPP")}},
    {"png",
     {depth("PNG BPP"), keyword("PNG Compression", kFamilyCompression, kPngCompression),
      Option{Control::Flag, "PNG Interlaced"}}},
    {"ppm", {depth("PPM BPP")}},
    {"psd", {depth("PSD BPP")}},
    {"tga", {depth("TGA BPP"), keyword("TGA Compression", kFamilyCompression, kRunLength)}},
    {"tiff",
     {depth("TIFF BPP"), keyword("TIFF Compression", kFamilyCompression, kTiffCompression),
      keyword("TIFF Color Mode", kFamilyColorMode)}},
    {"wbmp", {depth("WBMP BPP")}},
    {"webp", {depth("WEBP BPP"), Option{Control::Quality, "WEBP Quality"}}},
    {"xpm", {depth("XPM BPP")}},
};

constexpr int kLargestRawValue = std::numeric_limits<int32_t>::max();

// The loader families with settings of group "Input"; PhotoCD, the input of
// this product, has none.
constexpr FormatRow kInputRows[] = {
    {"dds", {keyword("DDS Load As", kFamilyDdsLoadAs)}},
    {"gif", {keyword("GIF Frame Loading", kFamilyFrameLoading)}},
    {"ico", {keyword("ICO Frame Loading", kFamilyFrameLoading)}},
    {"psd", {keyword("PSD Color Mode", kFamilyColorMode)}},
    {"raw",
     {keyword("RAW Load As", kFamilyRawLoadAs),
      Option{Control::Number, "RAW Header Size", -1, {}, 0, kLargestRawValue},
      Option{Control::Number, "RAW Image Width", -1, {}, 0, kLargestSide},
      Option{Control::Number, "RAW Image Height", -1, {}, 0, kLargestSide},
      keyword("RAW Tone Mapping", kFamilyRawToneMapping)}},
    {"tiff", {keyword("TIFF Frame Loading", kFamilyFrameLoading)}},
};

// --- Small pieces ----------------------------------------------------------------

// A code and the text the choice shows for it.
struct Entry {
  int32_t code;
  wxString text;
};

std::vector<Entry> keyword_entries(int32_t family, std::span<const std::string_view> words) {
  std::vector<Entry> entries;
  for (const Keyword& keyword : keyword_family(family)) {
    if (!words.empty() && std::find(words.begin(), words.end(), keyword.word) == words.end()) {
      continue;
    }
    entries.push_back(
        {keyword.code, wxString::FromUTF8(keyword_display_text(family, keyword.word))});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.code < b.code; });
  return entries;
}

// "Automatic" for 0, then each depth the output format table allows.
std::vector<Entry> depth_entries(std::string_view format) {
  std::vector<Entry> entries{{0, text_of("Bit Depth Automatic")}};
  for (const std::string& field : split(allowed_bpp_of(format), ',')) {
    const int32_t depth = std::atoi(field.c_str());
    if (depth <= 0) continue;
    entries.push_back({depth, wxString::FromUTF8(format_placeholders(
                                  catalogue_text("Preferences", "Bit Depth Value"), field))});
  }
  return entries;
}

wxColour wx_colour(std::string_view hex) {
  const Rgb rgb = colour_from_hex(trim_blanks(hex));
  return wxColour(rgb.red, rgb.green, rgb.blue);
}

std::string hex_of(const wxColour& colour) {
  return to_upper(colour.GetAsString(wxC2S_HTML_SYNTAX).utf8_string().substr(1));
}

// The 16 x 16 sample of a colour beside its name.
wxBitmap swatch(std::string_view hex) {
  wxBitmap bitmap(16, 16);
  wxMemoryDC dc(bitmap);
  dc.SetPen(wxPen(wxColour(96, 96, 96)));
  dc.SetBrush(wxBrush(wx_colour(hex)));
  dc.DrawRectangle(0, 0, 16, 16);
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

std::vector<std::string> palette_of(std::string_view list) {
  std::vector<std::string> colours;
  for (const std::string& entry : split(list, ',')) {
    const std::string colour(trim_blanks(entry));
    if (!colour.empty()) colours.push_back(colour);
  }
  return colours;
}

std::string joined(const std::vector<std::string>& parts, char separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

std::string with_trailing_slash(std::string folder) {
  if (!folder.empty() && !folder.ends_with('/')) folder += '/';
  return folder;
}

// The name the mask gives the first picture of a PhotoCD disc converted to
// TIFF at 24 bits: what the user sees as the example.
std::string example_name(std::string_view mask, int32_t tiff_bpp) {
  CurrentFile sample;
  sample.input_path = "/media/cdrom/PHOTO_CD/IMAGES/IMG0001.PCD";
  sample.conversion_type = accepted_conversion_list().front();
  sample.output_bpp = tiff_bpp != 0 ? tiff_bpp : 24;
  sample.mask_width = 3072;
  sample.mask_height = 2048;
  sample.random_number = 4711;
  sample.file_counter = 1;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return file_name_for(mask, sample, local);
}

// A name a file can have in the output folder: not empty, no folder part.
bool usable_file_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// --- A two-column (or four-column) form of labels and controls -------------------

class Form {
 public:
  Form(wxWindow* parent, int pairs = 1)
      : parent_(parent), grid_(new wxFlexGridSizer(pairs * 2, kGap, kGap * 2)) {
    for (int i = 0; i < pairs; ++i) grid_->AddGrowableCol(i * 2 + 1, 1);
  }

  wxWindow* parent() const { return parent_; }
  wxFlexGridSizer* sizer() const { return grid_; }

  // A label (the catalogue text of `label_key`, or none) and the control.
  wxStaticText* add(std::string_view label_key, wxWindow* control) {
    wxStaticText* label = add_label(label_key);
    grid_->Add(control, wxSizerFlags().Expand().CenterVertical());
    return label;
  }
  wxStaticText* add(std::string_view label_key, wxSizer* controls) {
    wxStaticText* label = add_label(label_key);
    grid_->Add(controls, wxSizerFlags().Expand().CenterVertical());
    return label;
  }

 private:
  static constexpr int kGap = 6;

  wxStaticText* add_label(std::string_view key) {
    if (key.empty()) {
      grid_->AddSpacer(0);
      return nullptr;
    }
    auto* label = new wxStaticText(parent_, wxID_ANY, text_of(key));
    grid_->Add(label, wxSizerFlags().CenterVertical());
    return label;
  }

  wxWindow* parent_;
  wxFlexGridSizer* grid_;
};

// A framed group of controls on a page.
struct Group {
  wxStaticBoxSizer* sizer;
  wxWindow* box;
};

Group group_box(wxWindow* page, std::string_view title_key) {
  auto* sizer = new wxStaticBoxSizer(wxVERTICAL, page, text_of(title_key));
  return {sizer, sizer->GetStaticBox()};
}

wxSizerFlags spaced() { return wxSizerFlags().Expand().Border(wxALL, 6); }

// --- The dialog -------------------------------------------------------------------

// A button showing a colour's swatch and name; it opens the colour dialog.
class ColourButton : public wxButton {
 public:
  ColourButton(wxWindow* parent, const std::string& name) : wxButton(parent, wxID_ANY) {
    SetName(name);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { choose(); });
  }

  const std::string& colour() const { return colour_; }
  void set_colour(const std::string& colour) {
    colour_ = colour;
    SetLabel(wxString::FromUTF8(colour_display_name(trim_blanks(colour))));
    SetBitmap(swatch(colour));
  }

 private:
  void choose() {
    wxColourData data;
    data.SetChooseFull(true);
    data.SetColour(wx_colour(colour_));
    wxColourDialog dialog(this, &data);
    if (dialog.ShowModal() != wxID_OK) return;
    set_colour(hex_of(dialog.GetColourData().GetColour()));
  }

  std::string colour_;
};

class PreferencesDialog : public wxDialog {
 public:
  PreferencesDialog(wxWindow* parent, PreferencesPage page)
      : wxDialog(parent, wxID_ANY, text_of("Title"), wxDefaultPosition, wxDefaultSize,
                 wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
        original_(g_settings),
        edited_(g_settings) {
    SetName("preferences dialog");
    pages_ = new wxListbook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLB_LEFT);
    pages_->SetName("pages");
    add_page(general_page());
    add_page(interface_page());
    add_page(input_page());
    add_page(output_page());
    add_page(transform_page());
    add_page(adjustment_page());
    add_page(frame_page());
    add_page(watermark_page());
    add_page(advanced_page());
    // Filled before the dialog takes its size, so lists measure their entries.
    show_all();
    // Any tick or choice may switch other controls on or off.
    Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) {
      update_enabled();
      event.Skip();
    });
    Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
      update_enabled();
      event.Skip();
    });

    auto* reset = new wxButton(this, wxID_ANY, text_of("Reset to Defaults"));
    reset->SetName("reset to defaults");
    reset->SetToolTip(text_of("Reset to Defaults Tip"));
    reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { reset_to_defaults(); });
    wxStdDialogButtonSizer* buttons = CreateStdDialogButtonSizer(wxOK | wxCANCEL);
    FindWindow(wxID_OK)->SetLabel(wxString::FromUTF8(catalogue_text("Dialog", "OK")));
    FindWindow(wxID_CANCEL)->SetLabel(wxString::FromUTF8(catalogue_text("Dialog", "Cancel")));
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { accept(); }, wxID_OK);

    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    bottom->Add(reset, wxSizerFlags().CenterVertical());
    bottom->AddStretchSpacer();
    bottom->Add(buttons, wxSizerFlags().CenterVertical());
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(pages_, wxSizerFlags(1).Expand().Border(wxALL, 8));
    top->Add(bottom, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxBOTTOM, 8));
    SetSizer(top);
    use_compact_style(this);
    Fit();

    int first = page == PreferencesPage::LastShown ? g_last_page : static_cast<int>(page);
    if (first < 0 || first >= static_cast<int>(pages_->GetPageCount())) first = 0;
    pages_->ChangeSelection(static_cast<size_t>(first));
    CentreOnParent();
  }

  ~PreferencesDialog() override { g_last_page = pages_->GetSelection(); }

 private:
  // One control and the setting(s) it shows: `show` fills it from the
  // working copy, `take` writes it back.
  struct Binding {
    std::function<void(const Settings&)> show;
    std::function<void(Settings&)> take;
  };

  // Controls switched on only while `condition` holds.
  struct EnableRule {
    std::function<bool()> condition;
    std::vector<wxWindow*> windows;
  };

  void add_page(wxWindow* page) {
    const size_t index = pages_->GetPageCount();
    page->SetName(std::string(kPageKeys[index]));
    pages_->AddPage(page, text_of(kPageKeys[index]));
  }

  wxPanel* new_page() { return new wxPanel(pages_, wxID_ANY); }

  void finish_page(wxPanel* page, wxSizer* content) {
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(content, wxSizerFlags(1).Expand().Border(wxALL, 6));
    page->SetSizer(outer);
  }

  void show_all() {
    for (const Binding& binding : bindings_) binding.show(edited_);
    update_enabled();
    update_font_state();
    update_example();
  }

  void take_all() {
    for (const Binding& binding : bindings_) binding.take(edited_);
  }

  void update_enabled() {
    for (const EnableRule& rule : enable_rules_) {
      const bool on = rule.condition();
      for (wxWindow* window : rule.windows) {
        if (window != nullptr) window->Enable(on);
      }
    }
    if (input_book_ != nullptr && input_rows_->GetSelection() >= 0) {
      input_book_->ChangeSelection(static_cast<size_t>(input_rows_->GetSelection()));
    }
    if (output_book_ != nullptr && output_rows_->GetSelection() >= 0) {
      output_book_->ChangeSelection(static_cast<size_t>(output_rows_->GetSelection()));
    }
    if (kinds_ != nullptr)
      kinds_->ChangeSelection(kind_->GetSelection() == kPictureWatermark ? 1 : 0);
  }

  void enable_when(std::function<bool()> condition, std::vector<wxWindow*> windows) {
    enable_rules_.push_back({std::move(condition), std::move(windows)});
  }

  // Every window in a group box but the switch that turns the group on.
  static std::vector<wxWindow*> all_but(wxWindow* box, wxWindow* master) {
    std::vector<wxWindow*> windows;
    for (wxWindow* child : box->GetChildren()) {
      if (child != master) windows.push_back(child);
    }
    return windows;
  }

  // --- Control builders: each makes the control, names it after its
  // setting and binds it.

  wxCheckBox* check(Form& form, std::string_view group, std::string_view key) {
    const SettingField& field = field_of(group, key);
    auto* box = new wxCheckBox(form.parent(), wxID_ANY, text_of(key));
    box->SetName(control_name(group, key));
    const std::string tip = catalogue_text("Preferences", std::string(key) + " Tip");
    if (tip != kNoStringError) box->SetToolTip(wxString::FromUTF8(tip));
    form.add({}, box);
    bindings_.push_back(
        {[box, &field](const Settings& s) { box->SetValue(setting_int(s, field) != 0); },
         [box, &field](Settings& s) { set_setting_int(s, field, box->GetValue() ? 1 : 0); }});
    return box;
  }

  // A choice of codes; a stored code that is none of them shows entry
  // `fallback`.
  wxChoice* choice(Form& form, std::string_view group, std::string_view key,
                   std::vector<Entry> entries, int fallback = 0, std::string_view label_key = {}) {
    const SettingField& field = field_of(group, key);
    auto* list = new wxChoice(form.parent(), wxID_ANY);
    list->SetName(control_name(group, key));
    std::vector<int32_t> codes;
    for (const Entry& entry : entries) {
      list->Append(entry.text);
      codes.push_back(entry.code);
    }
    form.add(label_key.empty() ? key : label_key, list);
    bindings_.push_back(
        {[list, codes, fallback, &field](const Settings& s) {
           const auto hit = std::find(codes.begin(), codes.end(), setting_int(s, field));
           list->SetSelection(hit != codes.end() ? static_cast<int>(hit - codes.begin())
                                                 : fallback);
         },
         [list, codes, &field](Settings& s) {
           const int row = list->GetSelection();
           if (row >= 0) set_setting_int(s, field, codes[static_cast<size_t>(row)]);
         }});
    return list;
  }

  wxChoice* keyword_choice(Form& form, std::string_view group, std::string_view key, int32_t family,
                           std::span<const std::string_view> words = {}) {
    return choice(form, group, key, keyword_entries(family, words));
  }

  wxSpinCtrl* number(Form& form, std::string_view group, std::string_view key, int low, int high,
                     std::string_view unit_key = {}) {
    const SettingField& field = field_of(group, key);
    auto* spin = new wxSpinCtrl(form.parent(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                                wxDefaultSize, wxSP_ARROW_KEYS, low, high, low);
    spin->SetName(control_name(group, key));
    const std::string tip = catalogue_text("Preferences", std::string(key) + " Tip");
    if (tip != kNoStringError) spin->SetToolTip(wxString::FromUTF8(tip));
    if (unit_key.empty()) {
      form.add(key, spin);
    } else {
      auto* row = new wxBoxSizer(wxHORIZONTAL);
      row->Add(spin, wxSizerFlags(1).CenterVertical());
      row->Add(new wxStaticText(form.parent(), wxID_ANY, text_of(unit_key)),
               wxSizerFlags().CenterVertical().Border(wxLEFT, 4));
      form.add(key, row);
    }
    bindings_.push_back(
        {[spin, &field](const Settings& s) {
           spin->SetValue(std::clamp(setting_int(s, field), spin->GetMin(), spin->GetMax()));
         },
         [spin, &field](Settings& s) { set_setting_int(s, field, spin->GetValue()); }});
    return spin;
  }

  wxTextCtrl* text(Form& form, std::string_view group, std::string_view key) {
    const SettingField& field = field_of(group, key);
    auto* entry = new wxTextCtrl(form.parent(), wxID_ANY);
    entry->SetName(control_name(group, key));
    const std::string tip = catalogue_text("Preferences", std::string(key) + " Tip");
    if (tip != kNoStringError) entry->SetToolTip(wxString::FromUTF8(tip));
    form.add(key, entry);
    bindings_.push_back({[entry, &field](const Settings& s) {
                           entry->ChangeValue(wxString::FromUTF8(setting_text(s, field)));
                         },
                         [entry, &field](Settings& s) {
                           set_setting_text(s, field, entry->GetValue().utf8_string());
                         }});
    return entry;
  }

  ColourButton* colour(Form& form, std::string_view group, std::string_view key) {
    const SettingField& field = field_of(group, key);
    auto* button = new ColourButton(form.parent(), control_name(group, key));
    form.add(key, button);
    bindings_.push_back(
        {[button, &field](const Settings& s) { button->set_colour(setting_text(s, field)); },
         [button, &field](Settings& s) { set_setting_text(s, field, button->colour()); }});
    return button;
  }

  // A colour chosen from a palette setting ("Font Colors"), each entry with
  // its swatch and name; "Add Color..." adds a colour to the palette.
  wxBitmapComboBox* palette_colour(Form& form, std::string_view group, std::string_view key,
                                   std::string_view palette_key) {
    const SettingField& colour_field = field_of(group, key);
    const SettingField& palette_field = field_of(group, palette_key);
    auto* list = new wxBitmapComboBox(form.parent(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                                      wxDefaultSize, 0, nullptr, wxCB_READONLY);
    list->SetName(control_name(group, key));
    auto* add = new wxButton(form.parent(), wxID_ANY, text_of("Add Color"));
    add->SetName(control_name(group, palette_key));
    add->SetToolTip(text_of(palette_key));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(list, wxSizerFlags(1).CenterVertical());
    row->Add(add, wxSizerFlags().CenterVertical().Border(wxLEFT, 4));
    form.add(key, row);

    // The palette and the colours the list shows: the palette, then the
    // chosen colour when the palette lacks it.
    struct State {
      std::vector<std::string> palette;
      std::vector<std::string> shown;
    };
    auto state = std::make_shared<State>();
    const auto fill = [list, state](const std::string& chosen) {
      state->shown = state->palette;
      const auto named = [&chosen](const std::string& c) { return equals_ignore_case(c, chosen); };
      if (std::none_of(state->shown.begin(), state->shown.end(), named)) {
        state->shown.push_back(chosen);
      }
      list->Clear();
      for (const std::string& c : state->shown) {
        list->Append(wxString::FromUTF8(colour_display_name(c)), swatch(c));
      }
      const auto hit = std::find_if(state->shown.begin(), state->shown.end(), named);
      list->SetSelection(static_cast<int>(hit - state->shown.begin()));
    };
    add->Bind(wxEVT_BUTTON, [this, list, state, fill](wxCommandEvent&) {
      wxColourData data;
      data.SetChooseFull(true);
      const int selected = list->GetSelection();
      if (selected >= 0) data.SetColour(wx_colour(state->shown[static_cast<size_t>(selected)]));
      wxColourDialog dialog(this, &data);
      if (dialog.ShowModal() != wxID_OK) return;
      const std::string chosen = hex_of(dialog.GetColourData().GetColour());
      const auto named = [&chosen](const std::string& c) { return equals_ignore_case(c, chosen); };
      if (std::none_of(state->palette.begin(), state->palette.end(), named)) {
        state->palette.push_back(chosen);
      }
      fill(chosen);
    });
    bindings_.push_back({[state, fill, &colour_field, &palette_field](const Settings& s) {
                           state->palette = palette_of(setting_text(s, palette_field));
                           fill(setting_text(s, colour_field));
                         },
                         [list, state, &colour_field, &palette_field](Settings& s) {
                           set_setting_text(s, palette_field, joined(state->palette, ','));
                           const int selected = list->GetSelection();
                           if (selected >= 0) {
                             set_setting_text(s, colour_field,
                                              state->shown[static_cast<size_t>(selected)]);
                           }
                         }});
    return list;
  }

  enum class PathKind { Picture, Folder };

  // A path field with "Browse..."; the caller binds it.
  wxTextCtrl* path(Form& form, std::string_view group, std::string_view key, PathKind kind,
                   std::string_view label_key) {
    auto* entry = new wxTextCtrl(form.parent(), wxID_ANY);
    entry->SetName(control_name(group, key));
    auto* browse = new wxButton(form.parent(), wxID_ANY, text_of("Browse"));
    browse->SetName(control_name(group, key) + " browse");
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(entry, wxSizerFlags(1).CenterVertical());
    row->Add(browse, wxSizerFlags().CenterVertical().Border(wxLEFT, 4));
    form.add(label_key, row);
    browse->Bind(wxEVT_BUTTON, [this, entry, kind](wxCommandEvent&) {
      if (kind == PathKind::Folder) {
        wxDirDialog dialog(this,
                           wxString::FromUTF8(catalogue_text("Dialog", "Select Output Folder")),
                           entry->GetValue());
        if (dialog.ShowModal() == wxID_OK) {
          entry->SetValue(wxString::FromUTF8(with_trailing_slash(dialog.GetPath().utf8_string())));
        }
        return;
      }
      const std::string filter = catalogue_text("Dialog", "Image Files") +
                                 "|*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff;*.tga|" +
                                 catalogue_text("Dialog", "All Files") + " (*.*)|*.*";
      wxFileDialog dialog(
          this, wxString::FromUTF8(catalogue_text("Dialog", "Select Watermark Image")),
          wxEmptyString, entry->GetValue(), wxString::FromUTF8(case_insensitive_filter(filter)),
          wxFD_OPEN | wxFD_FILE_MUST_EXIST);
      if (dialog.ShowModal() == wxID_OK) entry->SetValue(dialog.GetPath());
    });
    return entry;
  }

  // --- Pages

  wxWindow* general_page() {
    wxPanel* page = new_page();
    auto* content = new wxBoxSizer(wxVERTICAL);

    Form language(page);
    // The catalogue holds English only, so that is the one language offered.
    auto* languages = new wxChoice(page, wxID_ANY);
    languages->SetName("General/Language");
    languages->Append(text_of("English"));
    language.add("Language", languages);
    bindings_.push_back({[languages](const Settings&) { languages->SetSelection(0); },
                         [](Settings& s) { s.language = "en"; }});
    content->Add(language.sizer(), spaced());

    Group updates = group_box(page, "Updates");
    Form update_form(updates.box);
    const std::vector<Entry> ranges = {
        {0, text_of("Update Every Day")},        {1, text_of("Update Every Week")},
        {2, text_of("Update Every Month")},      {3, text_of("Update Every Three Months")},
        {4, text_of("Update Every Six Months")}, {5, text_of("Update Never")}};
    // Any other value counts as 30 days.
    choice(update_form, "General", "Update Range", ranges, 2)
        ->SetToolTip(text_of("Update Range Tip"));
    auto* last_check = new wxStaticText(updates.box, wxID_ANY, wxEmptyString);
    last_check->SetName("last update check");
    auto* check_now = new wxButton(updates.box, wxID_ANY, text_of("Check Now"));
    check_now->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { check_for_new_version(this); });
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(last_check, wxSizerFlags(1).CenterVertical());
    row->Add(check_now, wxSizerFlags().CenterVertical().Border(wxLEFT, 8));
    update_form.add("Update Date", row);
    bindings_.push_back({[last_check](const Settings& s) {
                           last_check->SetLabel(
                               s.update_date > 0
                                   ? wxDateTime(static_cast<time_t>(s.update_date)).Format("%c")
                                   : text_of("Update Never"));
                         },
                         [](Settings&) {}});
    updates.sizer->Add(update_form.sizer(), spaced());
    content->Add(updates.sizer, spaced());

    Group window = group_box(page, "Window");
    Form window_form(window.box);
    check(window_form, "General", "Save Window Position");
    window.sizer->Add(window_form.sizer(), spaced());
    content->Add(window.sizer, spaced());

    finish_page(page, content);
    return page;
  }

  wxWindow* interface_page() {
    wxPanel* page = new_page();
    auto* content = new wxBoxSizer(wxVERTICAL);
    Form form(page);
    // The themes found, and the one the settings name even when it is gone,
    // so it is not lost by looking.
    std::vector<std::string> names;
    for (const auto& [name, file] : list_themes(theme_folders())) names.push_back(name);
    auto* themes = new wxChoice(page, wxID_ANY);
    themes->SetName("Interface/UI Theme");
    themes->SetToolTip(text_of("UI Theme Tip"));
    form.add("UI Theme", themes);
    bindings_.push_back({[themes, names](const Settings& s) {
                           std::vector<std::string> shown = names;
                           if (std::find(shown.begin(), shown.end(), s.ui_theme) == shown.end()) {
                             shown.push_back(s.ui_theme);
                           }
                           themes->Clear();
                           for (const std::string& name : shown) {
                             themes->Append(wxString::FromUTF8(name));
                           }
                           themes->SetStringSelection(wxString::FromUTF8(s.ui_theme));
                         },
                         [themes](Settings& s) {
                           if (themes->GetSelection() >= 0) {
                             s.ui_theme = themes->GetStringSelection().utf8_string();
                           }
                         }});
    // Other codes count as large.
    choice(form, "Interface", "UI Size",
           {{0, text_of("UI Size Small")},
            {1, text_of("UI Size Medium")},
            {2, text_of("UI Size Large")},
            {3, text_of("UI Size Extra Large")}},
           2);
    content->Add(form.sizer(), spaced());
    content->Add(new wxStaticText(page, wxID_ANY, text_of("Restart Note")), spaced());
    finish_page(page, content);
    return page;
  }

  // The rows' options on pages of a simple book, one page per row.
  // A row's options on a page of a simple book, one page per row. The
  // configuration file keeps the settings of this product's own formats
  // only; the others say that they last until the program ends.
  void add_row_options(wxSimplebook* book, std::string_view group, const FormatRow& row,
                       const std::vector<std::string>& own_formats) {
    auto* panel = new wxPanel(book, wxID_ANY);
    panel->SetName(std::string(group) + " " + std::string(row.format));
    auto* content = new wxBoxSizer(wxVERTICAL);
    Form form(panel);
    for (const Option& option : row.options) {
      switch (option.control) {
        case Control::None:
          break;
        case Control::Depth:
          choice(form, group, option.key, depth_entries(row.format))
              ->SetToolTip(text_of("Bit Depth Tip"));
          break;
        case Control::Keyword:
          keyword_choice(form, group, option.key, option.family, option.words);
          break;
        case Control::Quality:
          number(form, group, option.key, 1, 100);
          break;
        case Control::Flag:
          check(form, group, option.key);
          break;
        case Control::Number:
          number(form, group, option.key, option.low, option.high);
          break;
      }
    }
    content->Add(form.sizer(), wxSizerFlags().Expand());
    if (std::find(own_formats.begin(), own_formats.end(), row.format) == own_formats.end()) {
      auto* note = new wxStaticText(panel, wxID_ANY, text_of("Other Format Note"));
      note->Wrap(FromDIP(480));
      content->Add(note, wxSizerFlags().Border(wxTOP, 10));
    }
    panel->SetSizer(content);
    book->AddPage(panel, wxEmptyString);
  }

  // PhotoCD pictures have no load options: the page says how they are read.
  void add_photocd_notes(wxWindow* page, wxSizer* content) {
    auto* how = new wxStaticText(page, wxID_ANY, text_of("PhotoCD Loading"));
    how->Wrap(FromDIP(520));
    content->Add(how, spaced());
    const std::string converter = find_converter();
    Form form(page);
    auto* decoder = new wxStaticText(
        page, wxID_ANY,
        wxString::FromUTF8(converter.empty() ? catalogue_text("Preferences", "PhotoCD No Decoder")
                                             : converter),
        wxDefaultPosition, wxDefaultSize, wxST_ELLIPSIZE_MIDDLE);
    decoder->SetName("photocd decoder");
    form.add("PhotoCD Decoder", decoder);
    content->Add(form.sizer(), spaced());
  }

  // "TIFF - Tagged Image File Format": a row of a format table.
  template <typename Row>
  static wxString row_text(std::string_view extension, const Row* row) {
    std::string text = to_upper(extension);
    if (row != nullptr) text += " - " + row->description;
    return wxString::FromUTF8(text);
  }
  static wxString input_row_text(std::string_view family) {
    return row_text(family, find_input_format(family));
  }
  static wxString output_row_text(std::string_view extension) {
    return row_text(extension, find_output_format(extension));
  }

  wxWindow* input_page() {
    wxPanel* page = new_page();
    auto* content = new wxBoxSizer(wxVERTICAL);
    Form form(page);
    // The input format of the settings, one of the program's input list.
    auto* format = new wxChoice(page, wxID_ANY);
    format->SetName("Input/Format");
    form.add("Input Format", format);
    bindings_.push_back(
        {[format](const Settings& s) {
           format->Clear();
           for (const std::string& name : s.input_format_list) {
             format->Append(input_row_text(name));
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
         }});
    content->Add(form.sizer(), spaced());
    add_photocd_notes(page, content);

    Group others = group_box(page, "Other Formats");
    Form other_form(others.box);
    input_rows_ = new wxChoice(others.box, wxID_ANY);
    input_rows_->SetName("input formats");
    for (const FormatRow& row : kInputRows) input_rows_->Append(input_row_text(row.format));
    other_form.add("Format", input_rows_);
    others.sizer->Add(other_form.sizer(), spaced());
    input_book_ = new wxSimplebook(others.box, wxID_ANY);
    for (const FormatRow& row : kInputRows) {
      add_row_options(input_book_, "Input", row, input_type_list());
    }
    others.sizer->Add(input_book_, spaced().Proportion(1));
    input_rows_->SetSelection(0);
    content->Add(others.sizer, spaced().Proportion(1));
    finish_page(page, content);
    return page;
  }

  wxWindow* output_page() {
    wxPanel* page = new_page();
    auto* content = new wxBoxSizer(wxVERTICAL);
    Form form(page);
    output_rows_ = new wxChoice(page, wxID_ANY);
    output_rows_->SetName("output formats");
    for (const FormatRow& row : kOutputRows) output_rows_->Append(output_row_text(row.format));
    form.add("Output Format", output_rows_);
    content->Add(form.sizer(), spaced());
    output_book_ = new wxSimplebook(page, wxID_ANY);
    for (const FormatRow& row : kOutputRows) {
      add_row_options(output_book_, "Output", row, accepted_conversion_list());
    }
    content->Add(output_book_, spaced().Proportion(1));
    // It opens on the format the window converts to.
    const std::string& wanted = g_settings.output_format.empty()
                                    ? accepted_conversion_list().front()
                                    : g_settings.output_format;
    for (size_t i = 0; i < std::size(kOutputRows); ++i) {
      if (kOutputRows[i].format == wanted) output_rows_->SetSelection(static_cast<int>(i));
    }
    finish_page(page, content);
    return page;
  }

  wxWindow* transform_page() {
    wxPanel* page = new_page();
    auto* content = new wxBoxSizer(wxVERTICAL);

    Group rotation = group_box(page, "Rotation");
    Form rotation_form(rotation.box, 2);
    wxCheckBox* rotate = check(rotation_form, "Transform", "Do Image Rotation");
    rotation_form.add({}, new wxPanel(rotation.box));  // the tick stands alone in its row
    keyword_choice(rotation_form, "Transform", "Image Rotation Type", kFamilyRotationType);
    number(rotation_form, "Transform", "Image Rotation", 0, 359, "Unit Degrees");
    colour(rotation_form, "Transform", "Image Rotation Back Color");
    rotation.sizer->Add(rotation_form.sizer(), spaced());
    content->Add(rotation.sizer, spaced());
    enable_when([rotate] { return rotate->GetValue(); }, all_but(rotation.box, rotate));

    Group resize = group_box(page, "Resize");
    Form resize_form(resize.box, 2);
    wxCheckBox* do_resize = check(resize_form, "Transform", "Do Image Resize");
    check(resize_form, "Transform", "Keep Aspect Ratio");
    wxSpinCtrl* width = number(resize_form, "Transform", "Image Width", 0, kLargestSide);
    wxChoice* width_unit =
        keyword_choice(resize_form, "Transform", "Image Width Unit", kFamilyUnit);
    wxSpinCtrl* height = number(resize_form, "Transform", "Image Height", 0, kLargestSide);
    wxChoice* height_unit =
        keyword_choice(resize_form, "Transform", "Image Height Unit", kFamilyUnit);
    keyword_choice(resize_form, "Transform", "Image Resize Type", kFamilyResizeType)
        ->SetToolTip(text_of("Image Resize Type Tip"));
    keyword_choice(resize_form, "Transform", "Image Resize Algorithm", kFamilyResizeAlgorithm);
    resize.sizer->Add(resize_form.sizer(), spaced());
    content->Add(resize.sizer, spaced());
    enable_when([do_resize] { return do_resize->GetValue(); }, all_but(resize.box, do_resize));
    follow_unit(width, width_unit, &Settings::image_width, &Settings::image_width_unit);
    follow_unit(height, height_unit, &Settings::image_height, &Settings::image_height_unit);

    Group flip = group_box(page, "Flip");
    Form flip_form(flip.box, 2);
    check(flip_form, "Transform", "Do Image Flip Horizontal");
    check(flip_form, "Transform", "Do Image Flip Vertical");
    flip.sizer->Add(flip_form.sizer(), spaced());
    content->Add(flip.sizer, spaced());

    finish_page(page, content);
    return page;
  }

  // A side in percent goes up to kLargestPercent, in pixels to
  // kLargestSide: the range follows the unit chosen, and what is stored is
  // held to the range of the unit stored with it.
  void follow_unit(wxSpinCtrl* side, wxChoice* unit, int32_t Settings::*side_member,
                   uint8_t Settings::*unit_member) {
    static constexpr int kPercent = 1;
    const auto largest = [](int32_t unit_code) {
      return unit_code == kPercent ? kLargestPercent : kLargestSide;
    };
    unit->Bind(wxEVT_CHOICE, [side, unit, largest](wxCommandEvent& event) {
      side->SetRange(0, largest(unit->GetSelection()));
      event.Skip();
    });
    // The range is set before any binding shows a value, and the stored
    // side is held to it after every binding took its value.
    bindings_.insert(bindings_.begin(), {[side, largest, unit_member](const Settings& s) {
                                           side->SetRange(0, largest(s.*unit_member));
                                         },
                                         [](Settings&) {}});
    bindings_.push_back({[](const Settings&) {},
                         [largest, side_member, unit_member](Settings& s) {
                           s.*side_member = std::clamp(s.*side_member, 0, largest(s.*unit_member));
                         }});
  }

  wxWindow* adjustment_page() {
    wxPanel* page = new_page();
    auto* content = new wxBoxSizer(wxVERTICAL);

    Group colours = group_box(page, "Color Correction");
    Form colour_form(colours.box, 2);
    wxCheckBox* correct = check(colour_form, "Adjustment", "Do Image Color Correction");
    check(colour_form, "Adjustment", "Image Invert");
    number(colour_form, "Adjustment", "Image Brightness", -100, 100);
    number(colour_form, "Adjustment", "Image Contrast", -100, 100);
    gamma(colour_form);
    colours.sizer->Add(colour_form.sizer(), spaced());
    content->Add(colours.sizer, spaced());
    enable_when([correct] { return correct->GetValue(); }, all_but(colours.box, correct));

    Group effects = group_box(page, "Effects");
    Form effect_form(effects.box, 2);
    check(effect_form, "Adjustment", "Do Image Greyscale");
    effect_form.add({}, new wxPanel(effects.box));
    wxCheckBox* threshold = check(effect_form, "Adjustment", "Do Image Threshold");
    wxSpinCtrl* level = number(effect_form, "Adjustment", "Image Threshold", 0, 255);
    wxCheckBox* dither = check(effect_form, "Adjustment", "Do Image Dither");
    wxChoice* algorithm =
        keyword_choice(effect_form, "Adjustment", "Image Dither Algorithm", kFamilyDitherAlgorithm);
    algorithm->SetToolTip(text_of("Image Dither Algorithm Tip"));
    effects.sizer->Add(effect_form.sizer(), spaced());
    content->Add(effects.sizer, spaced());
    enable_when([threshold] { return threshold->GetValue(); }, {level});
    enable_when([dither] { return dither->GetValue(); }, {algorithm});

    finish_page(page, content);
    return page;
  }

  // Gamma runs from 0.01 to 9.99 in steps of 0.01, the range the
  // conversion accepts.
  void gamma(Form& form) {
    const SettingField& field = field_of("Adjustment", "Image Gamma");
    auto* spin = new wxSpinCtrlDouble(form.parent(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                                      wxDefaultSize, wxSP_ARROW_KEYS, 0.01, 9.99, 1.0, 0.01);
    spin->SetDigits(2);
    spin->SetName("Adjustment/Image Gamma");
    spin->SetToolTip(text_of("Image Gamma Tip"));
    form.add("Image Gamma", spin);
    bindings_.push_back({[spin, &field](const Settings& s) {
                           const double value = setting_real(s, field);
                           spin->SetValue(value >= 0.01 && value <= 9.99 ? value : 1.0);
                         },
                         [spin, &field](Settings& s) {
                           // Two decimals, as shown: 1.2 stays 1.2 and not 1.2000000476.
                           const float shown =
                               static_cast<float>(std::round(spin->GetValue() * 100.0) / 100.0);
                           if (std::abs(shown - setting_real(s, field)) >= 0.005f) {
                             set_setting_real(s, field, std::clamp(shown, 0.01f, 9.99f));
                           }
                         }});
  }

  wxWindow* frame_page() {
    wxPanel* page = new_page();
    auto* content = new wxBoxSizer(wxVERTICAL);
    Form top(page);
    wxCheckBox* framed = check(top, "Frame", "Do Frame");
    number(top, "Frame", "Solid Opacity", 0, 255)->SetToolTip(text_of("Opacity Tip"));
    content->Add(top.sizer(), spaced());

    Group widths = group_box(page, "Border Widths");
    Form width_form(widths.box, 2);
    for (std::string_view key : {"Solid Left", "Solid Right", "Solid Top", "Solid Bottom"}) {
      number(width_form, "Frame", key, 0, kLargestSide, "Unit Pixels Short");
    }
    widths.sizer->Add(width_form.sizer(), spaced());
    content->Add(widths.sizer, spaced());

    Group colours = group_box(page, "Border Colors");
    Form colour_form(colours.box, 2);
    for (std::string_view key :
         {"Solid Left Color", "Solid Right Color", "Solid Top Color", "Solid Bottom Color"}) {
      colour(colour_form, "Frame", key);
    }
    colours.sizer->Add(colour_form.sizer(), spaced());
    content->Add(colours.sizer, spaced());

    std::vector<wxWindow*> dependent = all_but(widths.box, nullptr);
    for (wxWindow* w : all_but(colours.box, nullptr)) dependent.push_back(w);
    dependent.push_back(page->FindWindow("Frame/Solid Opacity"));
    enable_when([framed] { return framed->GetValue(); }, dependent);
    finish_page(page, content);
    return page;
  }

  wxWindow* watermark_page() {
    wxPanel* page = new_page();
    auto* content = new wxBoxSizer(wxVERTICAL);
    Form top(page);
    wxChoice* kind = keyword_choice(top, "Watermark", "Do Watermark", kFamilyWatermarkType);
    content->Add(top.sizer(), spaced());

    // One kind of watermark is drawn at a time: the page shows the settings
    // of the kind chosen (of the text when there is none).
    kinds_ = new wxSimplebook(page, wxID_ANY);
    auto* text_panel = new wxPanel(kinds_, wxID_ANY);
    auto* image_panel = new wxPanel(kinds_, wxID_ANY);

    Group text_box = group_box(text_panel, "Text Watermark");
    Form t(text_box.box, 2);
    text(t, "Watermark", "Text");
    text(t, "Watermark", "Fonts")->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
      refill_font_list();
      event.Skip();
    });
    font_chooser(t);
    number(t, "Watermark", "Font Size", 1, 500);
    keyword_choice(t, "Watermark", "Font Style", kFamilyFontStyle)
        ->Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
          update_font_state();
          event.Skip();
        });
    keyword_choice(t, "Watermark", "Font Effect", kFamilyFontEffect);
    number(t, "Watermark", "Font Leading", 0, 999, "Unit Pixels Short")
        ->SetToolTip(text_of("Font Leading Tip"));
    keyword_choice(t, "Watermark", "Text Alignment", kFamilyTextAlignment);
    palette_colour(t, "Watermark", "Font Color", "Font Colors");
    number(t, "Watermark", "Text Opacity", 0, 255)->SetToolTip(text_of("Opacity Tip"));
    palette_colour(t, "Watermark", "Back Color", "Back Colors");
    number(t, "Watermark", "Back Opacity", 0, 255)->SetToolTip(text_of("Opacity Tip"));
    number(t, "Watermark", "Text Padding", 0, 999, "Unit Pixels Short")
        ->SetToolTip(text_of("Text Padding Tip"));
    check(t, "Watermark", "Text Antialiasing");
    placement(t, "Text");
    text_box.sizer->Add(t.sizer(), spaced());
    auto* text_sizer = new wxBoxSizer(wxVERTICAL);
    text_sizer->Add(text_box.sizer, wxSizerFlags().Expand());
    text_panel->SetSizer(text_sizer);

    Group image_box = group_box(image_panel, "Image Watermark");
    Form i(image_box.box, 2);
    const SettingField& picture = field_of("Watermark", "Image");
    wxTextCtrl* picture_path = path(i, "Watermark", "Image", PathKind::Picture, "Image");
    bindings_.push_back({[picture_path, &picture](const Settings& s) {
                           picture_path->ChangeValue(wxString::FromUTF8(setting_text(s, picture)));
                         },
                         [picture_path, &picture](Settings& s) {
                           set_setting_text(s, picture, picture_path->GetValue().utf8_string());
                         }});
    check(i, "Watermark", "Image Greyscale");
    number(i, "Watermark", "Image Opacity", 0, 255)->SetToolTip(text_of("Opacity Tip"));
    i.add({}, new wxPanel(image_box.box));
    placement(i, "Image");
    image_box.sizer->Add(i.sizer(), spaced());
    auto* image_sizer = new wxBoxSizer(wxVERTICAL);
    image_sizer->Add(image_box.sizer, wxSizerFlags().Expand());
    image_panel->SetSizer(image_sizer);

    kinds_->AddPage(text_panel, wxEmptyString);
    kinds_->AddPage(image_panel, wxEmptyString);
    content->Add(kinds_, spaced().Proportion(1));
    kind_ = kind;
    enable_when([kind] { return kind->GetSelection() == kTextWatermark; },
                all_but(text_box.box, nullptr));
    finish_page(page, content);
    return page;
  }

  // Boundary, position, offsets, rotation and size of one watermark kind
  // ("Text" or "Image").
  void placement(Form& form, std::string_view kind) {
    const std::string prefix = std::string(kind) + " ";
    keyword_choice(form, "Watermark", prefix + "Boundary", kFamilyBoundary)
        ->SetToolTip(text_of("Text Boundary Tip"));
    keyword_choice(form, "Watermark", prefix + "Position", kFamilyPosition);
    for (const char* offset : {"X Offset", "Y Offset"}) {
      number(form, "Watermark", prefix + offset, 0, kLargestSide, "Unit Pixels Short")
          ->SetToolTip(text_of("Offset Tip"));
    }
    number(form, "Watermark", prefix + "Rotation", 0, 359, "Unit Degrees");
    keyword_choice(form, "Watermark", prefix + "Size", kFamilySize);
    number(form, "Watermark", prefix + "Scale", 1, 1000);
  }

  // The watermark font: a face from the "Fonts" list, typed, or chosen in the
  // system's font dialog; beside it the face fontconfig gives it, or that it
  // does not open.
  void font_chooser(Form& form) {
    const SettingField& field = field_of("Watermark", "Font");
    font_ = new wxComboBox(form.parent(), wxID_ANY);
    font_->SetName("Watermark/Font");
    auto* choose = new wxButton(form.parent(), wxID_ANY, text_of("Choose Font"));
    choose->SetName("Watermark/Font choose");
    font_state_ = new wxStaticText(form.parent(), wxID_ANY, wxEmptyString);
    font_state_->SetName("font state");
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(font_, wxSizerFlags(1).CenterVertical());
    row->Add(choose, wxSizerFlags().CenterVertical().Border(wxLEFT, 4));
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(row, wxSizerFlags().Expand());
    column->Add(font_state_, wxSizerFlags().Border(wxTOP, 2));
    form.add("Font", column);
    font_->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
      update_font_state();
      event.Skip();
    });
    font_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent& event) {
      update_font_state();
      event.Skip();
    });
    choose->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { choose_font(); });
    bindings_.push_back({[this, &field](const Settings& s) {
                           refill_font_list(s.fonts);
                           font_->ChangeValue(wxString::FromUTF8(setting_text(s, field)));
                         },
                         [this, &field](Settings& s) {
                           set_setting_text(
                               s, field, std::string(trim_blanks(font_->GetValue().utf8_string())));
                         }});
  }

  void refill_font_list() {
    if (auto* list = dynamic_cast<wxTextCtrl*>(FindWindow("Watermark/Fonts"))) {
      refill_font_list(list->GetValue().utf8_string());
    }
  }

  void refill_font_list(const std::string& fonts) {
    if (font_ == nullptr) return;
    const wxString face = font_->GetValue();
    font_->Clear();
    for (const std::string& name : palette_of(fonts)) font_->Append(wxString::FromUTF8(name));
    font_->ChangeValue(face);
  }

  uint8_t chosen_style() const {
    auto* style = dynamic_cast<wxChoice*>(FindWindow("Watermark/Font Style"));
    return style != nullptr && style->GetSelection() >= 0
               ? static_cast<uint8_t>(style->GetSelection())
               : 0;
  }

  void update_font_state() {
    if (font_ == nullptr) return;
    const std::string face(trim_blanks(font_->GetValue().utf8_string()));
    const FontResolution resolution = resolve_watermark_face(face, chosen_style());
    font_state_->SetLabel(
        resolution.opens ? wxString::FromUTF8(format_placeholders(
                               catalogue_text("Preferences", "Font Resolves"), resolution.family))
                         : text_of("Font Missing"));
  }

  void choose_font() {
    wxFontData data;
    auto* size = dynamic_cast<wxSpinCtrl*>(FindWindow("Watermark/Font Size"));
    const wxFont current(
        wxFontInfo(size != nullptr ? size->GetValue() : 14).FaceName(font_->GetValue()));
    data.SetInitialFont(current);
    wxFontDialog dialog(this, data);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxFont font = dialog.GetFontData().GetChosenFont();
    const std::string face = font.GetFaceName().utf8_string();
    const bool bold = font.GetWeight() >= wxFONTWEIGHT_BOLD;
    const bool italic = font.GetStyle() != wxFONTSTYLE_NORMAL;
    const auto style = static_cast<uint8_t>((bold ? 1 : 0) + (italic ? 2 : 0));
    if (!resolve_watermark_face(face, style).opens) {
      show_message(this, "Warning",
                   format_placeholders(catalogue_text("Msg", "Invalid watermark font"), face),
                   wxOK | wxICON_WARNING);
      return;
    }
    font_->ChangeValue(wxString::FromUTF8(face));
    const int points = font.GetPointSize();
    if (size != nullptr && points >= size->GetMin() && points <= size->GetMax()) {
      size->SetValue(points);
    }
    if (auto* list = dynamic_cast<wxChoice*>(FindWindow("Watermark/Font Style"))) {
      list->SetSelection(style);
    }
    update_font_state();
  }

  wxWindow* advanced_page() {
    wxPanel* page = new_page();
    auto* content = new wxBoxSizer(wxVERTICAL);

    Group names = group_box(page, "File Names");
    Form name_form(names.box);
    mask_ = new wxTextCtrl(names.box, wxID_ANY);
    mask_->SetName("Advanced/Filename Mask");
    mask_->SetToolTip(text_of("Filename Mask Tip"));
    auto* insert = new wxButton(names.box, wxID_ANY, text_of("Insert Placeholder"));
    insert->SetName("insert placeholder");
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(mask_, wxSizerFlags(1).CenterVertical());
    row->Add(insert, wxSizerFlags().CenterVertical().Border(wxLEFT, 4));
    name_form.add("Filename Mask", row);
    example_ = new wxStaticText(names.box, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                wxDefaultSize, wxST_ELLIPSIZE_END);
    example_->SetName("mask example");
    name_form.add({}, example_);
    const SettingField& mask_field = field_of("Advanced", "Filename Mask");
    bindings_.push_back({[this, &mask_field](const Settings& s) {
                           mask_->ChangeValue(wxString::FromUTF8(setting_text(s, mask_field)));
                         },
                         [this, &mask_field](Settings& s) {
                           set_setting_text(s, mask_field, mask_->GetValue().utf8_string());
                         }});
    mask_->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
      update_example();
      event.Skip();
    });
    insert->Bind(wxEVT_BUTTON, [this, insert](wxCommandEvent&) { insert_placeholder(insert); });

    wxChoice* stamp = keyword_choice(name_form, "Advanced", "File Timestamp", kFamilyFileTimestamp);
    stamp->SetToolTip(text_of("File Timestamp Tip"));
    std::vector<wxWindow*> custom = custom_date(name_form);
    enable_when([stamp] { return stamp->GetSelection() == 2; }, custom);
    check(name_form, "Advanced", "Keep Subfolders");
    names.sizer->Add(name_form.sizer(), spaced());
    content->Add(names.sizer, spaced());

    Group folders = group_box(page, "Output Folders");
    Form folder_form(folders.box);
    wxCheckBox* history = check(folder_form, "Advanced", "Out Folders History");
    wxSpinCtrl* count = number(folder_form, "Advanced", "Out Folders Number", 1, 50);
    count->SetToolTip(text_of("Out Folders Number Tip"));
    wxTextCtrl* folder =
        path(folder_form, "File", "Recent Out Folders", PathKind::Folder, "Default Output Folder");
    // The folder shown is the first of the recent ones, which the window
    // opens with; a new one goes in front of them.
    bindings_.push_back({[folder](const Settings& s) {
                           const std::vector<std::string> recent = recent_out_folders(s);
                           folder->ChangeValue(recent.empty() ? wxString()
                                                              : wxString::FromUTF8(recent.front()));
                         },
                         [folder](Settings& s) {
                           const std::string typed(trim_blanks(folder->GetValue().utf8_string()));
                           const std::vector<std::string> recent = recent_out_folders(s);
                           if (typed.empty() || (!recent.empty() && recent.front() == typed)) {
                             return;
                           }
                           remember_out_folder(s, with_trailing_slash(typed));
                         }});
    enable_when([history] { return history->GetValue(); }, {count});
    folders.sizer->Add(folder_form.sizer(), spaced());
    content->Add(folders.sizer, spaced());

    finish_page(page, content);
    return page;
  }

  // "Custom Timestamp": a date and a time of day (hour and minute), local
  // time. Left as they were shown, they keep the stored value to the second.
  std::vector<wxWindow*> custom_date(Form& form) {
    const SettingField& field = field_of("Advanced", "Custom Timestamp");
    auto* date = new wxDatePickerCtrl(form.parent(), wxID_ANY, wxDefaultDateTime, wxDefaultPosition,
                                      wxDefaultSize, wxDP_DROPDOWN | wxDP_SHOWCENTURY);
    date->SetName("Advanced/Custom Timestamp");
    // The stored value counts seconds since 1970 in 32 bits.
    date->SetRange(wxDateTime(2, wxDateTime::Jan, 1970), wxDateTime(18, wxDateTime::Jan, 2038));
    auto* hour = new wxSpinCtrl(form.parent(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                                wxDefaultSize, wxSP_ARROW_KEYS | wxSP_WRAP, 0, 23, 0);
    hour->SetName("Advanced/Custom Timestamp hour");
    auto* minute = new wxSpinCtrl(form.parent(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                                  wxDefaultSize, wxSP_ARROW_KEYS | wxSP_WRAP, 0, 59, 0);
    minute->SetName("Advanced/Custom Timestamp minute");
    auto* colon = new wxStaticText(form.parent(), wxID_ANY, ":");
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(date, wxSizerFlags(1).CenterVertical());
    row->Add(hour, wxSizerFlags().CenterVertical().Border(wxLEFT, 8));
    row->Add(colon, wxSizerFlags().CenterVertical().Border(wxLEFT | wxRIGHT, 2));
    row->Add(minute, wxSizerFlags().CenterVertical());
    wxStaticText* label = form.add("Custom Timestamp", row);

    struct Shown {
      wxDateTime day;
      int hour = 0;
      int minute = 0;
    };
    auto shown = std::make_shared<Shown>();
    bindings_.push_back(
        {[date, hour, minute, shown, &field](const Settings& s) {
           const wxDateTime when(static_cast<time_t>(std::max(0, setting_int(s, field))));
           date->SetValue(when);
           hour->SetValue(when.GetHour());
           minute->SetValue(when.GetMinute());
           *shown = {date->GetValue(), hour->GetValue(), minute->GetValue()};
         },
         [date, hour, minute, shown, &field](Settings& s) {
           const wxDateTime day = date->GetValue();
           if (day.IsSameDate(shown->day) && hour->GetValue() == shown->hour &&
               minute->GetValue() == shown->minute) {
             return;
           }
           const wxDateTime when(day.GetDay(), day.GetMonth(), day.GetYear(),
                                 static_cast<wxDateTime::wxDateTime_t>(hour->GetValue()),
                                 static_cast<wxDateTime::wxDateTime_t>(minute->GetValue()));
           const time_t seconds = when.GetTicks();
           if (seconds > 0 && seconds <= std::numeric_limits<int32_t>::max()) {
             set_setting_int(s, field, static_cast<int32_t>(seconds));
           }
         }});
    return {label, date, hour, colon, minute};
  }

  void insert_placeholder(wxButton* button) {
    wxMenu menu;
    const std::vector<std::string_view> placeholders = mask_placeholders();
    for (size_t i = 0; i < placeholders.size(); ++i) {
      const std::string text(placeholders[i]);
      const std::string meaning = catalogue_text("Preferences", "Placeholder " + text);
      menu.Append(kPlaceholderIds + static_cast<int>(i),
                  wxString::FromUTF8(text + " - " + meaning));
    }
    menu.Bind(wxEVT_MENU, [this, placeholders](wxCommandEvent& event) {
      const auto index = static_cast<size_t>(event.GetId() - kPlaceholderIds);
      if (index < placeholders.size()) {
        mask_->WriteText(wxString::FromUTF8(std::string(placeholders[index])));
        mask_->SetFocus();
      }
    });
    button->PopupMenu(&menu, 0, button->GetSize().y);
  }

  void update_example() {
    if (mask_ == nullptr) return;
    auto* bpp = dynamic_cast<wxChoice*>(FindWindow("Output/TIFF BPP"));
    const std::vector<Entry> depths = depth_entries("tiff");
    const int row = bpp != nullptr ? bpp->GetSelection() : 0;
    const int32_t depth = row > 0 ? depths[static_cast<size_t>(row)].code : 0;
    example_->SetLabel(wxString::FromUTF8(
        format_placeholders(catalogue_text("Preferences", "Example Name"),
                            example_name(mask_->GetValue().utf8_string(), depth))));
  }

  // --- OK, Reset

  // The first change that a conversion would refuse, shown on its page;
  // false when there is one. Only what changed is checked: a setting the
  // user did not touch is not his to mend here.
  bool changes_are_usable() {
    const Settings& s = edited_;
    const Settings& o = original_;
    const auto refuse = [this](std::string_view page, const char* control, std::string_view key,
                               const std::string& detail) {
      go_to(page, control);
      show_message(this, "Warning", format_placeholders(catalogue_text("Msg", key), detail),
                   wxOK | wxICON_WARNING);
      return false;
    };
    const bool resize_changed = s.do_image_resize != o.do_image_resize ||
                                s.image_width != o.image_width || s.image_height != o.image_height;
    if (s.do_image_resize != 0 && resize_changed) {
      if (s.image_width == 0)
        return refuse("Transform", "Transform/Image Width", "Invalid width", {});
      if (s.image_height == 0) {
        return refuse("Transform", "Transform/Image Height", "Invalid height", {});
      }
    }
    const bool font_changed = s.do_watermark != o.do_watermark || s.font != o.font ||
                              s.font_style != o.font_style || s.font_size != o.font_size;
    if (s.do_watermark == kTextWatermark && font_changed &&
        !resolve_watermark_face(s.font, s.font_style).opens) {
      return refuse("Watermark", "Watermark/Font", "Invalid watermark font", s.font);
    }
    const bool picture_changed = s.do_watermark != o.do_watermark || s.image != o.image;
    if (s.do_watermark == kPictureWatermark && picture_changed) {
      if (trim_blanks(s.image).empty()) {
        return refuse("Watermark", "Watermark/Image", "Empty watermark image", {});
      }
      if (!load_watermark_picture(s.image)) {
        return refuse("Watermark", "Watermark/Image", "Invalid watermark image", s.image);
      }
    }
    if (s.filename_mask != o.filename_mask &&
        !usable_file_name(example_name(s.filename_mask, s.tiff_bpp))) {
      return refuse("Advanced", "Advanced/Filename Mask", "Invalid filename mask", s.filename_mask);
    }
    return true;
  }

  void go_to(std::string_view page, const char* control) {
    for (size_t i = 0; i < kPageKeys.size(); ++i) {
      if (kPageKeys[i] == page) pages_->SetSelection(i);
    }
    if (wxWindow* window = FindWindow(control)) window->SetFocus();
  }

  // Every setting the dialog changed goes into the record; settings changed
  // meanwhile by someone else (the update check) keep their new value.
  void store_changes() {
    for (const SettingField& field : setting_fields()) {
      switch (field.type) {
        case SettingType::String:
          if (setting_text(edited_, field) != setting_text(original_, field)) {
            set_setting_text(g_settings, field, setting_text(edited_, field));
          }
          break;
        case SettingType::Real:
          if (setting_real(edited_, field) != setting_real(original_, field)) {
            set_setting_real(g_settings, field, setting_real(edited_, field));
          }
          break;
        default:
          if (setting_int(edited_, field) != setting_int(original_, field)) {
            set_setting_int(g_settings, field, setting_int(edited_, field));
          }
          break;
      }
    }
  }

  void accept() {
    take_all();
    if (!changes_are_usable()) return;
    store_changes();
    if (!save_configuration()) {
      // The change holds for this run; the save at the end tries again.
      show_message(
          this, "Error",
          format_placeholders(catalogue_text("Msg", "Unable to save file"), g_settings.config_path),
          wxOK | wxICON_ERROR);
    }
    EndModal(wxID_OK);
  }

  void reset_to_defaults() {
    if (show_message(this, "Question", catalogue_text("Msg", "Ask reset to defaults"),
                     wxYES_NO | wxICON_QUESTION) != wxID_YES) {
      return;
    }
    reset_settings(edited_, false);
    show_all();
  }

  static constexpr int kPlaceholderIds = wxID_HIGHEST + 400;

  const Settings original_;
  Settings edited_;
  std::vector<Binding> bindings_;
  std::vector<EnableRule> enable_rules_;
  wxListbook* pages_ = nullptr;
  wxChoice* input_rows_ = nullptr;
  wxSimplebook* input_book_ = nullptr;
  wxChoice* output_rows_ = nullptr;
  wxSimplebook* output_book_ = nullptr;
  wxSimplebook* kinds_ = nullptr;
  wxChoice* kind_ = nullptr;
  wxComboBox* font_ = nullptr;
  wxStaticText* font_state_ = nullptr;
  wxTextCtrl* mask_ = nullptr;
  wxStaticText* example_ = nullptr;
};

}  // namespace

bool show_preferences(wxWindow* parent, PreferencesPage page) {
  PreferencesDialog dialog(parent, page);
  return dialog.ShowModal() == wxID_OK;
}

}  // namespace pixmera::ui
