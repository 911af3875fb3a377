// The preferences dialog, the converter search and the about box as a user
// meets them: each opened from the main window, acted on through its
// controls, and what it leaves in the Settings record, in config.ini and in
// a conversion.
#include <wx/bmpcbox.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/colordlg.h>
#include <wx/combobox.h>
#include <wx/hyperlink.h>
#include <wx/listbook.h>
#include <wx/simplebook.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <functional>

#include "colour_pick.h"
#include "imaging/colour_space.h"
#include "imaging/image.h"
#include "pipeline/driver.h"
#include "pipeline/format_tables.h"
#include "pipeline/progress.h"
#include "platform/drawing.h"
#include "platform/http_fetch.h"
#include "platform/process.h"
#include "settings/catalogue.h"
#include "settings/config_file.h"
#include "settings/recent_folders.h"
#include "support/pictures.h"
#include "ui/dialogs.h"
#include "util/text.h"
#include "window_fixture.h"

namespace pixmera::test {
namespace {

namespace fs = std::filesystem;
using ui::item_id;

// Presses a button as a click does.
void press(wxWindow* button) {
  ASSERT_NE(button, nullptr);
  wxCommandEvent click(wxEVT_BUTTON, button->GetId());
  click.SetEventObject(button);
  button->ProcessWindowEvent(click);
}

// Sends the event a user's choice in a list sends.
void choose(wxChoice* list, int row) {
  ASSERT_NE(list, nullptr);
  list->SetSelection(row);
  wxCommandEvent event(wxEVT_CHOICE, list->GetId());
  event.SetEventObject(list);
  event.SetInt(row);
  list->ProcessWindowEvent(event);
}

void tick(wxCheckBox* box, bool on) {
  ASSERT_NE(box, nullptr);
  box->SetValue(on);
  wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
  event.SetEventObject(box);
  event.SetInt(on ? 1 : 0);
  box->ProcessWindowEvent(event);
}

template <typename Control>
Control* find(wxWindow* dialog, const std::string& name) {
  return dynamic_cast<Control*>(wxWindow::FindWindowByName(name, dialog));
}

std::vector<std::string> entries(wxChoice* list) {
  std::vector<std::string> texts;
  for (unsigned i = 0; list != nullptr && i < list->GetCount(); ++i) {
    texts.push_back(list->GetString(i).utf8_string());
  }
  return texts;
}

int row_starting(wxChoice* list, const std::string& start) {
  const std::vector<std::string> texts = entries(list);
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].starts_with(start)) return static_cast<int>(i);
  }
  return -1;
}

std::string selected(wxChoice* list) {
  return list != nullptr ? list->GetStringSelection().utf8_string() : "<none>";
}

std::string page_shown(wxWindow* dialog) {
  auto* pages = find<wxListbook>(dialog, "pages");
  return pages != nullptr ? pages->GetCurrentPage()->GetName().utf8_string() : "<none>";
}

// The lines of a group of config.ini, "Key = value" each.
std::vector<std::string> group_lines(const std::string& text, const std::string& group) {
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& raw : split(text, '\n')) {
    std::string line = raw;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with('[')) {
      inside = line == "[" + group + "]";
      continue;
    }
    if (inside && line != "; ") lines.push_back(line);
  }
  return lines;
}

bool has_line(const std::string& text, const std::string& group, const std::string& line) {
  const std::vector<std::string> lines = group_lines(text, group);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool refuse_page(const std::string&) { return false; }

class Preferences : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    g_settings.config_path = files_.file("config.ini");
  }

  // Runs the dialog `item` opens: `act` gets it once it is up and presses
  // its buttons itself. A dialog still open afterwards is cancelled, so a
  // failed expectation never leaves the test waiting (a dialog that was
  // ended is hidden at once; wxMSW counts it modal until its ShowModal
  // returns). Colour dialogs answer
  // with `next_colour`, question boxes with `answer_questions`.
  void run_dialog(int item, const std::string& name, const std::function<void(wxDialog*)>& act) {
    script_.answer = [this, name, act](wxDialog* dialog) -> int {
      if (auto* colours = dynamic_cast<wxColourDialog*>(dialog)) {
        pick_colour(colours, next_colour_);
        return wxID_OK;
      }
      if (dynamic_cast<wxMessageDialog*>(dialog) != nullptr) {
        const bool question =
            (dynamic_cast<wxMessageDialog*>(dialog)->GetMessageDialogStyle() & wxYES_NO) != 0;
        return question ? answer_questions_ : wxID_OK;
      }
      if (dialog->GetName() == name) {
        wxTheApp->CallAfter([dialog, act] {
          act(dialog);
          if (dialog->IsShown()) dialog->EndModal(wxID_CANCEL);
        });
      }
      return wxID_NONE;
    };
    window_->run_command(item);
    script_.answer = nullptr;
  }
  void run_preferences(int item, const std::function<void(wxDialog*)>& act) {
    run_dialog(item, "preferences dialog", act);
  }

  std::string config_text() const { return read_bytes(g_settings.config_path); }

  // A new start of the window: the record is filled from config.ini again.
  void start_again() {
    ASSERT_TRUE(close_window());
    reset_settings(g_settings, false);
    load_configuration();
    open_window();
  }

  DialogScript script_;
  wxColour next_colour_;
  int answer_questions_ = wxID_YES;
  OpenedPages opened_;
};

