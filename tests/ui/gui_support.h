// Helpers of the GUI tests: waiting on a condition while the toolkit runs,
// and answering the modal dialogs a command opens.
#pragma once

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/dialogs.h"

namespace pixmera::test {

// Stands in for the browser while it lives: notes the pages the program
// asks it to open, and hands the opener back at its end.
class OpenedPages {
 public:
  OpenedPages() {
    pages().clear();
    previous_ = ui::set_web_page_opener(&note);
  }
  ~OpenedPages() { ui::set_web_page_opener(previous_); }
  OpenedPages(const OpenedPages&) = delete;
  OpenedPages& operator=(const OpenedPages&) = delete;

  static std::vector<std::string>& pages() {
    static std::vector<std::string> opened;
    return opened;
  }

 private:
  static bool note(const std::string& address) {
    pages().push_back(address);
    return true;
  }
  ui::WebPageOpener previous_ = nullptr;
};

// Lets the toolkit run in short steps until `done` holds; false when the
// time limit passed first.
inline bool wait_until(const std::function<bool()>& done,
                       std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    wxTheApp->Yield(true);
    wxTheApp->ProcessIdle();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// A modal dialog as the test saw it.
struct SeenDialog {
  std::string name;  // the dialog's window name ("progress dialog", "message")
  std::string title;
  std::string message;  // of a message box
};

// Records every modal dialog and answers it: `answer` returns the result
// ShowModal gives back, or wxID_NONE to let the dialog show and run.
// Message boxes are answered with OK (or Yes) unless `answer` says otherwise.
class DialogScript : public wxModalDialogHook {
 public:
  DialogScript() { Register(); }
  ~DialogScript() override { Unregister(); }

  std::vector<SeenDialog> seen;
  std::function<int(wxDialog*)> answer;

  std::vector<std::string> messages() const {
    std::vector<std::string> texts;
    for (const SeenDialog& dialog : seen) {
      if (!dialog.message.empty()) texts.push_back(dialog.message);
    }
    return texts;
  }

 protected:
  int Enter(wxDialog* dialog) override {
    SeenDialog record{dialog->GetName().utf8_string(), dialog->GetTitle().utf8_string(), {}};
    auto* box = dynamic_cast<wxMessageDialog*>(dialog);
    if (box != nullptr) {
      record.name = "message";
      record.message = box->GetMessage().utf8_string();
    }
    seen.push_back(record);
    const int scripted = answer ? answer(dialog) : wxID_NONE;
    if (scripted != wxID_NONE || box == nullptr) return scripted;
    return (box->GetMessageDialogStyle() & wxYES_NO) != 0 ? wxID_YES : wxID_OK;
  }
  void Exit(wxDialog*) override {}
};

}  // namespace pixmera::test
