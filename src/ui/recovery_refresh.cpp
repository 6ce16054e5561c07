// The event dispatcher that keeps the recovery image current. See recovery_refresh.h.
#include "ui/recovery_refresh.h"

#include <gtk/gtk.h>

#include "layout/layout_file.h"

namespace {

int dispatchDepth = 0;  // events being handled, the outermost included

// True for the events that end an action of the quilter. A touch acts when
// it is lifted (buttons, menu entries, taps and drags of the views); presses
// only start things, so the layout is not serialised twice per touch.
bool EndsAnAction(GdkEventType type) {
    switch (type) {
        case GDK_BUTTON_RELEASE:
        case GDK_KEY_PRESS:
        case GDK_KEY_RELEASE:
        case GDK_DELETE:
            return true;
        default:
            return false;
    }
}

void DispatchEvent(GdkEvent* event, gpointer) {
    dispatchDepth++;
    gtk_main_do_event(event);
    dispatchDepth--;
    if (dispatchDepth == 0 && EndsAnAction(event->type)) UpdateCrashRecoveryImage();
}

}  // namespace

void KeepRecoveryImageCurrent() {
    gdk_event_handler_set(DispatchEvent, nullptr, nullptr);
}
