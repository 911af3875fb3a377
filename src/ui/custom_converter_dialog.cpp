// "Find a File Converter": the user picks the format of his files and the
// one he needs, and Search opens the vendor's converter search for the pair.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <string>
#include <vector>

#include "pipeline/format_tables.h"
#include "settings/catalogue.h"
#include "settings/product.h"
#include "ui/dialogs.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

constexpr const char* kSearchPage = "https://www.varnelo.example/converters/";
// What the search takes for "Any Format".
constexpr const char* kAnyFormat = "any";

wxString text_of(std::string_view key) {
  return wxString::FromUTF8(catalogue_text("Custom-Converter", key));
}

// "PCD - Kodak PhotoCD File".
wxString row_text(std::string_view extension, std::string_view description) {
  return wxString::FromUTF8(to_upper(extension) + " - " + std::string(description));
}

class ConverterDialog : public wxDialog {
 public:
  explicit ConverterDialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, text_of("Title")) {
    SetName("custom converter dialog");
    auto* description = new wxStaticText(this, wxID_ANY, text_of("Description"));
    description->Wrap(FromDIP(360));

    // Every extension of the input table, and every row of the output
    // table; each list opens on this product's own pair.
    std::vector<std::string> from_extensions;
    for (const InputFormat& format : input_format_table()) {
      from_extensions.push_back(format.extension);
    }
    std::vector<std::string> to_extensions;
    for (const OutputFormat& format : output_format_table()) {
      to_extensions.push_back(format.extension);
    }
    from_ =
        format_list("from", from_extensions, input_type_list().front(), [](const std::string& e) {
          const InputFormat* format = find_input_format(e);
          return format != nullptr ? format->description : std::string();
        });
    to_ = format_list("to", to_extensions, accepted_conversion_list().front(),
                      [](const std::string& e) {
                        const OutputFormat* format = find_output_format(e);
                        return format != nullptr ? format->description : std::string();
                      });
    from_extensions_ = std::move(from_extensions);
    to_extensions_ = std::move(to_extensions);

    auto* grid = new wxFlexGridSizer(2, 6, 12);
    grid->AddGrowableCol(1, 1);
    grid->Add(new wxStaticText(this, wxID_ANY, text_of("From")), wxSizerFlags().CenterVertical());
    grid->Add(from_, wxSizerFlags().Expand());
    grid->Add(new wxStaticText(this, wxID_ANY, text_of("To")), wxSizerFlags().CenterVertical());
    grid->Add(to_, wxSizerFlags().Expand());

    auto* search = new wxButton(this, wxID_ANY, text_of("Search"));
    search->SetName("search");
    search->SetDefault();
    search->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { run_search(); });
    auto* close = new wxButton(this, wxID_CANCEL, text_of("Close"));
    close->SetName("close");
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(search);
    buttons->Add(close, wxSizerFlags().Border(wxLEFT, 6));

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(description, wxSizerFlags().Border(wxALL, 10));
    top->Add(grid, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT, 10));
    top->Add(buttons, wxSizerFlags().Expand().Border(wxALL, 10));
    SetSizerAndFit(top);
    SetEscapeId(wxID_CANCEL);
    CentreOnParent();
  }

 private:
  template <typename Describe>
  wxChoice* format_list(const char* name, const std::vector<std::string>& extensions,
                        const std::string& selected, Describe describe) {
    auto* list = new wxChoice(this, wxID_ANY);
    list->SetName(name);
    list->Append(text_of("Any Format"));
    for (const std::string& extension : extensions) {
      list->Append(row_text(extension, describe(extension)));
      if (extension == selected) list->SetSelection(static_cast<int>(list->GetCount()) - 1);
    }
    if (list->GetSelection() == wxNOT_FOUND) list->SetSelection(0);
    return list;
  }

  // The extension of a list's row; empty for "Any Format".
  static std::string chosen(const wxChoice* list, const std::vector<std::string>& extensions) {
    const int row = list->GetSelection();
    if (row <= 0 || static_cast<size_t>(row) > extensions.size()) return {};
    return extensions[static_cast<size_t>(row) - 1];
  }

  void run_search() {
    const std::string url =
        converter_search_url(chosen(from_, from_extensions_), chosen(to_, to_extensions_));
    if (!open_web_page(url)) {
      show_message(this, "Warning",
                   format_placeholders(catalogue_text("Msg", "Unable to open web page"), url),
                   wxOK | wxICON_WARNING);
    }
  }

  wxChoice* from_ = nullptr;
  wxChoice* to_ = nullptr;
  std::vector<std::string> from_extensions_;
  std::vector<std::string> to_extensions_;
};

}  // namespace

std::string converter_search_url(std::string_view from, std::string_view to) {
  const auto value = [](std::string_view extension) {
    return url_encoded(extension.empty() ? std::string_view(kAnyFormat) : extension);
  };
  return std::string(kSearchPage) + "?from=" + value(from) + "&to=" + value(to);
}

void show_custom_converter(wxWindow* parent) {
  ConverterDialog dialog(parent);
  dialog.ShowModal();
}

}  // namespace pixmera::ui