// One change on each page, through its control; what config.ini must then
// hold, and what the control must show after a new start.
struct PageChange {
  const char* page;
  std::function<void(wxDialog*)> change;
  const char* group;
  std::vector<std::string> lines;
  std::function<void(wxDialog*)> shows;
};

TEST_F(Preferences, EachPageStoresItsChangeInConfigIniAndANewStartShowsIt) {
  const std::vector<PageChange> changes = {
      {"General",
       [](wxDialog* d) { choose(find<wxChoice>(d, "General/Update Range"), 1); },
       "General",
       {"Update Range = 1"},
       [](wxDialog* d) {
         EXPECT_EQ(selected(find<wxChoice>(d, "General/Update Range")), "Every Week");
       }},
      {"Interface",
       [](wxDialog* d) { choose(find<wxChoice>(d, "Interface/UI Size"), 0); },
       "Interface",
       {"UI Size = 0"},
       [](wxDialog* d) { EXPECT_EQ(selected(find<wxChoice>(d, "Interface/UI Size")), "Small"); }},
      {"Output",
       [](wxDialog* d) {
         auto* compression = find<wxChoice>(d, "Output/TIFF Compression");
         choose(compression, compression->FindString("LZW"));
         choose(find<wxChoice>(d, "Output/TIFF BPP"),
                find<wxChoice>(d, "Output/TIFF BPP")->FindString("48-bit"));
       },
       "Output",
       {"TIFF Compression = 6", "TIFF BPP = 48"},
       [](wxDialog* d) {
         EXPECT_EQ(selected(find<wxChoice>(d, "Output/TIFF Compression")), "LZW");
         EXPECT_EQ(selected(find<wxChoice>(d, "Output/TIFF BPP")), "48-bit");
       }},
      {"Transform",
       [](wxDialog* d) {
         tick(find<wxCheckBox>(d, "Transform/Do Image Rotation"), true);
         find<wxSpinCtrl>(d, "Transform/Image Rotation")->SetValue(90);
       },
       "Transform",
       {"Do Image Rotation = 1", "Image Rotation = 90"},
       [](wxDialog* d) {
         EXPECT_TRUE(find<wxCheckBox>(d, "Transform/Do Image Rotation")->GetValue());
         EXPECT_EQ(find<wxSpinCtrl>(d, "Transform/Image Rotation")->GetValue(), 90);
         EXPECT_TRUE(find<wxSpinCtrl>(d, "Transform/Image Rotation")->IsEnabled());
       }},
      {"Adjustment",
       [](wxDialog* d) {
         tick(find<wxCheckBox>(d, "Adjustment/Do Image Color Correction"), true);
         find<wxSpinCtrl>(d, "Adjustment/Image Brightness")->SetValue(-25);
         find<wxSpinCtrlDouble>(d, "Adjustment/Image Gamma")->SetValue(1.8);
       },
       "Adjustment",
       {"Do Image Color Correction = 1", "Image Brightness = -25", "Image Gamma = 1.800000"},
       [](wxDialog* d) {
         EXPECT_EQ(find<wxSpinCtrl>(d, "Adjustment/Image Brightness")->GetValue(), -25);
         EXPECT_DOUBLE_EQ(find<wxSpinCtrlDouble>(d, "Adjustment/Image Gamma")->GetValue(), 1.8);
       }},
      {"Frame",
       [this](wxDialog* d) {
         next_colour_ = wxColour(0xFF, 0x80, 0x00);
         press(find<wxButton>(d, "Frame/Solid Left Color"));
         EXPECT_EQ(find<wxButton>(d, "Frame/Solid Left Color")->GetLabel(), "Orange");
       },
       "Frame",
       {"Solid Left Color = FF8000"},
       [](wxDialog* d) {
         EXPECT_EQ(find<wxButton>(d, "Frame/Solid Left Color")->GetLabel(), "Orange");
         EXPECT_EQ(find<wxButton>(d, "Frame/Solid Right Color")->GetLabel(), "Black");
       }},
      {"Watermark",
       [this](wxDialog* d) {
         find<wxSpinCtrl>(d, "Watermark/Text Opacity")->SetValue(128);
         // A colour added to the text palette is chosen and kept in it.
         next_colour_ = wxColour(0x12, 0xAB, 0x3C);
         press(find<wxButton>(d, "Watermark/Font Colors"));
         EXPECT_EQ(find<wxBitmapComboBox>(d, "Watermark/Font Color")->GetStringSelection(),
                   "Color #12AB3C");
       },
       "Watermark",
       {"Text Opacity = 128", "Font Color = 12AB3C",
        "Font Colors = 000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF,12AB3C"},
       [](wxDialog* d) {
         EXPECT_EQ(find<wxSpinCtrl>(d, "Watermark/Text Opacity")->GetValue(), 128);
         auto* colours = find<wxBitmapComboBox>(d, "Watermark/Font Color");
         EXPECT_EQ(colours->GetCount(), 10u);
         EXPECT_EQ(colours->GetString(3), "Orange");
         EXPECT_EQ(colours->GetStringSelection(), "Color #12AB3C");
       }},
      {"Advanced",
       [](wxDialog* d) {
         find<wxTextCtrl>(d, "Advanced/Filename Mask")->SetValue("%filename[u]%_%n%.%ext[u]%");
         // The example follows the mask as it is typed.
         EXPECT_EQ(find<wxStaticText>(d, "mask example")->GetLabel(),
                   "Example: IMG0001_00001.TIFF");
       },
       "Advanced",
       {"Filename Mask = %filename[u]%_%n%.%ext[u]%"},
       [](wxDialog* d) {
         EXPECT_EQ(find<wxTextCtrl>(d, "Advanced/Filename Mask")->GetValue(),
                   "%filename[u]%_%n%.%ext[u]%");
       }},
  };

  open_window();
  for (const PageChange& change : changes) {
    SCOPED_TRACE(change.page);
    run_preferences(ui::kPreferencesItem, [&change](wxDialog* d) {
      change.change(d);
      press(d->FindWindow(wxID_OK));
    });
    const std::string text = config_text();
    for (const std::string& line : change.lines) {
      EXPECT_TRUE(has_line(text, change.group, line)) << line << "\n" << text;
    }
  }

  // The Input page edits settings of formats this product does not read:
  // they hold for the run, and the file keeps only the input format.
  run_preferences(ui::kPreferencesItem, [](wxDialog* d) {
    find<wxListbook>(d, "pages")->SetSelection(2);
    EXPECT_EQ(page_shown(d), "Input");
    EXPECT_EQ(selected(find<wxChoice>(d, "Input/Format")), "PCD - Kodak PhotoCD File");
    auto* formats = find<wxChoice>(d, "input formats");
    choose(formats, row_starting(formats, "RAW - "));
    EXPECT_TRUE(find<wxSpinCtrl>(d, "Input/RAW Header Size")->IsShownOnScreen());
    find<wxSpinCtrl>(d, "Input/RAW Header Size")->SetValue(512);
    press(d->FindWindow(wxID_OK));
  });
  EXPECT_EQ(g_settings.raw_header_size, 512);
  EXPECT_EQ(group_lines(config_text(), "Input"), std::vector<std::string>{"Format = pcd"});

  start_again();
  EXPECT_EQ(g_settings.raw_header_size, 0);
  run_preferences(ui::kPreferencesItem, [&changes](wxDialog* d) {
    for (const PageChange& change : changes) {
      SCOPED_TRACE(change.page);
      change.shows(d);
    }
  });
}

