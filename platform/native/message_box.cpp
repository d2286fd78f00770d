#include "platform/native/message_box.h"

#include "platform/native/glib_handles.h"

namespace platform::native {

int runMessageBox(GtkWindow* owner, const std::string& text, const std::string& caption,
                  UINT style) {
    const bool yesNo = (style & 0xF) == MB_YESNO;
    GtkWidget* dialog = gtk_message_dialog_new(
        owner, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_OTHER, GTK_BUTTONS_NONE, "%s", text.c_str());
    WidgetHandle hold = holdWidget(dialog);
    gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
    gtk_window_set_position(GTK_WINDOW(dialog),
                            owner != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    if (yesNo) {
        gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Yes", GTK_RESPONSE_YES, "_No", GTK_RESPONSE_NO,
                               nullptr);
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES);
    } else {
        gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", GTK_RESPONSE_OK);
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    }
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (!yesNo) return IDOK;
    // Escape and closing the box answer No.
    return response == GTK_RESPONSE_YES ? IDYES : IDNO;
}

}  // namespace platform::native
