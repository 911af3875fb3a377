// What makes this build the PCD-to-TIFF converter: its name, version, vendor
// and the two one-entry format lists the general machinery is driven by.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pixmera {

inline constexpr const char* kProductName = "Varnelo PCD to TIFF";
inline constexpr const char* kShortName = "pixmera";
inline constexpr const char* kVendorName = "Varnelo";
inline constexpr int32_t kVersion = 310;

inline constexpr const char* kMakerLine = "Copyright (c) Varnelo Software. All rights reserved.";
inline constexpr const char* kWebAddress = "https://www.varnelo.example/pixmera/";
inline constexpr const char* kSupportMail = "support@varnelo.example";
inline constexpr const char* kUninstallFeedbackAddress =
    "https://www.varnelo.example/pixmera/uninstall/";
inline constexpr const char* kDefaultWatermarkText =
    "Converted with Varnelo PCD to TIFF - www.varnelo.example";
inline constexpr const char* kDefaultPalette =
    "000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF";

// The loader families this product reads and the conversion types it writes.
const std::vector<std::string>& input_type_list();
const std::vector<std::string>& accepted_conversion_list();

// "3.1" for 310, "3.1.1" for 311.
std::string version_text(int32_t version);
// "Varnelo PCD to TIFF 3.1": console title, first banner line and lock name.
std::string title_text();

}  // namespace pixmera
