// Turning an image of a pattern for the dialog previews.
#pragma once

typedef struct _GdkPixbuf GdkPixbuf;

// A new RGBA image of the visible pixels of image (alpha not 0; for an image
// without alpha, not black) turned by angle radians (clockwise on screen) about
// the image centre, into an image of |w cos| + |h sin| by |h cos| + |w sin|
// pixels (at least 2 each) centred the same way, then cropped to the bounding
// box of its fully opaque pixels (left whole when there is none). Every
// destination pixel takes the source pixel that turns onto it, so the turned
// image has no holes. Returns none for none or an image that is not 8-bit RGB(A).
GdkPixbuf* RotatePixbuf(const GdkPixbuf* image, double angle);
