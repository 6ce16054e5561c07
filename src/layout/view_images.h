// The pattern images of the views. A view shows each placed pattern as its
// image at the view scale (the path rasterised once per scale, black, with the
// highlighted entity of the selected pattern in red). Close up a whole image
// would be far larger than the screen, so only a window of it around what is
// in view is drawn and kept: as one byte per pixel coverage masks, painted in
// black and red. Windows are kept while the scale, the highlight, the pattern
// and the image generation (InvalidatePatternImages) stay, and all of them
// together never hold more than kPatternImageBudget bytes: the windows used
// longest ago are dropped first, and one needed again is drawn again.
#pragma once

#include <cairo.h>

#include <cstddef>

constexpr std::size_t kPatternImageBudget = 4u * 1024u * 1024u;

// Paints the image of the pattern in slot as if its top-left pixel lay at
// (x, y) of a view of W x H pixels; only the part inside the view is needed.
// Nothing for an empty slot or a view scale of 0.
void PaintPatternImage(cairo_t* cr, int slot, int x, int y, int W, int H);

// The same with every drawn pixel in one colour (components 0 to 1).
void PaintPatternImageTinted(cairo_t* cr, int slot, int x, int y, int W, int H, double r, double g,
                             double b, double a);

// What the pattern images use now: the bytes held, the windows kept, and how
// many windows were drawn since the program started.
struct PatternImageUse {
    std::size_t bytes = 0;
    int windows = 0;
    long drawn = 0;
};
PatternImageUse PatternImagesInUse();

// Releases every kept window (the next paint draws them again).
void DropPatternImages();