TEST_F(Preferences, CancelLeavesTheRecordAndTheFileAsTheyWere) {
  ASSERT_TRUE(save_configuration());
  const std::string before = config_text();
  const Settings settings_before = g_settings;
  open_window();
  run_preferences(ui::kPreferencesItem, [this](wxDialog* d) {
    choose(find<wxChoice>(d, "Output/TIFF Compression"), 6);
    find<wxSpinCtrl>(d, "Adjustment/Image Brightness")->SetValue(40);
    find<wxTextCtrl>(d, "Advanced/Filename Mask")->SetValue("x_%n%");
    next_colour_ = *wxRED;
    press(find<wxButton>(d, "Transform/Image Rotation Back Color"));
    press(d->FindWindow(wxID_CANCEL));
    EXPECT_FALSE(d->IsShown());
  });
  EXPECT_EQ(config_text(), before);
  EXPECT_TRUE(g_settings == settings_before);
}

TEST_F(Preferences, ResetToDefaultsAsksAndRestoresOnlyWhenConfirmed) {
  g_settings.tiff_compression = 6;
  g_settings.filename_mask = "%n%.%ext%";
  g_settings.image_brightness = 30;
  g_settings.do_image_color_correction = 1;
  open_window();

  answer_questions_ = wxID_NO;
  run_preferences(ui::kPreferencesItem, [](wxDialog* d) {
    press(find<wxButton>(d, "reset to defaults"));
    EXPECT_EQ(selected(find<wxChoice>(d, "Output/TIFF Compression")), "LZW");
    press(d->FindWindow(wxID_OK));
  });
  EXPECT_TRUE(has_line(config_text(), "Output", "TIFF Compression = 6"));
  EXPECT_EQ(g_settings.filename_mask, "%n%.%ext%");

  answer_questions_ = wxID_YES;
  run_preferences(ui::kPreferencesItem, [](wxDialog* d) {
    press(find<wxButton>(d, "reset to defaults"));
    // The defaults are shown before anything is stored.
    EXPECT_EQ(selected(find<wxChoice>(d, "Output/TIFF Compression")), "None");
    EXPECT_EQ(find<wxTextCtrl>(d, "Advanced/Filename Mask")->GetValue(), "%filename%.%ext%");
    EXPECT_FALSE(find<wxSpinCtrl>(d, "Adjustment/Image Brightness")->IsEnabled());
    press(d->FindWindow(wxID_OK));
  });
  const std::vector<std::string> messages = script_.messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], catalogue_text("Msg", "Ask reset to defaults"));
  const std::string text = config_text();
  EXPECT_TRUE(has_line(text, "Output", "TIFF Compression = 0"));
  EXPECT_TRUE(has_line(text, "Advanced", "Filename Mask = %filename%.%ext%"));
  EXPECT_TRUE(has_line(text, "Adjustment", "Image Brightness = 0"));
  EXPECT_EQ(g_settings.keep_aspect_ratio, 1);  // the windowed default
}

