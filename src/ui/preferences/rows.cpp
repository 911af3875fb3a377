// The row builders of the preferences pages: each makes one kind of control,
// names it after its setting and binds it to the setting through the Sheet.
#include "ui/preferences/rows.h"

#include <wx/bmpcbox.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/colordlg.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/dcmemory.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/fontdlg.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <optional>

#include "imaging/operations.h"
#include "imaging/watermark_font.h"
#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "pipeline/naming_mask.h"
#include "platform/paths.h"
#include "settings/catalogue.h"
#include "settings/colour_names.h"
#include "settings/keywords.h"
#include "settings/product.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/preferences/layout.h"
#include "ui/toolkit.h"
#include "util/text.h"

namespace pixmera::ui::preferences {

namespace {

// A code and the text the choice shows for it.
struct Entry {
  int32_t code;
  wxString text;
};

std::vector<Entry> keyword_entries(int32_t family, std::span<const std::string_view> words) {
  std::vector<Entry> entries;
  for (const Keyword& word : keyword_family(family)) {
    if (!words.empty() && std::find(words.begin(), words.end(), word.word) == words.end()) {
      continue;
    }
    entries.push_back({word.code, wxString::FromUTF8(keyword_display_text(family, word.word))});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.code < b.code; });
  return entries;
}

std::vector<Entry> listed_entries(std::span<const std::string_view> keys) {
  std::vector<Entry> entries;
  for (size_t i = 0; i < keys.size(); ++i) {
    entries.push_back({static_cast<int32_t>(i), text_of(keys[i])});
  }
  return entries;
}

// "Automatic" for 0, then each depth the output format table allows.
std::vector<Entry> depth_entries(std::string_view format) {
  std::vector<Entry> entries{{0, text_of("Bit Depth Automatic")}};
  for (const std::string& field : split(allowed_bpp_of(format), ',')) {
    const int32_t bits = std::atoi(field.c_str());
    if (bits <= 0) continue;
    entries.push_back({bits, wxString::FromUTF8(format_placeholders(
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

// The colour the user picks in the system's colour dialog, starting from
// `start` when there is one; nothing when the dialog is cancelled.
std::optional<std::string> ask_colour(wxWindow* parent, const std::string* start) {
  wxColourData data;
  data.SetChooseFull(true);
  if (start != nullptr) data.SetColour(wx_colour(*start));
  wxColourDialog dialog(parent, &data);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return hex_of(dialog.GetColourData().GetColour());
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

std::vector<std::string> list_of(std::string_view list) {
  std::vector<std::string> names;
  for (const std::string& entry : split(list, ',')) {
    const std::string name(trim_blanks(entry));
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

std::string joined(const std::vector<std::string>& parts, char separator) {
  std::string line;
  for (const std::string& part : parts) {
    if (!line.empty()) line += separator;
    line += part;
  }
  return line;
}

// A field and the button that fills it, side by side.
wxBoxSizer* with_button(wxWindow* field, wxWindow* button) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(field, wxSizerFlags(1).CenterVertical());
  row->Add(button, wxSizerFlags().CenterVertical().Border(wxLEFT, 4));
  return row;
}

void bind_text(Sheet& sheet, wxTextCtrl* entry, const SettingField& field) {
  sheet.bind(
      [entry, &field](const Settings& s) {
        entry->ChangeValue(wxString::FromUTF8(setting_text(s, field)));
      },
      [entry, &field](Settings& s) {
        set_setting_text(s, field, entry->GetValue().utf8_string());
      });
}

bool is_choice(Kind kind) {
  return kind == Kind::Keyword || kind == Kind::List || kind == Kind::Depth;
}

void set_tip(wxWindow* control, const Row& row, const std::string& key) {
  if (!row.tip.empty()) {
    control->SetToolTip(text_of(row.tip));
    return;
  }
  if (is_choice(row.kind) || key.empty()) return;
  const std::string tip = catalogue_text("Preferences", key + " Tip");
  if (tip != kNoStringError) control->SetToolTip(wxString::FromUTF8(tip));
}

// --- The builders: each makes its row's control(s), names them after the
// setting and binds them. Each returns the control that a switch of the
// row turns on and that shows its tip; the timestamp returns all of its
// windows, the date first.

wxWindow* add_blank(const Place& place) {
  auto* cell = new wxPanel(place.form.parent());
  place.form.add({}, cell);
  return cell;
}

wxWindow* add_tick(const Place& place, const std::string& key) {
  const SettingField& field = field_of(place.group, key);
  auto* box = new wxCheckBox(place.form.parent(), wxID_ANY, text_of(key));
  box->SetName(control_name(place.group, key));
  place.form.add({}, box);
  place.sheet.bind(
      [box, &field](const Settings& s) { box->SetValue(setting_int(s, field) != 0); },
      [box, &field](Settings& s) { set_setting_int(s, field, box->GetValue() ? 1 : 0); });
  return box;
}

// A choice of codes; a stored code that is none of them shows entry
// `fallback`.
wxWindow* add_choice(const Place& place, const std::string& key, const std::vector<Entry>& entries,
                     int fallback) {
  const SettingField& field = field_of(place.group, key);
  auto* list = new wxChoice(place.form.parent(), wxID_ANY);
  list->SetName(control_name(place.group, key));
  std::vector<int32_t> codes;
  for (const Entry& entry : entries) {
    list->Append(entry.text);
    codes.push_back(entry.code);
  }
  place.form.add(key, list);
  place.sheet.bind(
      [list, codes, fallback, &field](const Settings& s) {
        const auto hit = std::find(codes.begin(), codes.end(), setting_int(s, field));
        list->SetSelection(hit != codes.end() ? static_cast<int>(hit - codes.begin()) : fallback);
      },
      [list, codes, &field](Settings& s) {
        const int row = list->GetSelection();
        if (row >= 0) set_setting_int(s, field, codes[static_cast<size_t>(row)]);
      });
  return list;
}

wxWindow* add_number(const Place& place, const std::string& key, const Row& row) {
  const SettingField& field = field_of(place.group, key);
  auto* spin = new wxSpinCtrl(place.form.parent(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                              wxDefaultSize, wxSP_ARROW_KEYS, row.low, row.high, row.low);
  spin->SetName(control_name(place.group, key));
  if (row.unit.empty()) {
    place.form.add(key, spin);
  } else {
    auto* line = new wxBoxSizer(wxHORIZONTAL);
    line->Add(spin, wxSizerFlags(1).CenterVertical());
    line->Add(new wxStaticText(place.form.parent(), wxID_ANY, text_of(row.unit)),
              wxSizerFlags().CenterVertical().Border(wxLEFT, 4));
    place.form.add(key, line);
  }
  place.sheet.bind(
      [spin, &field](const Settings& s) {
        spin->SetValue(std::clamp(setting_int(s, field), spin->GetMin(), spin->GetMax()));
      },
      [spin, &field](Settings& s) { set_setting_int(s, field, spin->GetValue()); });
  return spin;
}

wxWindow* add_decimal(const Place& place, const std::string& key, const Row& row) {
  const SettingField& field = field_of(place.group, key);
  const double low = row.low / 100.0;
  const double high = row.high / 100.0;
  const double fallback = row.fallback / 100.0;
  auto* spin = new wxSpinCtrlDouble(place.form.parent(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                                    wxDefaultSize, wxSP_ARROW_KEYS, low, high, fallback, 0.01);
  spin->SetDigits(2);
  spin->SetName(control_name(place.group, key));
  place.form.add(key, spin);
  place.sheet.bind(
      [spin, low, high, fallback, &field](const Settings& s) {
        const double value = setting_real(s, field);
        spin->SetValue(value >= low && value <= high ? value : fallback);
      },
      [spin, low, high, &field](Settings& s) {
        // Two decimals, as shown: 1.2 stays 1.2 and not 1.2000000476.
        const float shown = static_cast<float>(std::round(spin->GetValue() * 100.0) / 100.0);
        if (std::abs(shown - setting_real(s, field)) >= 0.005f) {
          set_setting_real(s, field,
                           std::clamp(shown, static_cast<float>(low), static_cast<float>(high)));
        }
      });
  return spin;
}

wxWindow* add_text(const Place& place, const std::string& key) {
  auto* entry = new wxTextCtrl(place.form.parent(), wxID_ANY);
  entry->SetName(control_name(place.group, key));
  place.form.add(key, entry);
  bind_text(place.sheet, entry, field_of(place.group, key));
  return entry;
}

// A button showing a colour's swatch and name; it opens the colour dialog.
class ColourButton : public wxButton {
 public:
  ColourButton(wxWindow* parent, const std::string& name) : wxButton(parent, wxID_ANY) {
    SetName(name);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
      if (const std::optional<std::string> chosen = ask_colour(this, &colour_)) {
        set_colour(*chosen);
      }
    });
  }

  const std::string& colour() const { return colour_; }
  void set_colour(const std::string& colour) {
    colour_ = colour;
    SetLabel(wxString::FromUTF8(colour_display_name(trim_blanks(colour))));
    SetBitmap(swatch(colour));
  }

 private:
  std::string colour_;
};

wxWindow* add_colour(const Place& place, const std::string& key) {
  const SettingField& field = field_of(place.group, key);
  auto* button = new ColourButton(place.form.parent(), control_name(place.group, key));
  place.form.add(key, button);
  place.sheet.bind(
      [button, &field](const Settings& s) { button->set_colour(setting_text(s, field)); },
      [button, &field](Settings& s) { set_setting_text(s, field, button->colour()); });
  return button;
}

// A colour chosen from a palette setting ("Font Colors"), each entry with
// its swatch and name; "Add Color..." adds a colour to the palette.
wxWindow* add_palette_colour(const Place& place, const std::string& key, const Row& row) {
  const std::string palette_key = std::string(place.prefix) + std::string(row.palette);
  const SettingField& colour_field = field_of(place.group, key);
  const SettingField& palette_field = field_of(place.group, palette_key);
  auto* list = new wxBitmapComboBox(place.form.parent(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                                    wxDefaultSize, 0, nullptr, wxCB_READONLY);
  list->SetName(control_name(place.group, key));
  auto* add = new wxButton(place.form.parent(), wxID_ANY, text_of("Add Color"));
  add->SetName(control_name(place.group, palette_key));
  add->SetToolTip(text_of(palette_key));
  place.form.add(key, with_button(list, add));

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
    fit_picture_list(list);
  };
  add->Bind(wxEVT_BUTTON, [add, list, state, fill](wxCommandEvent&) {
    const int selected = list->GetSelection();
    const std::optional<std::string> chosen =
        ask_colour(wxGetTopLevelParent(add),
                   selected >= 0 ? &state->shown[static_cast<size_t>(selected)] : nullptr);
    if (!chosen) return;
    const auto named = [&chosen](const std::string& c) { return equals_ignore_case(c, *chosen); };
    if (std::none_of(state->palette.begin(), state->palette.end(), named)) {
      state->palette.push_back(*chosen);
    }
    fill(*chosen);
  });
  place.sheet.bind(
      [state, fill, &colour_field, &palette_field](const Settings& s) {
        state->palette = list_of(setting_text(s, palette_field));
        fill(setting_text(s, colour_field));
      },
      [list, state, &colour_field, &palette_field](Settings& s) {
        set_setting_text(s, palette_field, joined(state->palette, ','));
        const int selected = list->GetSelection();
        if (selected >= 0) {
          set_setting_text(s, colour_field, state->shown[static_cast<size_t>(selected)]);
        }
      });
  return list;
}

// The watermark font: a face from the face list, typed, or chosen in the
// system's font dialog; below it the face fontconfig draws it with, or that
// it does not open. The face list, the size and the style are rows of the
// same box, so the box hears when they change.
class FontRow {
 public:
  FontRow(const Place& place, const std::string& key)
      : box_(place.form.parent()),
        list_name_(control_name(place.group, "Fonts")),
        size_name_(control_name(place.group, "Font Size")),
        style_name_(control_name(place.group, "Font Style")) {
    face_ = new wxComboBox(box_, wxID_ANY);
    face_->SetName(control_name(place.group, key));
    choose_ = new wxButton(box_, wxID_ANY, text_of("Choose Font"));
    choose_->SetName(control_name(place.group, key) + " choose");
    state_ = new wxStaticText(box_, wxID_ANY, wxEmptyString);
    state_->SetName("font state");
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(with_button(face_, choose_), wxSizerFlags().Expand());
    column->Add(state_, wxSizerFlags().Border(wxTOP, 2));
    place.form.add(key, column);
  }

  wxWindow* control() const { return face_; }

  // Binds the row; `self` keeps it alive as long as its controls.
  static void bind(const std::shared_ptr<FontRow>& self, Sheet& sheet, const SettingField& field) {
    const auto update = [self](wxCommandEvent& event) {
      self->update_state();
      event.Skip();
    };
    self->face_->Bind(wxEVT_TEXT, update);
    self->face_->Bind(wxEVT_COMBOBOX, update);
    self->choose_->Bind(wxEVT_BUTTON, [self](wxCommandEvent&) { self->choose(); });
    self->box_->Bind(wxEVT_TEXT, [self](wxCommandEvent& event) {
      if (auto* list = dynamic_cast<wxTextCtrl*>(event.GetEventObject());
          list != nullptr && list->GetName() == self->list_name_) {
        self->refill(list->GetValue().utf8_string());
      }
      event.Skip();
    });
    self->box_->Bind(wxEVT_CHOICE, [self](wxCommandEvent& event) {
      if (auto* style = dynamic_cast<wxWindow*>(event.GetEventObject());
          style != nullptr && style->GetName() == self->style_name_) {
        self->update_state();
      }
      event.Skip();
    });
    sheet.bind(
        [self, &field](const Settings& s) {
          self->refill(s.fonts);
          self->face_->ChangeValue(wxString::FromUTF8(setting_text(s, field)));
        },
        [self, &field](Settings& s) {
          set_setting_text(s, field,
                           std::string(trim_blanks(self->face_->GetValue().utf8_string())));
        });
    sheet.after_show([self] { self->update_state(); });
  }

 private:
  void refill(const std::string& fonts) {
    const wxString face = face_->GetValue();
    face_->Clear();
    for (const std::string& name : list_of(fonts)) face_->Append(wxString::FromUTF8(name));
    face_->ChangeValue(face);
  }

  uint8_t chosen_style() const {
    auto* style = dynamic_cast<wxChoice*>(box_->FindWindow(style_name_));
    return style != nullptr && style->GetSelection() >= 0
               ? static_cast<uint8_t>(style->GetSelection())
               : 0;
  }

  void update_state() {
    const std::string face(trim_blanks(face_->GetValue().utf8_string()));
    const FontResolution resolution = resolve_watermark_face(face, chosen_style());
    state_->SetLabel(resolution.opens
                         ? wxString::FromUTF8(format_placeholders(
                               catalogue_text("Preferences", "Font Resolves"), resolution.family))
                         : text_of("Font Missing"));
  }

  void choose() {
    wxWindow* dialog_parent = wxGetTopLevelParent(face_);
    wxFontData data;
    auto* size = dynamic_cast<wxSpinCtrl*>(box_->FindWindow(size_name_));
    const wxFont current(
        wxFontInfo(size != nullptr ? size->GetValue() : 14).FaceName(face_->GetValue()));
    data.SetInitialFont(current);
    wxFontDialog dialog(dialog_parent, data);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxFont chosen = dialog.GetFontData().GetChosenFont();
    const std::string face = chosen.GetFaceName().utf8_string();
    const bool bold = chosen.GetWeight() >= wxFONTWEIGHT_BOLD;
    const bool italic = chosen.GetStyle() != wxFONTSTYLE_NORMAL;
    const auto style = static_cast<uint8_t>((bold ? 1 : 0) + (italic ? 2 : 0));
    if (!resolve_watermark_face(face, style).opens) {
      show_message(dialog_parent, "Warning",
                   format_placeholders(catalogue_text("Msg", "Invalid watermark font"), face),
                   wxOK | wxICON_WARNING);
      return;
    }
    face_->ChangeValue(wxString::FromUTF8(face));
    const int points = chosen.GetPointSize();
    if (size != nullptr && points >= size->GetMin() && points <= size->GetMax()) {
      size->SetValue(points);
    }
    if (auto* list = dynamic_cast<wxChoice*>(box_->FindWindow(style_name_))) {
      list->SetSelection(style);
    }
    update_state();
  }

  wxWindow* box_;
  std::string list_name_;
  std::string size_name_;
  std::string style_name_;
  wxComboBox* face_ = nullptr;
  wxButton* choose_ = nullptr;
  wxStaticText* state_ = nullptr;
};

wxWindow* add_picture(const Place& place, const std::string& key) {
  wxTextCtrl* entry = add_path(place, key, PathKind::Picture, key);
  bind_text(place.sheet, entry, field_of(place.group, key));
  return entry;
}

// The filename mask, "Insert Placeholder" with a menu of the placeholders,
// and below them the name the mask gives an example picture.
class MaskRow {
 public:
  MaskRow(const Place& place, const std::string& key) {
    mask_ = new wxTextCtrl(place.form.parent(), wxID_ANY);
    mask_->SetName(control_name(place.group, key));
    insert_ = new wxButton(place.form.parent(), wxID_ANY, text_of("Insert Placeholder"));
    insert_->SetName("insert placeholder");
    place.form.add(key, with_button(mask_, insert_));
    example_ = new wxStaticText(place.form.parent(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                                wxDefaultSize, wxST_ELLIPSIZE_END);
    example_->SetName("mask example");
    place.form.add({}, example_);
  }

  wxWindow* control() const { return mask_; }

  // Binds the row; `self` keeps it alive as long as its controls.
  static void bind(const std::shared_ptr<MaskRow>& self, Sheet& sheet, const SettingField& field) {
    bind_text(sheet, self->mask_, field);
    self->mask_->Bind(wxEVT_TEXT, [self](wxCommandEvent& event) {
      self->update_example();
      event.Skip();
    });
    self->insert_->Bind(wxEVT_BUTTON, [self](wxCommandEvent&) { self->insert_placeholder(); });
    sheet.after_show([self] { self->update_example(); });
  }

 private:
  static constexpr int kPlaceholderIds = wxID_HIGHEST + 400;

  void insert_placeholder() {
    wxMenu menu;
    const std::vector<std::string_view> placeholders = mask_placeholders();
    for (size_t i = 0; i < placeholders.size(); ++i) {
      const std::string placeholder(placeholders[i]);
      const std::string meaning = catalogue_text("Preferences", "Placeholder " + placeholder);
      menu.Append(kPlaceholderIds + static_cast<int>(i),
                  wxString::FromUTF8(placeholder + " - " + meaning));
    }
    menu.Bind(wxEVT_MENU, [this, placeholders](wxCommandEvent& event) {
      const auto index = static_cast<size_t>(event.GetId() - kPlaceholderIds);
      if (index < placeholders.size()) {
        mask_->WriteText(wxString::FromUTF8(std::string(placeholders[index])));
        mask_->SetFocus();
      }
    });
    insert_->PopupMenu(&menu, 0, insert_->GetSize().y);
  }

  void update_example() {
    auto* bpp = dynamic_cast<wxChoice*>(wxGetTopLevelParent(mask_)->FindWindow("Output/TIFF BPP"));
    const std::vector<Entry> depths = depth_entries("tiff");
    const int row = bpp != nullptr ? bpp->GetSelection() : 0;
    const int32_t depth = row > 0 ? depths[static_cast<size_t>(row)].code : 0;
    example_->SetLabel(wxString::FromUTF8(
        format_placeholders(catalogue_text("Preferences", "Example Name"),
                            example_name(mask_->GetValue().utf8_string(), depth))));
  }

  wxTextCtrl* mask_ = nullptr;
  wxButton* insert_ = nullptr;
  wxStaticText* example_ = nullptr;
};

// A row that keeps state between its controls' events: it lives as long
// as the handlers and bindings that hold it.
template <typename StatefulRow>
wxWindow* add_stateful(const Place& place, const std::string& key) {
  auto row = std::make_shared<StatefulRow>(place, key);
  StatefulRow::bind(row, place.sheet, field_of(place.group, key));
  return row->control();
}

// A date and a time of day (hour and minute), local time. Left as they were
// shown, they keep the stored value to the second.
std::vector<wxWindow*> add_timestamp(const Place& place, const std::string& key) {
  const SettingField& field = field_of(place.group, key);
  const std::string name = control_name(place.group, key);
  wxWindow* parent = place.form.parent();
  auto* date = new wxDatePickerCtrl(parent, wxID_ANY, wxDefaultDateTime, wxDefaultPosition,
                                    wxDefaultSize, wxDP_DROPDOWN | wxDP_SHOWCENTURY);
  date->SetName(name);
  // The stored value counts seconds since 1970 in 32 bits.
  date->SetRange(wxDateTime(2, wxDateTime::Jan, 1970), wxDateTime(18, wxDateTime::Jan, 2038));
  auto* hour = new wxSpinCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                              wxSP_ARROW_KEYS | wxSP_WRAP, 0, 23, 0);
  hour->SetName(name + " hour");
  auto* minute = new wxSpinCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxSP_ARROW_KEYS | wxSP_WRAP, 0, 59, 0);
  minute->SetName(name + " minute");
  auto* colon = new wxStaticText(parent, wxID_ANY, ":");
  auto* line = new wxBoxSizer(wxHORIZONTAL);
  line->Add(date, wxSizerFlags(1).CenterVertical());
  line->Add(hour, wxSizerFlags().CenterVertical().Border(wxLEFT, 8));
  line->Add(colon, wxSizerFlags().CenterVertical().Border(wxLEFT | wxRIGHT, 2));
  line->Add(minute, wxSizerFlags().CenterVertical());
  wxStaticText* label = place.form.add(key, line);

  struct Shown {
    wxDateTime day;
    int hour = 0;
    int minute = 0;
  };
  auto shown = std::make_shared<Shown>();
  place.sheet.bind(
      [date, hour, minute, shown, &field](const Settings& s) {
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
      });
  return {date, hour, colon, minute, label};
}

std::vector<wxWindow*> add_row(const Place& place, const Row& row, const std::string& key) {
  switch (row.kind) {
    case Kind::None:
      return {};
    case Kind::Blank:
      return {add_blank(place)};
    case Kind::Tick:
      return {add_tick(place, key)};
    case Kind::Keyword:
      return {add_choice(place, key, keyword_entries(row.family, row.words), 0)};
    case Kind::List:
      return {add_choice(place, key, listed_entries(row.words), row.fallback)};
    case Kind::Depth:
      return {add_choice(place, key, depth_entries(place.format), 0)};
    case Kind::Number:
      return {add_number(place, key, row)};
    case Kind::Decimal:
      return {add_decimal(place, key, row)};
    case Kind::Text:
      return {add_text(place, key)};
    case Kind::Colour:
      return {add_colour(place, key)};
    case Kind::Palette:
      return {add_palette_colour(place, key, row)};
    case Kind::Font:
      return {add_stateful<FontRow>(place, key)};
    case Kind::Picture:
      return {add_picture(place, key)};
    case Kind::Mask:
      return {add_stateful<MaskRow>(place, key)};
    case Kind::Timestamp:
      return add_timestamp(place, key);
    case Kind::Custom:
      row.build(place);
      return {};
  }
  return {};
}

}  // namespace

// --- Names

wxString text_of(std::string_view key) {
  return wxString::FromUTF8(catalogue_text("Preferences", key));
}

std::string control_name(std::string_view group, std::string_view key) {
  return std::string(group) + "/" + std::string(key);
}

const SettingField& field_of(std::string_view group, std::string_view key) {
  const SettingField* field = find_setting(group, key);
  if (field == nullptr) {
    debug_note("Preferences: no setting " + control_name(group, key));
    std::abort();
  }
  return *field;
}

wxWindow* control_of(wxWindow* scope, std::string_view group, std::string_view key) {
  wxWindow* control = scope->FindWindow(control_name(group, key));
  if (control == nullptr) {
    debug_note("Preferences: no control " + control_name(group, key));
    std::abort();
  }
  return control;
}

// --- Rows

std::function<bool()> switched_on(wxWindow* control, int entry) {
  if (auto* box = dynamic_cast<wxCheckBox*>(control)) return [box] { return box->GetValue(); };
  if (auto* list = dynamic_cast<wxChoice*>(control)) {
    return [list, entry] { return list->GetSelection() == entry; };
  }
  debug_note("Preferences: " + control->GetName().utf8_string() + " switches nothing");
  std::abort();
}

void add_rows(const Place& place, std::span<const Row> rows) {
  for (const Row& row : rows) {
    const std::string key = std::string(place.prefix) + std::string(row.key);
    const std::vector<wxWindow*> made = add_row(place, row, key);
    if (made.empty()) continue;
    set_tip(made.front(), row, key);
    if (!row.on.key.empty()) {
      wxWindow* master =
          control_of(wxGetTopLevelParent(place.form.parent()), place.group, row.on.key);
      place.sheet.enable_when(switched_on(master, row.on.entry), made);
    }
  }
}

wxTextCtrl* add_path(const Place& place, std::string_view key, PathKind kind,
                     std::string_view label_key) {
  auto* entry = new wxTextCtrl(place.form.parent(), wxID_ANY);
  entry->SetName(control_name(place.group, key));
  auto* browse = new wxButton(place.form.parent(), wxID_ANY, text_of("Browse"));
  browse->SetName(control_name(place.group, key) + " browse");
  place.form.add(label_key, with_button(entry, browse));
  browse->Bind(wxEVT_BUTTON, [browse, entry, kind](wxCommandEvent&) {
    wxWindow* parent = wxGetTopLevelParent(browse);
    if (kind == PathKind::Folder) {
      wxDirDialog dialog(parent,
                         wxString::FromUTF8(catalogue_text("Dialog", "Select Output Folder")),
                         entry->GetValue());
      if (dialog.ShowModal() == wxID_OK) {
        entry->SetValue(
            wxString::FromUTF8(with_trailing_separator(dialog.GetPath().utf8_string())));
      }
      return;
    }
    const std::string filter = catalogue_text("Dialog", "Image Files") +
                               "|*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff;*.tga|" +
                               catalogue_text("Dialog", "All Files") + " (*.*)|*.*";
    wxFileDialog dialog(
        parent, wxString::FromUTF8(catalogue_text("Dialog", "Select Watermark Image")),
        wxEmptyString, entry->GetValue(), wxString::FromUTF8(case_insensitive_filter(filter)),
        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK) entry->SetValue(dialog.GetPath());
  });
  return entry;
}

std::string example_name(std::string_view mask, int32_t tiff_bpp) {
  CurrentFile sample;
  sample.input_path = "/media/cdrom/PHOTO_CD/IMAGES/IMG0001.PCD";
  sample.conversion_type = accepted_conversion_list().front();
  sample.output_bpp = tiff_bpp != 0 ? tiff_bpp : 24;
  sample.mask_width = 3072;
  sample.mask_height = 2048;
  sample.random_number = 4711;
  sample.file_counter = 1;
  return file_name_for(mask, sample, local_time_now());
}

bool usable_file_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace pixmera::ui::preferences
