// The about box: the product, its version, the vendor's web and support
// addresses, copyright and credits, and the licences of the libraries the
// program is built on.
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/hyperlink.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/drawing.h"
#include "platform/http_fetch.h"
#include "settings/catalogue.h"
#include "settings/product.h"
#include "ui/dialogs.h"
#include "ui/toolkit.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

wxString text_of(std::string_view key) { return wxString::FromUTF8(catalogue_text("About", key)); }

// The libraries this build is made of, as its drawing layer, fetch and
// toolkit name them; each has its licence line "License <name>".
std::vector<std::string_view> used_libraries() {
  std::vector<std::string_view> names{"FreeImage", "LibTIFF", "Little CMS"};
  for (std::string_view name : drawing_credits()) names.push_back(name);
  for (std::string_view name : toolkit_credits()) names.push_back(name);
  names.push_back("libarchive");
  names.push_back(http_fetch_library());
  return names;
}

// "A, B and C".
std::string listed(const std::vector<std::string_view>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

class AboutDialog : public wxDialog {
 public:
  explicit AboutDialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, text_of("Title")) {
    SetName("about dialog");
    auto* name = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(kProductName));
    name->SetName("product name");
    name->SetFont(name->GetFont().Bold().Scaled(1.4f));

    auto* facts = new wxFlexGridSizer(2, 4, 12);
    facts->Add(new wxStaticText(this, wxID_ANY, text_of("Version")));
    auto* version = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(version_text(kVersion)));
    version->SetName("version");
    facts->Add(version);
    facts->Add(new wxStaticText(this, wxID_ANY, text_of("Website")),
               wxSizerFlags().CenterVertical());
    facts->Add(link("web address", kWebAddress, kWebAddress));
    facts->Add(new wxStaticText(this, wxID_ANY, text_of("Email")), wxSizerFlags().CenterVertical());
    facts->Add(link("support address", kSupportMail, std::string("mailto:") + kSupportMail));

    auto* copyright = new wxStaticText(this, wxID_ANY, text_of("Copyright"));
    const std::vector<std::string_view> libraries = used_libraries();
    auto* credits = new wxStaticText(this, wxID_ANY,
                                     wxString::FromUTF8(format_placeholders(
                                         catalogue_text("About", "Credits"), listed(libraries))));
    credits->Wrap(FromDIP(420));

    auto* licences = new wxBoxSizer(wxVERTICAL);
    for (std::string_view library : libraries) {
      const std::string key = "License " + std::string(library);
      auto* line = new wxStaticText(this, wxID_ANY, text_of(key));
      line->SetName(key);
      licences->Add(line, wxSizerFlags().Border(wxLEFT, 12));
    }

    auto* close = new wxButton(this, wxID_CANCEL, text_of("Close"));
    close->SetName("close");
    close->SetDefault();
    SetEscapeId(wxID_CANCEL);

    auto* top = new wxBoxSizer(wxVERTICAL);
    const wxSizerFlags row = wxSizerFlags().Border(wxLEFT | wxRIGHT | wxTOP, 10);
    top->Add(name, row);
    top->Add(facts, row);
    top->Add(copyright, row);
    top->Add(credits, row);
    top->Add(new wxStaticText(this, wxID_ANY, text_of("Licenses")), row);
    top->Add(licences, wxSizerFlags().Border(wxLEFT | wxRIGHT | wxTOP, 10));
    top->Add(close, wxSizerFlags().Right().Border(wxALL, 10));
    for (wxWindow* child : GetChildren()) {
      if (dynamic_cast<wxStaticText*>(child) != nullptr ||
          dynamic_cast<wxHyperlinkCtrl*>(child) != nullptr) {
        leave_room_after_text(child);
      }
    }
    SetSizerAndFit(top);
    CentreOnParent();
  }

 private:
  // A clickable address; it opens through open_web_page so the browser of
  // the desktop (or a test's) takes it.
  wxHyperlinkCtrl* link(const char* name, const std::string& label, const std::string& url) {
    auto* control =
        new wxHyperlinkCtrl(this, wxID_ANY, wxString::FromUTF8(label), wxString::FromUTF8(url));
    control->SetName(name);
    control->Bind(wxEVT_HYPERLINK, [this, url](wxHyperlinkEvent&) {
      if (!open_web_page(url)) {
        show_message(this, "Warning",
                     format_placeholders(catalogue_text("Msg", "Unable to open web page"), url),
                     wxOK | wxICON_WARNING);
      }
    });
    return control;
  }
};

}  // namespace

void show_about(wxWindow* parent) {
  AboutDialog dialog(parent);
  dialog.ShowModal();
}

}  // namespace pixmera::ui
