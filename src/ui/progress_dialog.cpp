// The progress dialog of a windowed conversion. It never touches the
// conversion: a timer reads the progress record under its mutex, and Stop
// only clears the record's running flag.
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "pipeline/progress.h"
#include "pipeline/time_estimate.h"
#include "pipeline/window_job.h"
#include "settings/catalogue.h"
#include "ui/dialogs.h"
#include "ui/toolkit.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

constexpr int kPollMilliseconds = 100;

wxString text(std::string_view group, std::string_view key, std::string_view s1 = {},
              std::string_view s2 = {}) {
  return wxString::FromUTF8(format_placeholders(catalogue_text(group, key), s1, s2));
}

class ProgressDialog : public wxDialog {
 public:
  ProgressDialog(wxWindow* parent, int total)
      : wxDialog(parent, wxID_ANY, text("Dialog", "Convert Progress"), wxDefaultPosition,
                 wxDefaultSize, wxCAPTION | wxCLOSE_BOX),
        total_(total),
        started_(std::chrono::steady_clock::now()),
        timer_(this) {
    SetName("progress dialog");
    auto* column = new wxBoxSizer(wxVERTICAL);
    current_ =
        new wxStaticText(this, wxID_ANY, text("Dialog", "Current File", ""), wxDefaultPosition,
                         wxSize(scaled(420), -1), wxST_ELLIPSIZE_MIDDLE | wxST_NO_AUTORESIZE);
    current_->SetName("current file");
    gauge_ =
        new wxGauge(this, wxID_ANY, std::max(total, 1), wxDefaultPosition, wxSize(scaled(420), -1));
    gauge_->SetName("progress bar");
    count_ = new wxStaticText(this, wxID_ANY, wxString());
    count_->SetName("progress count");
    converted_ = new wxStaticText(this, wxID_ANY, wxString());
    converted_->SetName("files converted");
    elapsed_ = new wxStaticText(this, wxID_ANY, wxString());
    remaining_ = new wxStaticText(this, wxID_ANY, text("Dialog", "Time Remaining", clock_text(0)));
    remaining_->SetName("time remaining");
    stop_ = new wxButton(this, wxID_CANCEL, text("Dialog", "Stop"));
    stop_->SetName("stop");

    const int gap = scaled(8);
    column->Add(current_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap * 2);
    column->Add(gauge_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap * 2);
    auto* counts = new wxBoxSizer(wxHORIZONTAL);
    counts->Add(count_, 0, wxALIGN_CENTER_VERTICAL);
    counts->AddStretchSpacer();
    counts->Add(converted_, 0, wxALIGN_CENTER_VERTICAL);
    column->Add(counts, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap * 2);
    auto* times = new wxBoxSizer(wxHORIZONTAL);
    times->Add(elapsed_, 0, wxALIGN_CENTER_VERTICAL);
    times->AddStretchSpacer();
    times->Add(remaining_, 0, wxALIGN_CENTER_VERTICAL);
    column->Add(times, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap * 2);
    column->Add(stop_, 0, wxALIGN_RIGHT | wxALL, gap * 2);
    SetSizerAndFit(column);
    CentreOnParent();

    stop_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ask_to_stop(); });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
      if (!window_conversion_finished()) {
        event.Veto();
        ask_to_stop();
        return;
      }
      event.Skip();
    });
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { poll(); });
    update(0, {}, 0, true);
    timer_.Start(kPollMilliseconds);
  }

 private:
  void ask_to_stop() {
    if (stopping_ || window_conversion_finished()) return;
    const int answer = show_message(this, "Question", catalogue_text("Msg", "Ask break conversion"),
                                    wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    if (answer != wxID_YES) return;
    stopping_ = true;
    stop_->Disable();
    stop_window_conversion();
  }

  void poll() {
    int32_t processed = 0;
    int32_t converted = 0;
    std::string current;
    {
      std::lock_guard lock(g_progress.mutex);
      processed = g_progress.processed;
      converted = g_progress.converted;
      current = g_progress.current_file;
    }
    const bool finished = window_conversion_finished();
    update(processed, current, converted, !finished);
    if (finished) {
      timer_.Stop();
      EndModal(wxID_OK);
    }
  }

  void update(int32_t processed, const std::string& current, int32_t converted, bool running) {
    const int64_t elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - started_)
                                   .count();
    current_->SetLabel(text("Dialog", "Current File", current));
    const int32_t done = running && processed > 0 ? processed - 1 : processed;
    gauge_->SetValue(std::clamp(done, 0, std::max(total_, 1)));
    count_->SetLabel(text("Msg", "Progress", std::to_string(processed), std::to_string(total_)));
    converted_->SetLabel(
        text("Msg", "Files converted", std::to_string(converted), std::to_string(total_)));
    elapsed_->SetLabel(text("Dialog", "Time Elapsed", clock_text(elapsed_ms / 1000)));
    const RemainingTime remaining = estimate_remaining(elapsed_ms, processed, total_, running);
    const std::string shown = remaining.kind == RemainingTime::Kind::Unknown
                                  ? catalogue_text("Dialog", "Time Unknown")
                                  : clock_text(remaining.seconds);
    remaining_->SetLabel(text("Dialog", "Time Remaining", shown));
  }

  int total_;
  std::chrono::steady_clock::time_point started_;
  wxTimer timer_;
  wxStaticText* current_ = nullptr;
  wxGauge* gauge_ = nullptr;
  wxStaticText* count_ = nullptr;
  wxStaticText* converted_ = nullptr;
  wxStaticText* elapsed_ = nullptr;
  wxStaticText* remaining_ = nullptr;
  wxButton* stop_ = nullptr;
  bool stopping_ = false;
};

}  // namespace

void show_conversion_progress(wxWindow* parent, int total) {
  ProgressDialog dialog(parent, total);
  dialog.ShowModal();
}

}  // namespace pixmera::ui
