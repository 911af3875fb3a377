// The configuration file "config.ini" of the windowed face: the Settings
// record is loaded from it at start-up and written back at the end. The
// console face never touches it.
#pragma once

#include <cstdint>
#include <string>

#include "settings/ini_file.h"
#include "settings/settings.h"

namespace pixmera {

// The version the program writes into "CFG"; older files are upgraded when read.
inline constexpr int32_t kConfigurationVersion = 19;

// g_settings.config_path = the configuration folder + "config.ini"; the
// folders are created when missing.
void set_configuration_path();

// Fills g_settings from g_settings.config_path. A file that cannot be read
// gives the windowed defaults; a readable one is taken as far as it goes,
// missing keys keeping their defaults. The format lists of g_settings must be
// set beforehand: the "Format" defaults and the saved keys depend on them.
void load_configuration();

// Writes g_settings to g_settings.config_path, replacing the old file in one
// step. False when it could not be written (no path, a folder that cannot be
// written, a full disk); the old file is then left as it was. The exit of the
// window saves without a word; the preferences dialog tells the user.
bool save_configuration();

// The loader's work on a file that could be read: defaults, every key found,
// the upgrades of older versions and the delimiter words.
void read_configuration(const IniDocument& document, Settings& settings);

// The bytes save_configuration() writes for these settings.
std::string configuration_text(const Settings& settings);

}  // namespace pixmera
