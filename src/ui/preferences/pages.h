// The pages of the preferences dialog, in the order the page list shows
// them. Each makes its panel on the page list `book` and gives the dialog
// its controls' bindings, switches and checks through `sheet`.
#pragma once

#include "ui/preferences/sheet.h"

class wxWindow;

namespace pixmera::ui::preferences {

wxWindow* general_page(wxWindow* book, Sheet& sheet);
wxWindow* interface_page(wxWindow* book, Sheet& sheet);
wxWindow* input_page(wxWindow* book, Sheet& sheet);
wxWindow* output_page(wxWindow* book, Sheet& sheet);
wxWindow* transform_page(wxWindow* book, Sheet& sheet);
wxWindow* adjustment_page(wxWindow* book, Sheet& sheet);
wxWindow* frame_page(wxWindow* book, Sheet& sheet);
wxWindow* watermark_page(wxWindow* book, Sheet& sheet);
wxWindow* advanced_page(wxWindow* book, Sheet& sheet);

}  // namespace pixmera::ui::preferences
