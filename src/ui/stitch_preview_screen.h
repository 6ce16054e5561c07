// The stitch-out preview screen ("Preview" in the View menu): the current
// box's path exactly as the run would send it, drawn by the core's preview
// renderer, with what the run will cost (stitches, length, jumps, thread cuts,
// run time at the speed the run would use and where that speed comes from) and
// any part outside the quilt area in red. START leaves the screen and starts
// the run as the toolbar's Start does; CLOSE leaves it.
#pragma once

#include <string>

#include "app/machine_startup.h"
#include "machine/stitching/quilt_area_check.h"
#include "machine/stitching/stitch_estimate.h"

// Widget names of the screen's window, its picture and its text.
constexpr const char* kPreviewScreenName = "stitchPreviewScreen";
constexpr const char* kPreviewPictureName = "stitchPreviewPicture";
constexpr const char* kPreviewTextName = "stitchPreviewText";

// The screen's text (Pango markup): stitches and stitched length; jumps,
// thread cuts and run time; the speed and its source; in red, how far the path
// leaves the quilt area.
std::string PreviewText(const StitchEstimate& estimate, float speed, ParameterSource source,
                        const PathOverrun& overrun);

// Shows the preview of the current box until the quilter taps START or CLOSE
// (or the window goes). A box without placements shows "PATTERN BOX IS EMPTY"
// instead. START is usable only for a path inside the quilt area; it starts
// the run once the screen is gone. Returns 1 when START was tapped, else 0.
int ShowStitchPreview();
