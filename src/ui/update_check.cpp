// Item 23 and the automatic check when the main window opens. One check runs
// at a time, on a thread of its own that only fetches and reads the version
// document; its outcome is handed to the main thread with CallAfter, which
// stores "Update Date" and shows the answer. A window that closes while its
// check waits cancels the fetch, which ends at once.
#include "ui/update_check.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>

#include "pipeline/current_file.h"
#include "platform/http_fetch.h"
#include "settings/catalogue.h"
#include "settings/product.h"
#include "settings/settings.h"
#include "settings/version_document.h"
#include "ui/dialogs.h"
#include "ui/toolkit.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

constexpr int32_t kNeverRange = 5;

// "Update Date" is stored as seconds since 1970.
int32_t now_seconds() { return static_cast<int32_t>(std::time(nullptr)); }

enum class Answer { Newer, Newest, Failed };

struct Outcome {
  Answer answer = Answer::Failed;
  VersionDocument document;  // when the document was read
  std::string reason;        // why the check failed, for the user
  std::string debug;         // what happened, for the debug output
};

// The catalogue's words for a fetch that brought no document.
std::string fetch_failure(const FetchResult& fetched) {
  auto text = [&fetched](std::string_view key, std::string_view second = {}) {
    return format_placeholders(catalogue_text("Msg", key), fetched.host, second);
  };
  switch (fetched.outcome) {
    case FetchOutcome::HostNotFound:
      return text("Update host not found");
    case FetchOutcome::CannotConnect:
      return text("Update cannot connect");
    case FetchOutcome::TimedOut:
      return text("Update timed out");
    case FetchOutcome::HttpError:
      return text("Update server error", std::to_string(fetched.status));
    case FetchOutcome::TooLarge:
      return text("Update answer too large");
    case FetchOutcome::Fetched:
    case FetchOutcome::Cancelled:
    case FetchOutcome::Failed:
      break;
  }
  return text("Update connection failed", fetched.detail);
}

// Runs on the check's own thread: plain C++ only, no toolkit.
Outcome ask_for_version(const std::string& address, FetchCancel& cancel) {
  FetchLimits limits;
  limits.max_bytes = kMaxVersionDocumentBytes;
  const FetchResult fetched = fetch_url(address, limits, &cancel);
  Outcome outcome;
  outcome.debug = "Update check: " + address + ": ";
  if (fetched.outcome != FetchOutcome::Fetched) {
    outcome.reason = fetch_failure(fetched);
    outcome.debug += fetched.detail;
    return outcome;
  }
  std::string why;
  if (!parse_version_document(fetched.body, outcome.document, why)) {
    outcome.reason =
        format_placeholders(catalogue_text("Msg", "Update answer unreadable"), fetched.host);
    outcome.debug += "not a version document, " + why;
    return outcome;
  }
  const bool newer = compare_versions(outcome.document.version, version_text(kVersion)) > 0;
  outcome.answer = newer ? Answer::Newer : Answer::Newest;
  outcome.debug += "version " + outcome.document.version + " of " + outcome.document.date;
  return outcome;
}

// The check under way; touched by the main thread only. It lasts as long
// as `window`; the answer goes to `asker` while that is still open.
struct RunningCheck {
  int id = 0;
  bool on_demand = false;
  wxWeakRef<wxWindow> window;
  wxWeakRef<wxWindow> asker;
  FetchCancel cancel;
  std::thread thread;
};

std::unique_ptr<RunningCheck> g_check;
int g_last_id = 0;
// A notice of a newer version waiting until no modal dialog (a conversion's
// progress, the preferences) is in its way.
VersionDocument g_waiting_notice;

void offer_download(wxWindow* window, const VersionDocument& document) {
  const std::string text =
      format_placeholders(catalogue_text("Msg", "New version available"), document.version,
                          document.date, version_text(kVersion));
  if (show_message(window, "Information", text, wxYES_NO | wxICON_INFORMATION) != wxID_YES) return;
  if (!open_web_page(document.download)) {
    show_message(
        window, "Error",
        format_placeholders(catalogue_text("Msg", "Unable to open web page"), document.download),
        wxOK | wxICON_ERROR);
  }
}

// The automatic notice waits until the window is on the screen, so that it
// is centred on it, and until no modal dialog (which disables the windows
// under it) is in the way.
bool ready_for_notice(wxWindow* window) { return window->IsEnabled() && mapped_on_screen(window); }