TEST_F(Preferences, OutputFormatOptionsOpensOnTheTiffRowAndItem17OnTheLastPage) {
  open_window();
  run_preferences(ui::kOutputFormatOptionsItem, [](wxDialog* d) {
    EXPECT_EQ(page_shown(d), "Output");
    EXPECT_EQ(selected(find<wxChoice>(d, "output formats")), "TIFF - Tagged Image File Format");
    EXPECT_TRUE(find<wxChoice>(d, "Output/TIFF Compression")->IsShownOnScreen());
    EXPECT_FALSE(find<wxChoice>(d, "Output/JPG BPP")->IsShownOnScreen());
    // The depths the output format table allows, 0 being the automatic one.
    EXPECT_EQ(entries(find<wxChoice>(d, "Output/TIFF BPP")),
              (std::vector<std::string>{"Automatic", "1-bit", "4-bit", "8-bit", "24-bit", "32-bit",
                                        "48-bit", "96-bit"}));
    EXPECT_EQ(entries(find<wxChoice>(d, "Output/GIF BPP")),
              (std::vector<std::string>{"Automatic", "8-bit"}));
    // No row in the table: only the automatic depth passes the check.
    EXPECT_EQ(entries(find<wxChoice>(d, "Output/PCX BPP")), std::vector<std::string>{"Automatic"});
    // The TIFF compressions of the shared family, in code order.
    EXPECT_EQ(
        entries(find<wxChoice>(d, "Output/TIFF Compression")),
        (std::vector<std::string>{"None", "CCITT Group 3 Fax", "CCITT Group 4 Fax", "PackBits",
                                  "Deflate", "Adobe Deflate", "LZW", "JPEG", "LogLuv"}));
    EXPECT_EQ(entries(find<wxChoice>(d, "Output/TIFF Color Mode")),
              (std::vector<std::string>{"RGB", "CMYK", "CIELAB"}));
    // Another row shows its own options.
    auto* formats = find<wxChoice>(d, "output formats");
    choose(formats, formats->FindString("JPG - JPEG File Format"));
    EXPECT_TRUE(find<wxSpinCtrl>(d, "Output/JPG Quality")->IsShownOnScreen());
    EXPECT_EQ(find<wxSpinCtrl>(d, "Output/JPG Quality")->GetMin(), 1);
    EXPECT_EQ(find<wxSpinCtrl>(d, "Output/JPG Quality")->GetMax(), 100);
    find<wxListbook>(d, "pages")->SetSelection(6);
    press(d->FindWindow(wxID_CANCEL));
  });
  run_preferences(ui::kPreferencesItem, [](wxDialog* d) { EXPECT_EQ(page_shown(d), "Frame"); });
}

