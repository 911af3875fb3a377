// "-U": the uninstall page as its user meets it, clicked with the mouse.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/uiaction.h>

#include <functional>

#include "gui_support.h"
#include "settings/catalogue.h"
#include "ui/dialogs.h"
#include "ui/toolkit.h"

namespace pixmera::test {
namespace {

constexpr const char* kFeedbackPage = "https://www.varnelo.example/pixmera/uninstall/";

class UninstallPage : public testing::Test {
 protected:
  void TearDown() override { ui::sync_display(); }

  // Shows the page and, once it is on the screen, lets `act` look at it and
  // end it; returns when the page has closed.
  void show(const std::function<void(wxDialog*)>& act) {
    DialogScript dialogs;
    bool acted = false;
    dialogs.answer = [&](wxDialog* page) {
      page->CallAfter([&, page] {
        if (wait_until([page] { return page->IsShownOnScreen(); })) act(page);
        acted = true;
      });
      return wxID_NONE;
    };
    ui::show_uninstall_page();
    EXPECT_TRUE(acted);
    ASSERT_EQ(dialogs.seen.size(), 1u);
    EXPECT_EQ(dialogs.seen[0].name, "uninstall page");
  }

  static void click(wxWindow* control) {
    wxUIActionSimulator mouse;
    mouse.MouseMove(control->GetScreenRect().GetPosition() + wxPoint(8, control->GetSize().y / 2));
    wxTheApp->Yield(true);
    mouse.MouseClick();
  }

  OpenedPages opened_;
};

TEST_F(UninstallPage, NextOpensTheFeedbackPageOnlyWhileTheBoxIsTicked) {
  show([](wxDialog* page) {
    EXPECT_EQ(page->GetTitle(), catalogue_text("Uninstall", "Title"));
    EXPECT_EQ(page->GetClientSize(), wxSize(300, 100));
    auto* box = dynamic_cast<wxCheckBox*>(wxWindow::FindWindowByName("tell us", page));
    auto* next = dynamic_cast<wxButton*>(wxWindow::FindWindowByName("next", page));
    ASSERT_NE(box, nullptr);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(box->GetValue());
    // The same words, however the toolkit breaks them into lines (Windows'
    // check box is given its line breaks in the text).
    wxString label = box->GetLabel();
    label.Replace("\n", " ");
    EXPECT_EQ(label, catalogue_text("Uninstall", "Uninstall Text"));
    EXPECT_EQ(next->GetLabel(), "Next");
    // Both fit in the small window, apart from each other.
    const wxRect inside(wxPoint(0, 0), page->GetClientSize());
    EXPECT_TRUE(inside.Contains(box->GetRect())) << box->GetRect().width;
    EXPECT_TRUE(inside.Contains(next->GetRect()));
    EXPECT_FALSE(box->GetRect().Intersects(next->GetRect()));
    click(next);
  });
  EXPECT_EQ(opened_.pages(), std::vector<std::string>{kFeedbackPage});

  opened_.pages().clear();
  show([](wxDialog* page) {
    auto* box = dynamic_cast<wxCheckBox*>(wxWindow::FindWindowByName("tell us", page));
    click(box);
    ASSERT_TRUE(wait_until([box] { return !box->GetValue(); }));
    click(wxWindow::FindWindowByName("next", page));
  });
  EXPECT_TRUE(opened_.pages().empty());

  // The close box sends nobody anywhere.
  show([](wxDialog* page) { page->Close(); });
  EXPECT_TRUE(opened_.pages().empty());
}

}  // namespace
}  // namespace pixmera::test
