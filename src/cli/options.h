// The option tables. The basic options name the job (input, output folder,
// conversion type) and the console's behaviour; the advanced options are one
// table that both the command line and a profile file apply to the Settings
// record. The number parsers they share are in settings/numbers.h, which the
// configuration file uses as well. The shell completion is generated from
// both tables.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/numbers.h"
#include "settings/settings.h"

namespace pixmera {

enum class BasicOption { Input, Output, Conversion, Profile, Debug, Quiet, Pause, Help, Version };

// What follows a basic option: nothing, or a value (after "=" in the long
// form, as the next parameter in the short one) of this kind.
enum class BasicValue {
  None,
  InputFile,       // a PhotoCD file
  Folder,          // the output folder
  ConversionType,  // an entry of the accepted conversion list
  AnyFile,         // the profile
};

struct BasicOptionSpec {
  std::string_view name;  // upper case: "-I", "--INPUT"
  BasicOption option;
  BasicValue value;
};

// Every name of every basic option, short forms beside long ones.
std::span<const BasicOptionSpec> basic_options();
// The basic option of that upper-case name, or nullptr.
const BasicOptionSpec* find_basic_option(std::string_view upper_name);

enum class OptionKind {
  Keyword,  // upper-case word of a keyword family
  Integer,  // the number parser
  Decimal,  // the decimal parser
  Text,     // text or colour text, taken as given
  Flag,     // no value: the setting takes `flag_value`
};

struct OptionSpec {
  std::string_view name;  // upper-case long form, "--WIDTH"
  OptionKind kind;
  int32_t family;  // keyword family, for OptionKind::Keyword
  std::string_view group;
  std::string_view key;
  int32_t flag_value;  // for OptionKind::Flag
  // A second setting some options also write ("Do Image Resize" = 1).
  std::string_view extra_key;
  int32_t extra_value;
};

// The options in the order they are compared.
std::span<const OptionSpec> advanced_options();

// The option of that upper-case name, or nullptr. A profile names the frame
// opacity "--WM-SOLID-OPACITY" and does not know "--FR-SOLID-OPACITY".
const OptionSpec* find_advanced_option(std::string_view upper_name, bool in_profile);

// Stores the prepared value text by the option's kind, then the extra setting.
void apply_option(const OptionSpec& option, std::string_view value, Settings& settings);

// Reads group "CLI" of an INI file and applies every key that names an
// option, in file order. False for an empty path or an unreadable file; true
// otherwise, also when the group is missing or holds nothing usable.
bool apply_profile(const std::string& path, Settings& settings);
// The part of apply_profile after the file is read.
void apply_profile_document(const IniDocument& document, Settings& settings);

}  // namespace pixmera
