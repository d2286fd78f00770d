// Modal message boxes.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/win_types.h"

namespace platform::native {

// Shows `text` with no icon and the buttons `style` asks for (MB_OK, or MB_YESNO with Yes as
// the default and Escape answering No), modal and above `owner` when given. Returns IDOK,
// IDYES or IDNO.
int runMessageBox(GtkWindow* owner, const std::string& text, const std::string& caption,
                  UINT style);

}  // namespace platform::native
