#include "settings/colour_names.h"

#include "settings/catalogue.h"
#include "util/text.h"

namespace pixmera {

namespace {

struct NamedColour {
  std::string_view name;  // also the key of its text in group "Preferences"
  std::string_view colour;
};

constexpr NamedColour kNamedColours[] = {
    {"Black", "000000"},  {"Silver", "C0C0C0"}, {"Gray", "808080"},   {"White", "FFFFFF"},
    {"Maroon", "800000"}, {"Red", "FF0000"},    {"Purple", "800080"}, {"Fuchsia", "FF00FF"},
    {"Green", "008000"},  {"Lime", "00FF00"},   {"Olive", "808000"},  {"Yellow", "FFFF00"},
    {"Navy", "000080"},   {"Blue", "0000FF"},   {"Teal", "008080"},   {"Aqua", "00FFFF"},
    {"Orange", "FF8000"}, {"Brown", "804000"},  {"Violet", "8000FF"},
};

}  // namespace

std::string colour_display_name(std::string_view colour) {
  const std::string upper = to_upper(colour);
  // The colour strings of the table are distinct, so the first match is the
  // only one.
  for (const NamedColour& named : kNamedColours) {
    if (named.colour == upper) return catalogue_text("Preferences", named.name);
  }
  return catalogue_text("Preferences", "Color") + " #" + upper;
}

}  // namespace pixmera
