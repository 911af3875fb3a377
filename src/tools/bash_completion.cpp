// Writes pixmera's bash completion script. It runs at build time, so the
// script is made from the option tables the program itself reads and can
// never offer an option the program does not know, or miss one it does.
//
//   pixmera_bash_completion <output file>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "pipeline/format_tables.h"
#include "settings/keywords.h"
#include "settings/product.h"
#include "util/text.h"

namespace pixmera {

namespace {

// What the script offers after an option: a marker the completion function
// turns into files or folders, or the words themselves.
std::string value_words(BasicValue value) {
  switch (value) {
    case BasicValue::None:
      return {};
    case BasicValue::InputFile:
      return "@input";
    case BasicValue::Folder:
      return "@folder";
    case BasicValue::AnyFile:
      return "@file";
    case BasicValue::ConversionType: {
      std::string words;
      for (const std::string& type : accepted_conversion_list()) {
        words += (words.empty() ? "" : " ") + type;
      }
      return words;
    }
  }
  return {};
}

// The family's words in table order, each once.
std::string keyword_words(int32_t family) {
  std::vector<std::string_view> seen;
  std::string words;
  for (const Keyword& keyword : keyword_family(family)) {
    bool known = false;
    for (std::string_view word : seen) known |= word == keyword.word;
    if (known) continue;
    seen.push_back(keyword.word);
    words += (words.empty() ? "" : " ") + std::string(keyword.word);
  }
  return words;
}

bool takes_value(const OptionSpec& option) { return option.kind != OptionKind::Flag; }

// The names the script offers, in lower case as the help text writes them;
// long forms that take a value end in "=". "-?" is left to "-h".
std::vector<std::string> offered_names() {
  std::vector<std::string> names;
  for (const BasicOptionSpec& option : basic_options()) {
    if (option.name == "-?") continue;
    const bool long_form = option.name.starts_with("--");
    names.push_back(to_lower(option.name) +
                    (long_form && option.value != BasicValue::None ? "=" : ""));
  }
  for (const OptionSpec& option : advanced_options()) {
    names.push_back(to_lower(option.name) + (takes_value(option) ? "=" : ""));
  }
  return names;
}

// One "case" branch per option name that takes a value, with the words of
// its value (none for numbers and texts).
std::string value_branches() {
  std::string text;
  for (const BasicOptionSpec& option : basic_options()) {
    if (option.value == BasicValue::None) continue;
    text +=
        "        " + std::string(option.name) + ") words='" + value_words(option.value) + "' ;;\n";
  }
  for (const OptionSpec& option : advanced_options()) {
    if (!takes_value(option)) continue;
    const std::string words =
        option.kind == OptionKind::Keyword ? keyword_words(option.family) : std::string();
    text += "        " + std::string(option.name) + ") words='" + words + "' ;;\n";
  }
  return text;
}

std::string photocd_patterns() {
  std::string patterns;
  for (const std::string& extension : accepted_input_extensions()) {
    patterns += (patterns.empty() ? "*." : "|*.") + extension;
  }
  return patterns;
}

// The script, with @NAMES@, @VALUES@ and @PHOTOCD@ filled in from the tables.
constexpr std::string_view kScript =
    R"script(# bash completion for pixmera, written from the program's option tables
# when it was built.

_pixmera_names=(
@NAMES@)

# The words of the value of option $1 (any case), in `words`: "@input",
# "@folder", "@file" or keywords. Fails when the option takes no value.
_pixmera_value_words()
{
    case "${1^^}" in
@VALUES@        *) return 1 ;;
    esac
}

_pixmera_is_photocd()
{
    case "${1,,}" in
        @PHOTOCD@) return 0 ;;
    esac
    return 1
}

# Files that begin with $1, each after the prefix $2. With $3 = photocd:
# PhotoCD files (any case) and folders, or every file when no PhotoCD file
# matches.
_pixmera_files()
{
    local entry
    local -a found photocd=() folders=() others=()
    mapfile -t found < <(compgen -f -- "$1")
    for entry in "${found[@]}"; do
        if [[ -d $entry ]]; then
            folders+=("$entry")
        elif [[ $3 == photocd ]] && _pixmera_is_photocd "$entry"; then
            photocd+=("$entry")
        else
            others+=("$entry")
        fi
    done
    if (( ${#photocd[@]} > 0 )); then
        found=("${photocd[@]}" "${folders[@]}")
    else
        found=("${others[@]}" "${folders[@]}")
    fi
    for entry in "${found[@]}"; do COMPREPLY+=("$2$entry"); done
    compopt -o filenames 2>/dev/null
}

_pixmera()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev= before= option= value= prefix=
    local words entry
    (( COMP_CWORD > 0 )) && prev=${COMP_WORDS[COMP_CWORD-1]}
    (( COMP_CWORD > 1 )) && before=${COMP_WORDS[COMP_CWORD-2]}
    COMPREPLY=()

    # "--name=value" arrives as three words when "=" breaks words (the
    # default), as one word when it does not.
    if [[ $cur == = && $prev == --* ]]; then
        option=$prev
    elif [[ $prev == = && $before == --* ]]; then
        option=$before value=$cur
    elif [[ $cur == --*=* ]]; then
        option=${cur%%=*} value=${cur#*=} prefix=${cur%%=*}=
    elif [[ $prev == -[!-]* ]]; then
        option=$prev value=$cur
    fi

    if [[ -n $option ]] && _pixmera_value_words "$option"; then
        case $words in
            @input) _pixmera_files "$value" "$prefix" photocd ;;
            @file) _pixmera_files "$value" "$prefix" ;;
            @folder)
                mapfile -t words < <(compgen -d -- "$value")
                for entry in "${words[@]}"; do COMPREPLY+=("$prefix$entry"); done
                compopt -o filenames 2>/dev/null ;;
            *)
                for entry in $words; do
                    [[ ${entry,,} == "${value,,}"* ]] && COMPREPLY+=("$prefix$entry")
                done ;;
        esac
        return 0
    fi

    for entry in "${_pixmera_names[@]}"; do
        [[ $entry == "${cur,,}"* ]] && COMPREPLY+=("$entry")
    done
    # After "--name=" the value follows without a blank.
    if (( ${#COMPREPLY[@]} == 1 )) && [[ ${COMPREPLY[0]} == *= ]]; then
        compopt -o nospace 2>/dev/null
    fi
    return 0
}

complete -F _pixmera pixmera
)script";

std::string replaced(std::string text, std::string_view marker, const std::string& value) {
  const size_t at = text.find(marker);
  if (at != std::string::npos) text.replace(at, marker.size(), value);
  return text;
}

std::string completion_script() {
  std::string names;
  for (const std::string& name : offered_names()) names += "    " + name + "\n";
  std::string script(kScript);
  script = replaced(std::move(script), "@NAMES@", names);
  script = replaced(std::move(script), "@VALUES@", value_branches());
  return replaced(std::move(script), "@PHOTOCD@", photocd_patterns());
}

}  // namespace

}  // namespace pixmera

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  pixmera::build_input_format_table();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << pixmera::completion_script();
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
