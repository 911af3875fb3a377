// Display names of colours for the colour choosers of the preferences dialog.
#pragma once

#include <string>
#include <string_view>

namespace pixmera {

// The catalogue name of one of the nineteen named colours ("ff8000" gives
// "Orange"), else the catalogue word for "Color", " #" and the colour in upper
// case ("Color #12AB3C").
std::string colour_display_name(std::string_view colour);

}  // namespace pixmera
