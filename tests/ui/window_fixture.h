// The common ground of the GUI tests: fresh settings and input list, a small
// complete theme, and a main window that is closed again after the test.
#pragma once

#include <gtest/gtest.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include <filesystem>

#include "gui_support.h"
#include "pipeline/current_file.h"
#include "pipeline/input_collection.h"
#include "settings/settings.h"
#include "support/pictures.h"
#include "support/temp_folder.h"
#include "theme_zip.h"
#include "ui/input_field.h"
#include "ui/main_window.h"
#include "ui/toolkit.h"

namespace pixmera::test {

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    reset_settings(g_settings, false);
    g_settings.input_format_list = {"pcd"};
    g_settings.output_format_list = {"tiff"};
    g_settings.x = 100;
    g_settings.y = 80;
    g_settings.width = 560;
    g_current_file = CurrentFile{};
    clear_input_collection();
    write_zip(gfx_.file("test.zip"), theme_files());
  }
  void TearDown() override {
    if (window_ != nullptr) window_->Destroy();
    EXPECT_TRUE(wait_until([] { return wxTopLevelWindows.empty(); }));
    ui::sync_display();  // so no window of this test is left on the screen
    clear_input_collection();
  }

  // The test theme; null when `damaged` theme folders are to be tried.
  std::unique_ptr<ui::Theme> test_theme() {
    std::vector<std::string> notes;
    return ui::load_theme("test", ui::scaled(16), ui::scaled(20), notes, {gfx_.folder()});
  }

  ui::MainWindow* open_window(std::unique_ptr<ui::Theme> theme,
                              const std::vector<std::string>& bare_words = {}) {
    window_ = new ui::MainWindow(std::move(theme), bare_words);
    window_->Show();
    EXPECT_TRUE(wait_until([this] { return window_->IsShownOnScreen(); }));
    return window_;
  }
  ui::MainWindow* open_window() { return open_window(test_theme()); }

  // Closes the window as its close box does; true once it is gone.
  bool close_window() {
    bool gone = false;
    window_->Bind(wxEVT_DESTROY, [&gone, this](wxWindowDestroyEvent& event) {
      if (event.GetEventObject() == window_) gone = true;
      event.Skip();
    });
    window_->Close();
    const bool closed = wait_until([&gone] { return gone; });
    window_ = nullptr;
    return closed;
  }

  wxWindow* element(const char* name) const { return wxWindow::FindWindowByName(name, window_); }

  TempFolder gfx_;
  TempFolder files_;
  ui::MainWindow* window_ = nullptr;
};

}  // namespace pixmera::test
