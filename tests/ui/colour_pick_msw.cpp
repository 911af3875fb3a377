// The Windows colour dialog hands back the colour data it was given, which
// the system's dialog fills only when it really runs.
#include "colour_pick.h"

namespace pixmera::test {

void pick_colour(wxColourDialog* dialog, const wxColour& colour) {
  dialog->GetColourData().SetColour(colour);
}

}  // namespace pixmera::test
