// Checks the static wxMSW build without opening a window: wxWidgets starts
// as a console program, converts UTF-8 and UTF-16 text and decodes a PNG
// through its own image handler, which uses the prefix's libpng and zlib.
// Prints "OK" at the end; exits 1 on a failure.
#include <wx/wx.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/mstream.h>
#include <wx/wfstream.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  wxInitializer initializer;
  if (!initializer.IsOk()) {
    std::printf("FAIL wxWidgets did not initialise\n");
    return 1;
  }
  std::printf("%s\n", static_cast<const char*>(wxString(wxVERSION_STRING).utf8_str()));

  int failures = 0;
  const wxString text = wxString::FromUTF8("Bilder-\xc3\xa4\xc3\xb6\xc3\xbc-\xe6\x97\xa5\xe6\x9c\xac");
  const bool round_trip = text.length() == 13 && text.ToStdWstring() == L"Bilder-\u00e4\u00f6\u00fc-\u65e5\u672c";
  std::printf("%s UTF-8 to UTF-16 and back\n", round_trip ? "ok  " : "FAIL");
  failures += !round_trip;

  if (argc == 2) {
    wxImage::AddHandler(new wxPNGHandler);
    wxImage image;
    const bool loaded = image.LoadFile(wxString(argv[1]), wxBITMAP_TYPE_PNG) &&
                        image.GetWidth() == 64 && image.GetHeight() == 48;
    std::printf("%s wxImage reads a PNG by a non-ASCII path\n", loaded ? "ok  " : "FAIL");
    failures += !loaded;
  }

  if (failures) return 1;
  std::printf("OK\n");
  return 0;
}