// Settings that have no control, each for a reason a user can see.
const std::vector<std::string> kNotInTheDialog = {
    "General/CFG",          // the file's version
    "General/Update Date",  // shown; the update check sets it
    "Window/IsMaximized",   // the main window records its own geometry
    "Window/Width",
    "Window/Height",
    "Window/X",
    "Window/Y",
    "Output/Format",               // chosen in the main window's format list
    "File/CsvDelimiter",           // read for older files, never written
    "File/Recent Files",           // carried through unchanged
    "Privacy/Clean Recent Files",  // carried through unchanged
};

TEST_F(Preferences, EverySettingAUserMayChangeHasAControl) {
  open_window();
  run_preferences(ui::kPreferencesItem, [](wxDialog* d) {
    for (const SettingField& field : setting_fields()) {
      const std::string name = std::string(field.group) + "/" + std::string(field.key);
      const bool left_out =
          std::find(kNotInTheDialog.begin(), kNotInTheDialog.end(), name) != kNotInTheDialog.end();
      wxWindow* control = wxWindow::FindWindowByName(name, d);
      if (left_out) {
        EXPECT_EQ(control, nullptr) << name << " has a control after all";
      } else {
        EXPECT_NE(control, nullptr) << name << " has no control on any page";
      }
    }
  });
}

TEST_F(Preferences, ChangesAConversionWouldRefuseAreToldAndNotStored) {
  open_window();
  const std::string before_ok = config_text();
  run_preferences(ui::kPreferencesItem, [this, &before_ok](wxDialog* d) {
    wxWindow* ok = d->FindWindow(wxID_OK);
    // A resize to a side of 0.
    tick(find<wxCheckBox>(d, "Transform/Do Image Resize"), true);
    find<wxSpinCtrl>(d, "Transform/Image Height")->SetValue(400);
    press(ok);
    EXPECT_TRUE(d->IsModal());
    EXPECT_EQ(page_shown(d), "Transform");
    find<wxSpinCtrl>(d, "Transform/Image Width")->SetValue(600);
    // A text watermark in a face that does not open.
    choose(find<wxChoice>(d, "Watermark/Do Watermark"), 1);
    find<wxComboBox>(d, "Watermark/Font")->SetValue("No Such Face 3000");
    EXPECT_EQ(find<wxStaticText>(d, "font state")->GetLabel(), "This font is not installed");
    press(ok);
    EXPECT_EQ(page_shown(d), "Watermark");
    find<wxComboBox>(d, "Watermark/Font")->SetValue("Arial");
    EXPECT_EQ(find<wxStaticText>(d, "font state")->GetLabel(), "Drawn with Liberation Sans");
    // A picture watermark: none chosen, then one that is no picture.
    choose(find<wxChoice>(d, "Watermark/Do Watermark"), 2);
    press(ok);
    find<wxTextCtrl>(d, "Watermark/Image")->SetValue(files_.write("logo.png", "not a picture"));
    press(ok);
    choose(find<wxChoice>(d, "Watermark/Do Watermark"), 0);
    // A mask that names a sub-folder.
    find<wxTextCtrl>(d, "Advanced/Filename Mask")->SetValue("out/%filename%.%ext%");
    press(ok);
    EXPECT_TRUE(d->IsModal());
    EXPECT_EQ(config_text(), before_ok);  // nothing was saved on the way
    find<wxTextCtrl>(d, "Advanced/Filename Mask")->SetValue("%filename%_small.%ext%");
    press(ok);
    EXPECT_FALSE(d->IsShown());
  });
  EXPECT_EQ(
      script_.messages(),
      (std::vector<std::string>{
          "Invalid resize width value!", "Unable to load the watermark font: No Such Face 3000!",
          catalogue_text("Msg", "Empty watermark image"),
          "Unable to load the watermark image: " + files_.file("logo.png") + "!",
          "Invalid filename mask: out/%filename%.%ext%!"}));
  EXPECT_EQ(g_settings.image_width, 600);
  EXPECT_EQ(g_settings.image_height, 400);
  EXPECT_EQ(g_settings.font, "Arial");
  EXPECT_EQ(g_settings.do_watermark, 0);
  EXPECT_TRUE(has_line(config_text(), "Advanced", "Filename Mask = %filename%_small.%ext%"));
}

