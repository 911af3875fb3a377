#include "ui/preferences/layout.h"

#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/simplebook.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>

#include "pipeline/format_tables.h"
#include "util/text.h"

namespace pixmera::ui::preferences {

namespace {

// The rows of one format on a page of the format book.
void add_format_page(wxSimplebook* book, Sheet& sheet, std::string_view group,
                     const FormatRows& format, const std::vector<std::string>& saved) {
  auto* panel = new wxPanel(book, wxID_ANY);
  panel->SetName(std::string(group) + " " + std::string(format.format));
  auto* content = new wxBoxSizer(wxVERTICAL);
  Form form(panel);
  add_rows({.form = form, .sheet = sheet, .group = group, .format = format.format}, format.rows);
  content->Add(form.sizer(), wxSizerFlags().Expand());
  if (std::find(saved.begin(), saved.end(), format.format) == saved.end()) {
    auto* note = new wxStaticText(panel, wxID_ANY, text_of("Other Format Note"));
    note->Wrap(panel->FromDIP(480));
    content->Add(note, wxSizerFlags().Border(wxTOP, 10));
  }
  panel->SetSizer(content);
  book->AddPage(panel, wxEmptyString);
}

// "TIFF - Tagged Image File Format": a row of a format table.
template <typename TableRow>
wxString format_text(std::string_view extension, const TableRow* row) {
  std::string shown = to_upper(extension);
  if (row != nullptr) shown += " - " + row->description;
  return wxString::FromUTF8(shown);
}

}  // namespace

// --- Forms and boxes

// The gap between the lines of a form, and twice that between its columns.
constexpr int kGap = 6;

Form::Form(wxWindow* parent, int pairs)
    : parent_(parent), grid_(new wxFlexGridSizer(pairs * 2, kGap, kGap * 2)) {
  for (int i = 0; i < pairs; ++i) grid_->AddGrowableCol(i * 2 + 1, 1);
}

wxStaticText* Form::add(std::string_view label_key, wxWindow* control) {
  wxStaticText* label = add_label(label_key);
  grid_->Add(control, wxSizerFlags().Expand().CenterVertical());
  return label;
}

wxStaticText* Form::add(std::string_view label_key, wxSizer* controls) {
  wxStaticText* label = add_label(label_key);
  grid_->Add(controls, wxSizerFlags().Expand().CenterVertical());
  return label;
}

wxStaticText* Form::add_label(std::string_view key) {
  if (key.empty()) {
    grid_->AddSpacer(0);
    return nullptr;
  }
  auto* label = new wxStaticText(parent_, wxID_ANY, text_of(key));
  grid_->Add(label, wxSizerFlags().CenterVertical());
  return label;
}

Group group_box(wxWindow* parent, std::string_view title_key) {
  auto* sizer = new wxStaticBoxSizer(wxVERTICAL, parent, text_of(title_key));
  return {sizer, sizer->GetStaticBox()};
}

wxSizerFlags spaced() { return wxSizerFlags().Expand().Border(wxALL, 6); }

std::vector<wxWindow*> all_but(wxWindow* holder, wxWindow* master) {
  std::vector<wxWindow*> windows;
  for (wxWindow* child : holder->GetChildren()) {
    if (child != master) windows.push_back(child);
  }
  return windows;
}

// --- Sections and pages

Page::Page(wxWindow* book, Sheet& sheet, std::string_view group)
    : panel_(new wxPanel(book, wxID_ANY)),
      content_(new wxBoxSizer(wxVERTICAL)),
      sheet_(sheet),
      group_(group) {}

wxWindow* Page::add(const Section& section) {
  const std::string_view group = section.group.empty() ? group_ : section.group;
  wxWindow* holder = panel_;
  if (section.title.empty()) {
    Form form(panel_, section.pairs);
    add_rows({.form = form, .sheet = sheet_, .group = group}, section.rows);
    content_->Add(form.sizer(), spaced());
  } else {
    const Group box = group_box(panel_, section.title);
    Form form(box.box, section.pairs);
    add_rows({.form = form, .sheet = sheet_, .group = group}, section.rows);
    box.sizer->Add(form.sizer(), spaced());
    content_->Add(box.sizer, spaced());
    holder = box.box;
  }
  if (!section.on.key.empty()) {
    wxWindow* master = control_of(panel_, group, section.on.key);
    sheet_.enable_when(switched_on(master, section.on.entry), all_but(holder, master));
  }
  return holder;
}

void Page::add(std::span<const Section> sections) {
  for (const Section& section : sections) add(section);
}

void Page::add(wxWindow* window, wxSizerFlags flags) { content_->Add(window, flags); }

void Page::add(wxSizer* sizer, wxSizerFlags flags) { content_->Add(sizer, flags); }

void Page::add_note(std::string_view key, int wrap) {
  auto* note = new wxStaticText(panel_, wxID_ANY, text_of(key));
  if (wrap > 0) note->Wrap(panel_->FromDIP(wrap));
  content_->Add(note, spaced());
}

wxWindow* Page::find(std::string_view key) const { return control_of(panel_, group_, key); }

wxWindow* Page::finish() {
  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->Add(content_, wxSizerFlags(1).Expand().Border(wxALL, 6));
  panel_->SetSizer(outer);
  return panel_;
}

wxWindow* section_page(wxWindow* book, Sheet& sheet, std::string_view group,
                       std::span<const Section> sections) {
  Page page(book, sheet, group);
  page.add(sections);
  return page.finish();
}

// --- Format rows

wxString describe_input_format(std::string_view family) {
  return format_text(family, find_input_format(family));
}

wxString describe_output_format(std::string_view extension) {
  return format_text(extension, find_output_format(extension));
}

wxChoice* add_format_book(wxWindow* parent, wxSizer* into, Sheet& sheet, const FormatBook& book) {
  auto* list = new wxChoice(parent, wxID_ANY);
  list->SetName(std::string(book.name));
  for (const FormatRows& format : book.formats) list->Append(book.describe(format.format));
  Form form(parent);
  form.add(book.label, list);
  into->Add(form.sizer(), spaced());
  auto* pages = new wxSimplebook(parent, wxID_ANY);
  for (const FormatRows& format : book.formats) {
    add_format_page(pages, sheet, book.group, format, book.saved);
  }
  into->Add(pages, spaced().Proportion(1));
  sheet.on_update([list, pages] {
    if (list->GetSelection() >= 0)
      pages->ChangeSelection(static_cast<size_t>(list->GetSelection()));
  });
  return list;
}

}  // namespace pixmera::ui::preferences
