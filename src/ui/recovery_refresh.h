// Keeps the crash-recovery image (base/recovery_image.h) equal to the layout.
//
// Every change of the layout is made by the handler of something the quilter
// did - a touch lifted, a key, a window closed - and each of those reaches the
// program as one screen event. The program's event dispatcher therefore
// serialises the layout into the recovery image whenever the outermost
// handling of such an event has finished, whatever the handler changed: one
// place instead of a call beside every edit. Events handled inside another
// one (the nested loops of dialogs and the event draining of long operations)
// leave it to the outer event, so a change still in progress never becomes the
// image; presses, pointer motion and drawing events are passed by (a drag
// ends with its release). A layout of 50 patterns of 10,000 points takes
// about 40 ms of processor time to serialise (bench_layout_file).
#pragma once

// Installs the dispatcher in place of the toolkit's own, which it calls for
// every event. InstallGtkInterface calls it; calling it again changes nothing.
void KeepRecoveryImageCurrent();
