// GTK's colour dialog: it reads its answer from the GTK widget when it is
// closed with OK.
#include <gtk/gtk.h>

#include "colour_pick.h"

namespace pixmera::test {

void pick_colour(wxColourDialog* dialog, const wxColour& colour) {
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GtkColorSelection* selection = GTK_COLOR_SELECTION(gtk_color_selection_dialog_get_color_selection(
      GTK_COLOR_SELECTION_DIALOG(dialog->GetHandle())));
  const GdkRGBA rgba{colour.Red() / 255.0, colour.Green() / 255.0, colour.Blue() / 255.0, 1.0};
  gtk_color_selection_set_current_rgba(selection, &rgba);
  G_GNUC_END_IGNORE_DEPRECATIONS
}

}  // namespace pixmera::test
