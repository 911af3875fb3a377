// The screenshot mode: every window pictured from the screen, in order, each
// picture the size of its window and showing something.
#include <wx/dialog.h>

#include "ui/dialogs.h"
#include "window_fixture.h"

namespace pixmera::test {
namespace {

namespace fs = std::filesystem;

// Distinct colours of a picture, up to `enough`.
int colours_in(const Image& picture, int enough) {
  const Image rgb = rgb24(picture);
  std::vector<uint32_t> seen;
  for (int y = 0; y < height_of(rgb); y += 3) {
    const BYTE* row = FreeImage_GetScanLine(rgb.get(), y);
    for (int x = 0; x < width_of(rgb); x += 3) {
      const uint32_t colour = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
      if (std::find(seen.begin(), seen.end(), colour) == seen.end()) seen.push_back(colour);
      if (static_cast<int>(seen.size()) >= enough) return enough;
    }
  }
  return static_cast<int>(seen.size());
}

class Screenshots : public WindowTest {};

TEST_F(Screenshots, PictureEveryWindowAtItsSize) {
  // The sizes of the dialogs, in the order they open and as they last
  // were (GTK may grow one as it shows it), to hold the pictures against.
  DialogScript dialogs;
  std::vector<wxSize> dialog_sizes;
  dialogs.answer = [&dialog_sizes](wxDialog* dialog) {
    const size_t index = dialog_sizes.size();
    dialog_sizes.push_back(dialog->GetSize());
    dialog->Bind(wxEVT_SIZE, [&dialog_sizes, index](wxSizeEvent& event) {
      dialog_sizes[index] = event.GetSize();
      event.Skip();
    });
    return wxID_NONE;
  };
  const std::string folder = files_.file("shots");
  EXPECT_EQ(ui::take_screenshots(folder), 0);

  const std::vector<std::string> expected = {
      "01-main.png",
      "02-menu-file.png",
      "03-menu-converter.png",
      "04-menu-help.png",
      "05-input-list-menu.png",
      "06-progress.png",
      "07-input-chooser.png",
      "08-preferences-general.png",
      "09-preferences-interface.png",
      "10-preferences-input.png",
      "11-preferences-output.png",
      "12-preferences-transform.png",
      "13-preferences-adjustment.png",
      "14-preferences-frame.png",
      "15-preferences-watermark.png",
      "16-preferences-advanced.png",
      "17-custom-converter.png",
      "18-about.png",
  };
  std::vector<std::string> written;
  for (const auto& entry : fs::directory_iterator(folder)) {
    written.push_back(entry.path().filename().string());
  }
  std::sort(written.begin(), written.end());
  ASSERT_EQ(written, expected);
  ASSERT_EQ(dialog_sizes.size(), expected.size() - 5);

  // Without a window manager a window's frame is the window itself.
  const Image main_window = load_picture(folder + "/01-main.png");
  EXPECT_EQ(width_of(main_window), g_settings.width);
  EXPECT_EQ(height_of(main_window), 260);
  for (size_t i = 0; i < expected.size(); ++i) {
    const Image picture = load_picture(folder + "/" + expected[i]);
    ASSERT_TRUE(picture) << expected[i];
    EXPECT_GE(colours_in(picture, 12), 12) << expected[i] << " looks blank";
    if (i >= 1 && i < 5) {
      // A menu picture holds the window and the open menu.
      EXPECT_GE(width_of(picture), width_of(main_window)) << expected[i];
      EXPECT_GE(height_of(picture), height_of(main_window)) << expected[i];
    } else if (i >= 5) {
      const wxSize size = dialog_sizes[i - 5];
      EXPECT_EQ(width_of(picture), size.x) << expected[i];
      EXPECT_EQ(height_of(picture), size.y) << expected[i];
    }
  }
}

}  // namespace
}  // namespace pixmera::test
