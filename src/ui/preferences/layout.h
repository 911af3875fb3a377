// How the rows of a preferences page are laid out: forms of labels and
// controls, framed groups, sections made from row tables, the page itself,
// and the book of per-format rows of the Input and Output pages.
#pragma once

#include <wx/sizer.h>
#include <wx/string.h>

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/preferences/rows.h"
#include "ui/preferences/sheet.h"

class wxChoice;
class wxStaticText;
class wxWindow;

namespace pixmera::ui::preferences {

// --- Forms and boxes ----------------------------------------------------------

// A two-column (or four-column) form of labels and controls.
class Form {
 public:
  explicit Form(wxWindow* parent, int pairs = 1);

  wxWindow* parent() const { return parent_; }
  wxFlexGridSizer* sizer() const { return grid_; }

  // A label (the catalogue text of `label_key`, or none) and the control.
  wxStaticText* add(std::string_view label_key, wxWindow* control);
  wxStaticText* add(std::string_view label_key, wxSizer* controls);

 private:
  wxStaticText* add_label(std::string_view key);

  wxWindow* parent_;
  wxFlexGridSizer* grid_;
};

// A framed group of controls on a page.
struct Group {
  wxStaticBoxSizer* sizer;
  wxWindow* box;
};

Group group_box(wxWindow* parent, std::string_view title_key);

wxSizerFlags spaced();

// Every window in `holder` but `master`, the switch that turns the others on.
std::vector<wxWindow*> all_but(wxWindow* holder, wxWindow* master);

// --- Sections and pages -------------------------------------------------------

// Rows in a form of their own, framed when `title` names a box.
struct Section {
  std::string_view title{};
  std::span<const Row> rows{};
  int pairs = 1;             // label and control pairs side by side
  Switch on{};               // the rest of the box is on only while this switch is
  std::string_view group{};  // when not the page's
};

// A page of the dialog: a panel for the page list, its sections, notes and
// other content in one column.
class Page {
 public:
  // `group`: the settings group of the page's rows.
  Page(wxWindow* book, Sheet& sheet, std::string_view group);

  wxWindow* panel() const { return panel_; }
  wxSizer* content() const { return content_; }

  // A section below what is there; returns the window that holds its
  // controls: its box, or the page.
  wxWindow* add(const Section& section);
  void add(std::span<const Section> sections);
  void add(wxWindow* window, wxSizerFlags flags);
  void add(wxSizer* sizer, wxSizerFlags flags);
  // A line of text, wrapped to `wrap` pixels when given.
  void add_note(std::string_view key, int wrap = 0);
  // The control of a setting of the page's group.
  wxWindow* find(std::string_view key) const;
  // Lays the page out; the dialog adds it to the page list.
  wxWindow* finish();

 private:
  wxWindow* panel_;
  wxSizer* content_;
  Sheet& sheet_;
  std::string_view group_;
};

// A page of sections and nothing else.
wxWindow* section_page(wxWindow* book, Sheet& sheet, std::string_view group,
                       std::span<const Section> sections);

// --- Format rows ---------------------------------------------------------------

// The rows of one format on the Input or Output page.
struct FormatRows {
  std::string_view format;
  std::array<Row, 5> rows;
};

// A list of formats and below it a book that shows the rows of the format
// chosen.
struct FormatBook {
  std::string_view group;  // of the rows' settings
  std::string_view label;  // the list's label
  std::string_view name;   // the list's control name
  std::span<const FormatRows> formats;
  // "TIFF - Tagged Image File Format": a format as the list shows it.
  wxString (*describe)(std::string_view format);
  // The formats whose settings the configuration file keeps; the rows of
  // the others say that they last until the program ends.
  const std::vector<std::string>& saved;
};

wxString describe_input_format(std::string_view family);
wxString describe_output_format(std::string_view extension);

// Adds the list and the book to `into`; returns the list.
wxChoice* add_format_book(wxWindow* parent, wxSizer* into, Sheet& sheet, const FormatBook& book);

}  // namespace pixmera::ui::preferences