TEST_F(Preferences, AFailedSaveIsToldAndTheChangeStillHolds) {
  files_.write("not-a-folder", "x");
  g_settings.config_path = files_.file("not-a-folder/config.ini");
  open_window();
  run_preferences(ui::kPreferencesItem, [](wxDialog* d) {
    choose(find<wxChoice>(d, "Output/TIFF Compression"), 6);
    press(d->FindWindow(wxID_OK));
  });
  EXPECT_EQ(script_.messages(),
            std::vector<std::string>{"Unable to save the file: " + g_settings.config_path + "!"});
  EXPECT_EQ(g_settings.tiff_compression, 6);
  // An output folder chosen in the dialog goes in front of the recent ones,
  // and the main window's box shows it.
  g_settings.config_path = files_.file("config.ini");
  run_preferences(ui::kPreferencesItem, [this](wxDialog* d) {
    find<wxTextCtrl>(d, "File/Recent Out Folders")->SetValue(files_.file("chosen"));
    press(d->FindWindow(wxID_OK));
  });
  EXPECT_EQ(recent_out_folders(g_settings).front(), files_.file("chosen/"));
  EXPECT_EQ(dynamic_cast<wxComboBox*>(element("output folder box"))->GetValue(),
            files_.file("chosen/"));
}

TEST_F(Preferences, TheConverterSearchOpensThePairChosen) {
  EXPECT_EQ(ui::converter_search_url("a b", "c&d"),
            "https://www.varnelo.example/converters/?from=a%20b&to=c%26d");
  open_window();
  run_dialog(ui::kCustomConverterItem, "custom converter dialog", [](wxDialog* d) {
    EXPECT_EQ(d->GetTitle(), "Find a File Converter");
    auto* from = find<wxChoice>(d, "from");
    auto* to = find<wxChoice>(d, "to");
    EXPECT_EQ(selected(from), "PCD - Kodak PhotoCD File");
    EXPECT_EQ(selected(to), "TIFF - Tagged Image File Format");
    EXPECT_EQ(from->GetString(0), "Any Format");
    EXPECT_EQ(from->GetCount(), input_format_table().size() + 1);
    EXPECT_EQ(to->GetCount(), output_format_table().size() + 1);
    press(find<wxButton>(d, "search"));
    choose(from, 0);
    choose(to, to->FindString("JPG - JPEG File Format"));
    press(find<wxButton>(d, "search"));
    ui::set_web_page_opener(refuse_page);
    press(find<wxButton>(d, "search"));
    press(find<wxButton>(d, "close"));
  });
  EXPECT_EQ(opened_.pages(),
            (std::vector<std::string>{"https://www.varnelo.example/converters/?from=pcd&to=tiff",
                                      "https://www.varnelo.example/converters/?from=any&to=jpg"}));
  EXPECT_EQ(script_.messages(),
            std::vector<std::string>{"Unable to open the web page: "
                                     "https://www.varnelo.example/converters/?from=any&to=jpg!"});
}