void show_waiting_notice(wxIdleEvent& event) {
  event.Skip();
  auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
  if (window == nullptr) return;
  if (!ready_for_notice(window)) {
    // The map comes within moments and may bring no further idle time; a
    // modal dialog's own events keep the idle time coming while it is open.
    if (window->IsEnabled() && window->IsShown()) event.RequestMore();
    return;
  }
  window->Unbind(wxEVT_IDLE, &show_waiting_notice);
  offer_download(window, g_waiting_notice);
}

void end_check(wxWindow* window);

void stop_check_of_closing_window(wxWindowDestroyEvent& event) {
  event.Skip();
  auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
  if (window == nullptr || !g_check || g_check->window.get() != window) return;
  g_check->cancel.cancel();
  end_check(window);
}

// Joins the thread and forgets the check; the window stops listening.
void end_check(wxWindow* window) {
  if (!g_check) return;
  if (g_check->thread.joinable()) g_check->thread.join();
  if (g_check->on_demand) wxEndBusyCursor();
  g_check.reset();
  if (window != nullptr) window->Unbind(wxEVT_DESTROY, &stop_check_of_closing_window);
}

// On the main thread, once the check's thread has its outcome.
void finish_check(int id, const Outcome& outcome) {
  if (!g_check || g_check->id != id) return;  // the window closed meanwhile
  const bool on_demand = g_check->on_demand;
  wxWindow* owner = g_check->window.get();
  wxWindow* window = g_check->asker ? g_check->asker.get() : owner;
  end_check(owner);
  debug_note(outcome.debug);
  if (outcome.answer != Answer::Failed) g_settings.update_date = now_seconds();
  if (window == nullptr) return;

  if (outcome.answer == Answer::Newer) {
    if (on_demand || ready_for_notice(window)) {
      offer_download(window, outcome.document);
    } else {
      g_waiting_notice = outcome.document;
      window->Unbind(wxEVT_IDLE, &show_waiting_notice);
      window->Bind(wxEVT_IDLE, &show_waiting_notice);
    }
    return;
  }
  // The automatic check speaks of a newer version only.
  if (!on_demand) return;
  if (outcome.answer == Answer::Newest) {
    show_message(
        window, "Information",
        format_placeholders(catalogue_text("Msg", "No new version"), version_text(kVersion)),
        wxOK | wxICON_INFORMATION);
  } else {
    show_message(window, "Warning",
                 format_placeholders(catalogue_text("Msg", "Update check failed"), outcome.reason),
                 wxOK | wxICON_WARNING);
  }
}

// A dialog (the preferences' "Check Now") may close before the answer
// comes: the check belongs to the window the dialog was opened from.
wxWindow* lasting_window(wxWindow* window) {
  while (dynamic_cast<wxDialog*>(window) != nullptr && window->GetParent() != nullptr) {
    window = wxGetTopLevelParent(window->GetParent());
  }
  return window;
}

void start_check(wxWindow* asker, bool on_demand) {
  if (g_check) {
    // An automatic check under way answers the user's request as well.
    if (on_demand && !g_check->on_demand) {
      g_check->on_demand = true;
      g_check->asker = asker;
      wxBeginBusyCursor();
    }
    return;
  }
  wxWindow* window = lasting_window(asker);
  prepare_http();
  g_check = std::make_unique<RunningCheck>();
  RunningCheck* check = g_check.get();
  check->id = ++g_last_id;
  check->on_demand = on_demand;
  check->window = window;
  check->asker = asker;
  window->Bind(wxEVT_DESTROY, &stop_check_of_closing_window);
  if (on_demand) wxBeginBusyCursor();
  check->thread = std::thread([check, id = check->id, address = update_address()] {
    Outcome outcome = ask_for_version(address, check->cancel);
    wxTheApp->CallAfter([id, outcome = std::move(outcome)] { finish_check(id, outcome); });
  });
}

}  // namespace

std::string update_address() {
  const char* address = std::getenv("PIXMERA_UPDATE_URL");
  return address != nullptr && *address != '\0' ? address : kUpdateAddress;
}

bool update_check_running() { return g_check != nullptr; }

void start_automatic_update_check(wxWindow* window) {
  if (g_current_file.debug_text == "T" || g_settings.update_range == kNeverRange) return;
  if (!update_check_due(g_settings.update_range, g_settings.update_date, now_seconds())) return;
  start_check(window, false);
}

void check_for_new_version(wxWindow* parent) { start_check(parent, true); }

}  // namespace pixmera::ui
