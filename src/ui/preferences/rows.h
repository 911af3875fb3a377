// The rows of the preferences pages. A page describes its rows as tables of
// setting, control and range; add_rows reads a table and makes each control,
// names it after its setting ("Output/TIFF Compression", so a setting can be
// found in the dialog by its name) and binds it to the setting through the
// Sheet. The builders of every kind of row are in rows.cpp; layout.h lays the
// rows out on a page.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"
#include "ui/preferences/sheet.h"

class wxTextCtrl;
class wxWindow;

namespace pixmera::ui::preferences {

// --- Limits ------------------------------------------------------------------
// The ranges of the number rows: what the conversion checks (brightness,
// contrast, gamma, qualities) and what its operations can use (angles of 0
// to 359 degrees, opacities and the threshold are bytes, a font needs a
// positive size). Resize sides stay within what a PhotoCD picture can be
// scaled to without passing the resize's own size limit.

constexpr int kLargestSide = 65535;
constexpr int kLargestPercent = 400;

// --- Names ---------------------------------------------------------------------

// The text of `key` in the catalogue's group "Preferences".
wxString text_of(std::string_view key);
// "Group/Key": the name of a setting's control.
std::string control_name(std::string_view group, std::string_view key);
// The settings table's row of a control. Every control names a row; a typo
// in a page's table is caught by the first test that opens the dialog.
const SettingField& field_of(std::string_view group, std::string_view key);
// The control of a setting among `scope` and its children; like field_of,
// a name that is none is a mistake of a page's table.
wxWindow* control_of(wxWindow* scope, std::string_view group, std::string_view key);

// --- Row tables ----------------------------------------------------------------

// A control whose state switches others on: a tick box while it is ticked,
// a choice while it shows entry `entry`.
struct Switch {
  std::string_view key{};
  int entry = 1;
};

// True while `control` (a tick box or a choice) is as `entry` says.
std::function<bool()> switched_on(wxWindow* control, int entry = 1);

enum class Kind {
  None,       // no row: the end of a shorter list
  Blank,      // an empty cell, so the next control starts a new line
  Tick,       // a tick box, labelled with the setting's own text
  Keyword,    // a choice of the words of a keyword family
  List,       // a choice of fixed entries, coded 0, 1, 2, ...
  Depth,      // "Automatic" and the bit depths the output format allows
  Number,     // a whole number in a range, with an optional unit after it
  Decimal,    // a number with two decimals, its range in hundredths
  Text,       // one line of text
  Colour,     // a button with the colour's swatch and name
  Palette,    // a colour of a palette setting, with "Add Color..."
  Font,       // a face with "Choose..." and whether it opens
  Picture,    // a picture's path with "Browse..."
  Mask,       // the filename mask with "Insert Placeholder" and an example
  Timestamp,  // a date and a time of day
  Custom,     // made by a function of the page
};

class Form;
struct Place;

// One row of a page: the setting it edits and how. A row's tip is the one
// it names; rows other than choices also show the catalogue's "<key> Tip"
// when there is one.
struct Row {
  Kind kind = Kind::None;
  std::string_view key{};
  // Keyword: the family.
  int32_t family = -1;
  // Keyword: the family's words offered, all when empty. List: the
  // catalogue keys of the entries.
  std::span<const std::string_view> words{};
  // Number, Decimal: the range.
  int low = 0;
  int high = 0;
  // List: the entry shown for any other code. Decimal: the value shown for
  // one outside the range.
  int fallback = 0;
  // Number: the catalogue key of the unit after the field.
  std::string_view unit{};
  // Palette: the key of the palette setting.
  std::string_view palette{};
  // The catalogue key of the tip.
  std::string_view tip{};
  // The row's control is on only while this switch is.
  Switch on{};
  // Custom: makes the row.
  void (*build)(const Place&) = nullptr;

  constexpr Row with_tip(std::string_view tip_key) const {
    Row row = *this;
    row.tip = tip_key;
    return row;
  }
  constexpr Row on_while(std::string_view switch_key, int entry = 1) const {
    Row row = *this;
    row.on = {switch_key, entry};
    return row;
  }
};

constexpr Row blank() { return {.kind = Kind::Blank}; }
constexpr Row tick(std::string_view key) { return {.kind = Kind::Tick, .key = key}; }
constexpr Row keyword(std::string_view key, int32_t family,
                      std::span<const std::string_view> words = {}) {
  return {.kind = Kind::Keyword, .key = key, .family = family, .words = words};
}
// Entries from the catalogue keys `entries`; a stored code that is none of
// them shows entry `fallback`.
constexpr Row listed(std::string_view key, std::span<const std::string_view> entries,
                     int fallback) {
  return {.kind = Kind::List, .key = key, .words = entries, .fallback = fallback};
}
constexpr Row depth(std::string_view key) {
  return {.kind = Kind::Depth, .key = key, .tip = "Bit Depth Tip"};
}
constexpr Row number(std::string_view key, int low, int high, std::string_view unit = {}) {
  return {.kind = Kind::Number, .key = key, .low = low, .high = high, .unit = unit};
}
// From low / 100 to high / 100 in steps of 0.01; a stored value outside
// shows as fallback / 100.
constexpr Row decimal(std::string_view key, int low, int high, int fallback) {
  return {.kind = Kind::Decimal, .key = key, .low = low, .high = high, .fallback = fallback};
}
constexpr Row text(std::string_view key) { return {.kind = Kind::Text, .key = key}; }
constexpr Row colour(std::string_view key) { return {.kind = Kind::Colour, .key = key}; }
constexpr Row palette_colour(std::string_view key, std::string_view palette) {
  return {.kind = Kind::Palette, .key = key, .palette = palette};
}
// The face list, the size and the style it works with are the rows
// "Fonts", "Font Size" and "Font Style" of the same box.
constexpr Row font(std::string_view key) { return {.kind = Kind::Font, .key = key}; }
constexpr Row picture(std::string_view key) { return {.kind = Kind::Picture, .key = key}; }
// Its example is the name of a TIFF at the depth the "Output/TIFF BPP" row shows.
constexpr Row mask(std::string_view key) { return {.kind = Kind::Mask, .key = key}; }
constexpr Row timestamp(std::string_view key) { return {.kind = Kind::Timestamp, .key = key}; }
constexpr Row custom(void (*build)(const Place&)) { return {.kind = Kind::Custom, .build = build}; }

// Where rows go and what their keys have in common.
struct Place {
  Form& form;
  Sheet& sheet;
  std::string_view group;     // the settings group of the keys
  std::string_view prefix{};  // before every key ("Text " + "Boundary")
  std::string_view format{};  // the output format a Depth row offers the depths of
};

// Makes the rows of a table one after the other, in the table's order.
void add_rows(const Place& place, std::span<const Row> rows);

// A path field with "Browse..." labelled `label_key`; the caller binds it.
enum class PathKind { Picture, Folder };
wxTextCtrl* add_path(const Place& place, std::string_view key, PathKind kind,
                     std::string_view label_key);

// The name the mask gives the first picture of a PhotoCD disc converted to
// TIFF at `tiff_bpp` (24 for automatic): what the user sees as the example.
std::string example_name(std::string_view mask, int32_t tiff_bpp);
// A name a file can have in the output folder: not empty, no folder part.
bool usable_file_name(const std::string& name);

}  // namespace pixmera::ui::preferences
