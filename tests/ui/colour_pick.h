// What a user picking a colour in the toolkit's colour dialog leaves in it,
// for a test that answers the dialog with OK without showing it. Each
// toolkit keeps the choice its own way: colour_pick_gtk.cpp, colour_pick_msw.cpp.
#pragma once

#include <wx/colordlg.h>

namespace pixmera::test {

void pick_colour(wxColourDialog* dialog, const wxColour& colour);

}  // namespace pixmera::test
