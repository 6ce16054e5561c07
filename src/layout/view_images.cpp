#include "layout/view_images.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/application_state.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/view_transform.h"
#include "pattern/pattern.h"
#include "pattern/pattern_image.h"

namespace {

// What an image depends on besides the generation: the pattern record and its
// extent (a transform that changes them is seen even before the images are
// declared out of date), the scale and the highlighted entity.
struct ImageKey {
    const Pattern* pattern = nullptr;
    int slot = -1;
    float scale = 0, width = 0, height = 0, minX = 0, minY = 0;
    int pointCount = 0;
    int highlight = -1;
    unsigned long generation = 0;

    bool operator==(const ImageKey& o) const {
        return pattern == o.pattern && slot == o.slot && scale == o.scale && width == o.width &&
               height == o.height && minX == o.minX && minY == o.minY &&
               pointCount == o.pointCount && highlight == o.highlight && generation == o.generation;
    }
};

// One kept window of an image, with the cairo surfaces that paint from its masks.
struct Window {
    ImageKey key;
    PatternImageMask mask;
    cairo_surface_t* ink = nullptr;
    cairo_surface_t* red = nullptr;
    unsigned long lastUse = 0;

    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() {
        if (ink) cairo_surface_destroy(ink);
        if (red) cairo_surface_destroy(red);
    }
    std::size_t Bytes() const { return mask.ink.size() + mask.red.size(); }
    bool Holds(int x0, int y0, int x1, int y1) const {
        return x0 >= mask.left && y0 >= mask.top && x1 <= mask.left + mask.width &&
               y1 <= mask.top + mask.height;
    }
};

std::vector<std::unique_ptr<Window>> windows;
unsigned long useClock = 0;
long windowsDrawn = 0;

bool KeyFor(int slot, ImageKey& key) {
    const Pattern* pattern = GetPattern(slot);
    if (!pattern || !(ViewScale() > 0)) return false;
    const LayoutNode* selected = SelectedNode();
    key.pattern = pattern;
    key.slot = slot;
    key.scale = ViewScale();
    key.width = pattern->width;
    key.height = pattern->height;
    key.minX = pattern->minX;
    key.minY = pattern->minY;
    key.pointCount = pattern->pointCount;
    key.highlight = selected && selected->patternIndex == slot ? HighlightIndex() : -1;
    key.generation = PatternImageGeneration();
    return true;
}

cairo_surface_t* MaskSurface(std::vector<unsigned char>& bytes, const PatternImageMask& mask) {
    if (bytes.empty()) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        bytes.data(), CAIRO_FORMAT_A8, mask.width, mask.height, mask.stride);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return surface;
}

std::size_t BytesHeld() {
    std::size_t bytes = 0;
    for (const auto& w : windows)
        bytes += w->Bytes();
    return bytes;
}

// Drops the windows no paint can use any more (another generation or scale)
// and then, the oldest first, as many as the budget needs; never keep.
void Trim(const Window* keep) {
    const unsigned long generation = PatternImageGeneration();
    const float scale = ViewScale();
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [&](const std::unique_ptr<Window>& w) {
                                     return w.get() != keep && (w->key.generation != generation ||
                                                                w->key.scale != scale);
                                 }),
                  windows.end());
    std::size_t bytes = BytesHeld();
    while (bytes > kPatternImageBudget) {
        auto oldest = windows.end();
        for (auto it = windows.begin(); it != windows.end(); ++it)
            if (it->get() != keep &&
                (oldest == windows.end() || (*it)->lastUse < (*oldest)->lastUse))
                oldest = it;
        if (oldest == windows.end()) break;
        bytes -= (*oldest)->Bytes();
        windows.erase(oldest);
    }
}

// The window that shows the visible part of the slot's image placed at (x, y)
// on a W x H view: a kept one, or a new one reaching a quarter of the view
// beyond what is visible, so that small pans and moves use it again.
const Window* WindowFor(int slot, int x, int y, int W, int H) {
    ImageKey key;
    if (!KeyFor(slot, key)) return nullptr;
    int fullWidth = 0, fullHeight = 0;
    if (!PatternImageSize(key.pattern, key.scale, &fullWidth, &fullHeight)) return nullptr;
    const long vx0 = std::max(0L, -static_cast<long>(x));
    const long vy0 = std::max(0L, -static_cast<long>(y));
    const long vx1 = std::min(static_cast<long>(fullWidth), static_cast<long>(W) - x);
    const long vy1 = std::min(static_cast<long>(fullHeight), static_cast<long>(H) - y);
    if (vx1 <= vx0 || vy1 <= vy0) return nullptr;
    for (auto& w : windows) {
        if (w->key == key && w->Holds(int(vx0), int(vy0), int(vx1), int(vy1))) {
            w->lastUse = ++useClock;
            return w.get();
        }
    }
    auto window = std::make_unique<Window>();
    window->key = key;
    const long marginX = std::max(W, 4) / 4, marginY = std::max(H, 4) / 4;
    const long left = std::max(0L, vx0 - marginX), top = std::max(0L, vy0 - marginY);
    PatternImageMask& mask = window->mask;
    mask.left = int(left);
    mask.top = int(top);
    mask.width = int(std::min(static_cast<long>(fullWidth), vx1 + marginX) - left);
    mask.height = int(std::min(static_cast<long>(fullHeight), vy1 + marginY) - top);
    if (!DrawPatternMask(key.pattern, key.scale, key.highlight, mask)) return nullptr;
    windowsDrawn++;
    window->ink = MaskSurface(mask.ink, mask);
    window->red = MaskSurface(mask.red, mask);
    window->lastUse = ++useClock;
    windows.push_back(std::move(window));
    Trim(windows.back().get());
    return windows.back().get();
}

void Paint(cairo_t* cr, const Window* w, int x, int y, double r, double g, double b, double a,
           bool tinted) {
    cairo_save(cr);
    const double left = x + w->mask.left, top = y + w->mask.top;
    cairo_set_source_rgba(cr, r, g, b, a);
    if (w->ink) cairo_mask_surface(cr, w->ink, left, top);
    if (w->red) {
        if (!tinted) cairo_set_source_rgba(cr, 1, 0, 0, 1);
        cairo_mask_surface(cr, w->red, left, top);
    }
    cairo_restore(cr);
}

}  // namespace

void PaintPatternImage(cairo_t* cr, int slot, int x, int y, int W, int H) {
    if (const Window* w = WindowFor(slot, x, y, W, H)) Paint(cr, w, x, y, 0, 0, 0, 1, false);
}

void PaintPatternImageTinted(cairo_t* cr, int slot, int x, int y, int W, int H, double r, double g,
                             double b, double a) {
    if (const Window* w = WindowFor(slot, x, y, W, H)) Paint(cr, w, x, y, r, g, b, a, true);
}

PatternImageUse PatternImagesInUse() {
    PatternImageUse use;
    use.bytes = BytesHeld();
    use.windows = static_cast<int>(windows.size());
    use.drawn = windowsDrawn;
    return use;
}

void DropPatternImages() {
    windows.clear();
}
