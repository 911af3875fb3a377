#include "cli/command_line.h"

#include "cli/options.h"
#include "pipeline/current_file.h"
#include "pipeline/driver.h"
#include "pipeline/format_tables.h"
#include "platform/console.h"
#include "platform/files.h"
#include "settings/catalogue.h"
#include "settings/product.h"
#include "settings/settings.h"
#include "util/text.h"

namespace pixmera {

namespace {

constexpr std::string_view kIncorrectParameters = "Incorrect number of parameters";
constexpr std::string_view kInvalidProfile = "Invalid profile file";

// The state of one walk over the parameters.
struct Walk {
  const std::vector<std::string>& parameters;
  size_t index = 0;
  std::string error;
  bool quiet = false;
  bool pause = false;
  std::vector<std::string> bare_words;

  size_t count() const { return parameters.size(); }
  std::string value_at(size_t i) const { return option_value(parameters[i]); }
};

// A value that the shell split at blanks is put together again: a value that
// opens a double quote takes the following parameters, joined by one blank,
// until one of them closes it.
std::string rejoin_quoted(Walk& walk, std::string value) {
  if (!value.starts_with('"') || value.ends_with('"')) return value;
  while (walk.index + 1 < walk.count()) {
    ++walk.index;
    value += ' ';
    value += walk.value_at(walk.index);
    if (value.ends_with('"')) break;
  }
  return value;
}

std::string strip_quotes(std::string_view value) {
  const size_t first = value.find_first_not_of('"');
  if (first == std::string_view::npos) return {};
  const size_t last = value.find_last_not_of('"');
  return std::string(value.substr(first, last - first + 1));
}

// "-i FILE", "--input=FILE" and the like. False when the walk must stop.
bool take_basic_option(Walk& walk, const std::string& name, std::string& target, bool rejoin) {
  if (!name.starts_with("--")) ++walk.index;
  std::string value = walk.index < walk.count() ? walk.value_at(walk.index) : std::string();
  if (value.empty() || value.starts_with('-')) {
    walk.error = kIncorrectParameters;
    return false;
  }
  if (rejoin) value = rejoin_quoted(walk, std::move(value));
  target = strip_quotes(value);
  return true;
}

// An advanced option or "--profile". False when the walk must stop.
bool take_advanced_option(Walk& walk, const OptionSpec* option) {
  const OptionKind kind = option != nullptr ? option->kind : OptionKind::Text;
  if (kind == OptionKind::Flag) {
    apply_option(*option, {}, g_settings);
    return true;
  }
  std::string value = walk.value_at(walk.index);
  if (value.empty() || value.starts_with("--")) {
    walk.error = kIncorrectParameters;
    return false;
  }
  if (kind == OptionKind::Text) value = strip_quotes(rejoin_quoted(walk, std::move(value)));
  if (option != nullptr) {
    apply_option(*option, value, g_settings);
    return true;
  }
  if (!apply_profile(value, g_settings)) {
    walk.error = kInvalidProfile;
    return false;
  }
  return true;
}

// Applies one basic option. False when the walk must stop.
bool take_option(Walk& walk, const std::string& name, BasicOption option) {
  switch (option) {
    case BasicOption::Input:
      g_current_file.console_mode = 1;
      return take_basic_option(walk, name, g_current_file.given_input_path, true);
    case BasicOption::Output:
      return take_basic_option(walk, name, g_current_file.output_folder, true);
    case BasicOption::Conversion:
      return take_basic_option(walk, name, g_current_file.conversion_type, false);
    case BasicOption::Profile:
      return take_advanced_option(walk, nullptr);
    case BasicOption::Debug:
      g_current_file.debug_text = "DEBUG";
      return true;
    case BasicOption::Quiet:
      walk.quiet = true;
      return true;
    case BasicOption::Pause:
      walk.pause = true;
      return true;
    case BasicOption::Help:
    case BasicOption::Version:
      return true;  // honoured only as the first parameter
  }
  return true;
}

void walk_parameters(Walk& walk) {
  for (walk.index = 0; walk.index < walk.count(); ++walk.index) {
    const std::string name = option_name(walk.parameters[walk.index]);
    bool ok = true;
    if (const BasicOptionSpec* basic = find_basic_option(name)) {
      ok = take_option(walk, name, basic->option);
    } else if (const OptionSpec* option = find_advanced_option(name, false)) {
      ok = take_advanced_option(walk, option);
    } else if (name.empty()) {
      walk.bare_words.emplace_back(trim_spaces(walk.parameters[walk.index]));
    }
    if (!ok) return;
  }
}

}  // namespace

void prepare_command_line_mode() {
  build_input_format_table();
  build_output_format_table();
  g_current_file = CurrentFile{};
  g_current_file.program_folder = program_folder();
  g_settings.input_format_list = input_type_list();
  g_settings.output_format_list = accepted_conversion_list();
  reset_settings(g_settings, true);
  build_catalogue();
}

ParsedParameters parse_parameters(const std::vector<std::string>& parameters) {
  Walk walk{parameters, 0, {}, false, false, {}};
  walk_parameters(walk);
  return ParsedParameters{walk.error, walk.quiet, walk.pause, std::move(walk.bare_words)};
}

std::string option_name(std::string_view parameter) {
  const std::string_view trimmed = trim_spaces(parameter);
  if (!trimmed.starts_with('-')) return {};
  if (trimmed.starts_with("--")) return to_upper(trimmed.substr(0, trimmed.find('=')));
  return to_upper(trimmed);
}

std::string option_value(std::string_view parameter) {
  const std::string_view trimmed = trim_spaces(parameter);
  if (trimmed.starts_with("--")) {
    const size_t equals = trimmed.find('=', 2);
    if (equals != std::string_view::npos) return std::string(trimmed.substr(equals + 1));
  }
  return std::string(trimmed);
}

CommandLineResult run_command_line(std::string_view program_name,
                                   const std::vector<std::string>& parameters) {
  CommandLineResult result;
  if (parameters.empty()) return result;

  prepare_command_line_mode();

  const std::string first = to_upper(trim_spaces(parameters[0]));
  if (first == "-U") {
    result.face = Face::Uninstall;
    return result;
  }
  if (first == "-T") {
    g_current_file.debug_text = "T";
    result.face = Face::Screenshot;
    result.screenshot_folder = parameters.size() > 1 ? option_value(parameters[1]) : std::string();
    return result;
  }
  result.face = Face::Console;
  const BasicOptionSpec* special = find_basic_option(first);
  if (special != nullptr && special->option == BasicOption::Version) {
    console_set_title(title_text());
    console_print_line(version_text(kVersion));
    return result;
  }
  if (special != nullptr && special->option == BasicOption::Help) {
    console_set_title(title_text());
    for (const std::string& line : help_lines(program_name)) console_print_line(line);
    return result;
  }

  const ParsedParameters walk = parse_parameters(parameters);

  if (!walk.error.empty()) {
    console_set_title(title_text());
    console_print_line("Error: " + walk.error);
    if (walk.pause) console_wait_key();
    result.exit_status = 1;
    return result;
  }
  if (g_current_file.console_mode != 0) {
    console_set_title(title_text());
    if (!walk.quiet) {
      console_print_line(title_text());
      console_print_line(kMakerLine);
      console_print_line(kWebAddress);
      console_print_line(" ");
    }
    result.exit_status = run_conversion_job(walk.quiet);
    if (walk.pause) {
      console_print_line("Press any key to exit.");
      console_wait_key();
    }
    return result;
  }
  result.face = Face::Window;
  result.bare_words = walk.bare_words;
  return result;
}

}  // namespace pixmera