TEST_F(Preferences, TheAboutBoxNamesProductVersionAddressesAndLicences) {
  open_window();
  run_dialog(ui::kAboutItem, "about dialog", [](wxDialog* d) {
    EXPECT_EQ(find<wxStaticText>(d, "product name")->GetLabel(), "Varnelo PCD to TIFF");
    EXPECT_EQ(find<wxStaticText>(d, "version")->GetLabel(), "3.1");
    auto* web = find<wxHyperlinkCtrl>(d, "web address");
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->GetURL(), "https://www.varnelo.example/pixmera/");
    EXPECT_EQ(find<wxHyperlinkCtrl>(d, "support address")->GetURL(),
              "mailto:support@varnelo.example");
    // The libraries this build is made of: Cairo, Pango and libcurl on
    // Linux, GDI+ and WinHTTP on Windows, never the other system's.
    std::vector<std::string> libraries{"FreeImage", "Little CMS", "wxWidgets", "libarchive",
                                       std::string(http_fetch_library())};
    for (std::string_view name : drawing_credits()) libraries.emplace_back(name);
    for (const std::string& library : libraries) {
      auto* line = find<wxStaticText>(d, "License " + library);
      ASSERT_NE(line, nullptr) << library;
      EXPECT_TRUE(line->GetLabel().StartsWith(wxString::FromUTF8(library) + ": ")) << library;
    }
    const char* other_system =
        http_fetch_library() == "WinHTTP" ? "License libcurl" : "License WinHTTP";
    EXPECT_EQ(find<wxStaticText>(d, other_system), nullptr);
    wxHyperlinkEvent click(web, web->GetId(), web->GetURL());
    web->ProcessWindowEvent(click);
    press(find<wxButton>(d, "close"));
  });
  EXPECT_EQ(opened_.pages(), std::vector<std::string>{"https://www.varnelo.example/pixmera/"});
}

class PreferencesConversion : public Preferences {};

TEST_F(PreferencesConversion, LzwAndAHalfSizeChosenInTheDialogReachTheTiff) {
  fs::copy_file(PIXMERA_TEST_DATA "/pcd/kodak_16base.pcd", files_.write("in/IMG0001.PCD", ""),
                fs::copy_options::overwrite_existing);
  open_window();
  run_preferences(ui::kOutputFormatOptionsItem, [](wxDialog* d) {
    choose(find<wxChoice>(d, "Output/TIFF Compression"), 6);
    tick(find<wxCheckBox>(d, "Transform/Do Image Resize"), true);
    for (const char* side : {"Width", "Height"}) {
      const std::string key = std::string("Transform/Image ") + side;
      choose(find<wxChoice>(d, key + " Unit"), 1);  // percent
      find<wxSpinCtrl>(d, key)->SetValue(50);
    }
    press(d->FindWindow(wxID_OK));
  });
  window_->input_field()->SetValue(files_.file("in/IMG0001.PCD"));
  dynamic_cast<wxComboBox*>(element("output folder box"))->SetValue(files_.file("out"));
  window_->run_command(ui::kConvertItem);
  ASSERT_EQ(script_.messages().size(), 1u);
  EXPECT_TRUE(script_.messages()[0].starts_with("Conversion complete")) << script_.messages()[0];

  const std::string tiff = files_.file("out/IMG0001.tiff");
  const Image picture = load_picture(tiff);
  EXPECT_EQ(width_of(picture), 1536);
  EXPECT_EQ(height_of(picture), 1024);
  EXPECT_EQ(tiff_tag(tiff, 259), 5);  // Compression: LZW
}

