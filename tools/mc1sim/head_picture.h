// The picture of what the board did: the head's path over the quilt area,
// stitched moves as thread and moves without stitching dashed, drawn with the
// geometry the host's stitch-out preview uses, so the two line up:
//   W x H pixels, margin m = 10, quilt area w x h inches with its top-left
//   corner at the quilt origin, scale s = min((W - 2m) / w, (H - 2m) / h)
//   pixels per inch, a point (x, y) inches at pixel (m + x s, m + y s);
//   white ground, the area outlined 1 px #808080; thread 2 px #203080;
//   moves without stitching 1 px #A0A0A0, dashed 4 px on, 4 px off.
// The quilt area is the --picture-area size from the home position; else the
// rectangle from the home position to where the head stood when SetExtents
// (0x2E) was last received; else the rectangle that holds the home position
// and the whole path. Coordinates are the board's, from its present home.
#pragma once

#include <string>

#include "board_state.h"

// A rectangle of the quilt, inches from the present home position.
struct QuiltArea {
    double x = 0, y = 0, width = 0, height = 0;
};

// The quilt area the picture shows, as described above.
QuiltArea PictureArea(const Board& board);

// Draws the picture as PNG and writes it to path safely. Returns true when
// written; false with the reason in error. Called at the end and by the
// control command picture.
bool SaveHeadPicture(const Board& board, const std::string& path, std::string& error);
