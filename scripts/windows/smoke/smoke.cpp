// Checks that the cross-built Windows libraries work together, as pixmera
// uses them: FreeImage reads a TIFF and a PNG by UTF-16 paths with
// non-ASCII letters and writes a 16-bit TIFF, libarchive reads a ZIP whose
// picture FreeImage decodes from memory, lcms2 makes an sRGB profile.
// Prints one line per check and "OK" at the end; exits 1 at the first
// failure.
#include <windows.h> // before FreeImage.h, which otherwise defines BOOL and DWORD itself

#include <FreeImage.h>
#include <png.h>
#include <tiffio.h>
#ifdef SMOKE_LIBARCHIVE
#include <archive.h>
#include <archive_entry.h>
#endif
#ifdef SMOKE_LCMS2
#include <lcms2.h>
#endif

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

struct BitmapDeleter {
  void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

Bitmap load(const std::wstring& path) {
  FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeU(path.c_str(), 0);
  if (format == FIF_UNKNOWN) return nullptr;
  return Bitmap(FreeImage_LoadU(format, path.c_str(), 0));
}

void describe(const char* label, FIBITMAP* bitmap) {
  std::printf("     %s: %ux%u, %u bits, type %d\n", label, FreeImage_GetWidth(bitmap),
              FreeImage_GetHeight(bitmap), FreeImage_GetBPP(bitmap),
              static_cast<int>(FreeImage_GetImageType(bitmap)));
}

#ifdef SMOKE_LIBARCHIVE
// A named entry of a ZIP archive, or nothing.
std::vector<unsigned char> read_zip_entry(const std::wstring& zip, const char* name) {
  std::vector<unsigned char> data;
  archive* reader = archive_read_new();
  archive_read_support_format_zip(reader);
  if (archive_read_open_filename_w(reader, zip.c_str(), 16384) == ARCHIVE_OK) {
    archive_entry* entry = nullptr;
    while (archive_read_next_header(reader, &entry) == ARCHIVE_OK) {
      if (std::string(archive_entry_pathname(entry)) != name) continue;
      const auto size = archive_entry_size(entry);
      data.resize(size > 0 ? static_cast<size_t>(size) : 0);
      if (archive_read_data(reader, data.data(), data.size()) != static_cast<la_ssize_t>(data.size()))
        data.clear();
      break;
    }
  }
  archive_read_free(reader);
  return data;
}
#endif

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: smoke FOLDER\n");
    return 2;
  }
  std::wstring folder = argv[1];
  if (folder.back() != L'\\') folder += L'\\';
  const std::wstring tiff_path = folder + L"Bilder-\u00e4\u00f6\u00fc-\u65e5\u672c.tif";
  const std::wstring png_path = folder + L"Bilder-\u00e4\u00f6\u00fc-\u65e5\u672c.png";
  const std::wstring zip_path = folder + L"th\u00e8me.zip";
  const std::wstring out_path = folder + L"Ausgabe-\u00df-\u0444\u043e\u0442\u043e-16bit.tif";

  // libtiff reports every EXIF tag FreeImage's writer asks it about; pixmera
  // silences it the same way.
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);

  std::printf("FreeImage %s, libpng %s\n", FreeImage_GetVersion(), png_get_libpng_ver(nullptr));

  Bitmap tiff = load(tiff_path);
  check(tiff && FreeImage_GetWidth(tiff.get()) == 64 && FreeImage_GetHeight(tiff.get()) == 48,
        "FreeImage_LoadU reads a TIFF by a non-ASCII UTF-16 path");
  if (tiff) describe("TIFF", tiff.get());

  Bitmap png = load(png_path);
  check(png && FreeImage_GetWidth(png.get()) == 64 && FreeImage_GetHeight(png.get()) == 48,
        "FreeImage_LoadU reads a PNG by a non-ASCII UTF-16 path");
  if (png) describe("PNG", png.get());

  if (png) {
    Bitmap deep(FreeImage_ConvertToRGB16(png.get()));
    check(deep && FreeImage_SaveU(FIF_TIFF, deep.get(), out_path.c_str(), TIFF_DEFLATE),
          "FreeImage_SaveU writes a 16-bit TIFF (Deflate) by a non-ASCII UTF-16 path");
    Bitmap again = load(out_path);
    check(again && FreeImage_GetImageType(again.get()) == FIT_RGB16 &&
              FreeImage_GetBPP(again.get()) == 48 && FreeImage_GetWidth(again.get()) == 64,
          "the 16-bit TIFF reads back as 48-bit RGB");
    if (again) describe("16-bit TIFF", again.get());
  }

  std::string reading, stubbed;
  for (int format = 0; format < FreeImage_GetFIFCount(); ++format) {
    const auto fif = static_cast<FREE_IMAGE_FORMAT>(format);
    std::string& list = FreeImage_FIFSupportsReading(fif) ? reading : stubbed;
    list += std::string(list.empty() ? "" : " ") + FreeImage_GetFormatFromFIF(fif);
  }
  std::printf("     plugins that read: %s\n     plugins stubbed: %s\n", reading.c_str(), stubbed.c_str());
  const char* pcd_format = FreeImage_GetFormatFromFIF(FIF_PCD);
  check(pcd_format && std::string(pcd_format) == "PCD" && FreeImage_FIFSupportsReading(FIF_PCD),
        "the PCD plugin is registered and reads");
  check(!FreeImage_FIFSupportsReading(FIF_EXR) && FreeImage_GetFIFCount() == FIF_JXR + 1,
        "stubbed plugins keep their place and read nothing");

#ifdef SMOKE_LIBARCHIVE
  std::printf("%s\n", archive_version_details());
  std::vector<unsigned char> entry = read_zip_entry(zip_path, "theme/picture.png");
  check(!entry.empty(), "libarchive reads a deflated ZIP entry by a non-ASCII UTF-16 path");
  if (!entry.empty()) {
    FIMEMORY* memory = FreeImage_OpenMemory(entry.data(), static_cast<DWORD>(entry.size()));
    Bitmap picture(FreeImage_LoadFromMemory(FIF_PNG, memory, 0));
    FreeImage_CloseMemory(memory);
    check(picture && FreeImage_GetWidth(picture.get()) == 64,
          "FreeImage decodes the PNG from the ZIP in memory");
  }

#else
  std::printf("skip libarchive is not in the prefix yet\n");
#endif

#ifdef SMOKE_LCMS2
  std::printf("lcms2 %d\n", cmsGetEncodedCMMversion());
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsUInt32Number profile_size = 0;
  check(srgb && cmsSaveProfileToMem(srgb, nullptr, &profile_size) && profile_size > 0,
        "lcms2 makes an sRGB profile");
  if (srgb) {
    std::printf("     sRGB profile: %u bytes\n", static_cast<unsigned>(profile_size));
    cmsHTRANSFORM identity =
        cmsCreateTransform(srgb, TYPE_RGB_16, srgb, TYPE_RGB_16, INTENT_PERCEPTUAL, 0);
    const cmsUInt16Number in[3] = {0x1234, 0x8000, 0xfedc};
    cmsUInt16Number out[3] = {};
    if (identity) cmsDoTransform(identity, in, out, 1);
    check(identity && out[1] > 0x7f00 && out[1] < 0x8100, "lcms2 transforms 16-bit RGB");
    if (identity) cmsDeleteTransform(identity);
    cmsCloseProfile(srgb);
  }
#else
  std::printf("skip lcms2 is not in the prefix yet\n");
#endif

  if (failures) {
    std::printf("%d check(s) failed\n", failures);
    return 1;
  }
  std::printf("OK\n");
  return 0;
}