// The PhotoCD choices of the "Input" page reach our converter and the chain:
// a picture coded with light above white keeps it under white, and the TIFF
// carries the profile of the chosen colour space.
TEST_F(PreferencesConversion, PhotoCdChoicesMadeInTheDialogReachTheTiff) {
  fs::copy_file(PIXMERA_TEST_DATA "/pcd/kodak_gain_base.pcd", files_.write("in/IMG0001.PCD", ""),
                fs::copy_options::overwrite_existing);
  open_window();
  run_preferences(ui::kPreferencesItem, [](wxDialog* d) {
    choose(find<wxChoice>(d, "PhotoCD/PhotoCD Highlights"), 1);   // ROLLOFF
    choose(find<wxChoice>(d, "PhotoCD/PhotoCD Color Space"), 2);  // PROPHOTO
    press(d->FindWindow(wxID_OK));
  });
  EXPECT_EQ(g_settings.photocd_highlights, 1);
  EXPECT_EQ(g_settings.photocd_color_space, 2);
  window_->input_field()->SetValue(files_.file("in/IMG0001.PCD"));
  dynamic_cast<wxComboBox*>(element("output folder box"))->SetValue(files_.file("out"));
  window_->run_command(ui::kConvertItem);
  ASSERT_EQ(script_.messages().size(), 1u);
  EXPECT_TRUE(script_.messages()[0].starts_with("Conversion complete")) << script_.messages()[0];

  const Image picture = load_picture(files_.file("out/IMG0001.tiff"));
  ASSERT_TRUE(picture);
  const FIICCPROFILE* icc = FreeImage_GetICCProfile(picture.get());
  ASSERT_NE(icc, nullptr);
  const std::vector<uint8_t>& prophoto = icc_profile(photocd::ColourSpace::prophoto, false);
  const auto* bytes = static_cast<const uint8_t*>(icc->data);
  EXPECT_TRUE(std::equal(prophoto.begin(), prophoto.end(), bytes, bytes + icc->size));
  size_t white = 0;
  for (int y = 0; y < height_of(picture); ++y) {
    const BYTE* row = FreeImage_GetScanLine(picture.get(), y);
    for (int x = 0; x < width_of(picture); ++x, row += 3) {
      if (row[0] == 255 && row[1] == 255 && row[2] == 255) ++white;
    }
  }
  // Clipped, some 5 % of this picture is flat white.
  EXPECT_EQ(white, 0u);
}

// Every number at the end of its range, every list at its last entry and
// every operation switched on: whatever the dialog can store, the console's
// checks of a job accept.
TEST_F(PreferencesConversion, NothingTheDialogCanStoreIsRefusedByTheJobChecks) {
  set_environment_variable("PIXMERA_CONVERTER", "/nonexistent/converter");
  open_window();
  for (const bool highest : {false, true}) {
    SCOPED_TRACE(highest ? "highest" : "lowest");
    run_preferences(ui::kPreferencesItem, [highest](wxDialog* d) {
      std::vector<wxWindow*> pending{d};
      while (!pending.empty()) {
        wxWindow* window = pending.back();
        pending.pop_back();
        for (wxWindow* child : window->GetChildren()) pending.push_back(child);
        const std::string name = window->GetName().utf8_string();
        if (name.find('/') == std::string::npos) continue;
        if (auto* spin = dynamic_cast<wxSpinCtrl*>(window)) {
          spin->SetValue(highest ? spin->GetMax() : spin->GetMin());
        } else if (auto* real = dynamic_cast<wxSpinCtrlDouble*>(window)) {
          real->SetValue(highest ? real->GetMax() : real->GetMin());
        } else if (auto* box = dynamic_cast<wxCheckBox*>(window)) {
          box->SetValue(true);
        } else if (auto* list = dynamic_cast<wxChoice*>(window)) {
          // The watermark is left out: its font and picture are checked
          // when it is chosen.
          if (name != "Watermark/Do Watermark") {
            list->SetSelection(highest ? static_cast<int>(list->GetCount()) - 1 : 0);
          }
        }
      }
      press(d->FindWindow(wxID_OK));
      if (!highest) {
        // A side of 0 is refused while resizing is on.
        find<wxSpinCtrl>(d, "Transform/Image Width")->SetValue(1);
        find<wxSpinCtrl>(d, "Transform/Image Height")->SetValue(1);
        press(d->FindWindow(wxID_OK));
      }
      EXPECT_FALSE(d->IsShown());
    });
    EXPECT_EQ(g_settings.do_image_resize, 1);
    EXPECT_EQ(g_settings.image_brightness, highest ? 100 : -100);
    EXPECT_FLOAT_EQ(g_settings.image_gamma, highest ? 9.99f : 0.01f);

    // The job's checks run first; only a job that passed them imports its
    // input.
    clear_input_collection();
    g_current_file = CurrentFile{};
    g_current_file.given_input_path = PIXMERA_TEST_DATA "/pcd/base_only.pcd";
    g_current_file.output_folder = files_.folder();
    run_conversion_job(true);
    EXPECT_EQ(input_collection().size(), 1u);
  }
  clear_input_collection();
  set_environment_variable("PIXMERA_CONVERTER", "");
}

}  // namespace
}  // namespace pixmera::test
