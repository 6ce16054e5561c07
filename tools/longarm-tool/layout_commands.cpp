// Layout sub-commands of longarm-tool: a quilter checks a layout file on a
// laptop — what it holds (`layout`) and how it looks (`render`) — with the same
// reader the controller uses.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/application_state.h"
#include "base/log.h"
#include "base/ui_hooks.h"
#include "commands.h"
#include "layout/layout_file.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "pattern/pattern.h"
#include "pattern/pattern_image.h"
#include "tool_support.h"

namespace {

constexpr const char* kLayoutUsage = "usage: longarm-tool layout FILE.qlf\n";
constexpr const char* kRenderUsage =
    "usage: longarm-tool render FILE.qlf OUT.png [WIDTH HEIGHT]\n"
    "  draws the table, the pattern boxes and the placed patterns, scaled to fit\n"
    "  WIDTH x HEIGHT pixels (1 to 4096, default 800 x 600); the back of the\n"
    "  table is at the top, as on the controller's screen\n";

bool ParseSize(const std::string& text, int& value) {
    long v = 0;
    if (!ParseWholeNumber(text, 1, 4096, v)) return false;
    value = static_cast<int>(v);
    return true;
}

void PrintCorners(const PatternBox& box) {
    for (const PatternBoxPoint* c = box.corners; c; c = c->next)
        std::printf("    corner %d: %.3f, %.3f\n", c->index, c->x, c->y);
}

// Bounds in quilt inches of everything drawn.
struct Bounds {
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    void Add(float x, float y) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    bool Empty() const { return minX > maxX; }
};

Bounds LayoutBounds() {
    Bounds b;
    if (extents)
        for (const PatternBoxPoint* c = extents->corners; c; c = c->next)
            b.Add(c->x, c->y);
    for (int s = 0; s < patternBoxList.count; s++) {
        const PatternBox* box = GetPatternBox(s);
        if (!box) continue;
        for (const PatternBoxPoint* c = box->corners; c; c = c->next)
            b.Add(c->x, c->y);
    }
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        const Pattern* p = GetPattern(n->patternIndex);
        const PatternBox* box = GetPatternBox(n->boxIndex);
        if (!p || !box) continue;
        b.Add(box->x + n->x, box->y + n->y);
        b.Add(box->x + n->x + p->width, box->y + n->y + p->height);
    }
    return b;
}

struct Canvas {
    GdkPixbuf* image;
    float scale;  // inches per pixel
    float originX, originY;
    int margin;
    int PixelX(float x) const { return margin + static_cast<int>((x - originX) / scale); }
    int PixelY(float y) const { return margin + static_cast<int>((y - originY) / scale); }
};

void DrawOutline(const Canvas& c, const PatternBox& box, int r, int g, int b) {
    for (const PatternBoxPoint* u = box.corners; u; u = u->next) {
        const PatternBoxPoint* v = u->next ? u->next : box.corners;
        DrawLine(c.image, c.PixelX(u->x), c.PixelY(u->y), c.PixelX(v->x), c.PixelY(v->y), r, g, b,
                 255);
    }
}

// Draws a placed pattern's path, lifting the pen at stops, in the colour given.
void DrawPlacement(const Canvas& c, const Pattern& p, float x, float y, int r, int g, int b) {
    // A stop command before point number k (from 1) makes the move into it a jump.
    std::vector<bool> jumpInto(p.pointCount + 1, false);
    for (int k = 0; k < p.commandCount; k++)
        if (p.commandType[k] == PatternCommandType::Stop && p.commandPoint[k] >= 1 &&
            p.commandPoint[k] <= p.pointCount)
            jumpInto[p.commandPoint[k] - 1] = true;
    bool penDown = false;
    int lastX = 0, lastY = 0;
    for (int i = 0; i < p.pointCount; i++) {
        int px = c.PixelX(x + p.x[i] - p.minX);
        int py = c.PixelY(y + p.y[i] - p.minY);
        if (penDown && !jumpInto[i]) DrawLine(c.image, lastX, lastY, px, py, r, g, b, 255);
        penDown = true;
        lastX = px;
        lastY = py;
    }
}

}  // namespace

int RunLayoutCommand(const Arguments& args) {
    if (args.size() != 1 || args[0] == "--help") return ToolUsage(kLayoutUsage);
    bool complete = LoadLayoutForTool(args[0]);
    if (!complete && !extents && patternBoxList.count == 0) return 1;

    if (extents) {
        std::printf("extents: origin %.3f, %.3f  size %.3f x %.3f in  corners %d\n", extents->x,
                    extents->y, extents->width, extents->height, extents->count);
        PrintCorners(*extents);
    } else {
        std::printf("extents: none\n");
    }
    std::printf("boxes: %d\n", patternBoxList.count);
    for (int s = 0; s < patternBoxList.count; s++) {
        const PatternBox* b = GetPatternBox(s);
        if (!b) continue;
        std::printf(
            "  box %d: origin %.3f, %.3f  size %.3f x %.3f in  angle %.3f deg  centre %.3f, %.3f  "
            "corners %d\n",
            s, b->x, b->y, b->width, b->height, b->angle, b->centreX, b->centreY, b->count);
        PrintCorners(*b);
    }
    std::printf("patterns: %d\n", patternList.count);
    for (int s = 0; s < kPatternSlots; s++) {
        const Pattern* p = GetPattern(s);
        if (!p) continue;
        std::printf("  pattern %d: \"%s\"  %d points  %d commands  %.3f x %.3f in  angle %d deg\n",
                    s, p->name.c_str(), p->pointCount, p->commandCount, p->width, p->height,
                    p->angle);
    }
    std::printf("placements: %d\n", CountLayoutNodes());
    int i = 0;
    for (const LayoutNode* n = patternLayout; n; n = n->next, i++) {
        std::printf("  placement %d: pattern %d in box %d at %.3f, %.3f", i, n->patternIndex,
                    n->boxIndex, n->x, n->y);
        if (n->arrayIndex >= 0)
            std::printf("  array %d%s", n->arrayIndex, n->parent == 1 ? " (parent)" : "");
        std::printf("\n");
    }
    int arrays = 0;
    for (int s = 0; s < kArraySlots; s++)
        arrays += Arrays[s] ? 1 : 0;
    std::printf("arrays: %d\n", arrays);
    for (int s = 0; s < kArraySlots; s++) {
        if (!Arrays[s]) continue;
        std::printf("  array %d: %d down every %.3f in, %d across every %.3f in\n", s,
                    Arrays[s]->down, Arrays[s]->spacingDown, Arrays[s]->across,
                    Arrays[s]->spacingAcross);
    }
    return complete ? 0 : 1;
}

int RunRenderCommand(const Arguments& args) {
    if ((args.size() != 2 && args.size() != 4) || args[0] == "--help")
        return ToolUsage(kRenderUsage);
    int width = 800, height = 600;
    if (args.size() == 4 && (!ParseSize(args[2], width) || !ParseSize(args[3], height)))
        return ToolUsage(kRenderUsage);
    bool complete = LoadLayoutForTool(args[0]);
    Bounds bounds = LayoutBounds();
    if (bounds.Empty()) {
        std::fprintf(stderr, "longarm-tool: %s holds nothing to draw\n", args[0].c_str());
        return 1;
    }

    constexpr int kMargin = 8;
    float spanX = std::max(bounds.maxX - bounds.minX, 0.001f);
    float spanY = std::max(bounds.maxY - bounds.minY, 0.001f);
    float scale = std::max(spanX / std::max(width - 2 * kMargin - 1, 1),
                           spanY / std::max(height - 2 * kMargin - 1, 1));
    std::unique_ptr<GdkPixbuf, void (*)(void*)> image(NewPixbuf(width - 1, height - 1),
                                                      g_object_unref);
    if (!image) return 1;
    gdk_pixbuf_fill(image.get(), 0xffffffffu);
    Canvas canvas{image.get(), scale, bounds.minX, bounds.minY, kMargin};

    if (extents) DrawOutline(canvas, *extents, 128, 128, 128);
    for (int s = 0; s < patternBoxList.count; s++)
        if (const PatternBox* b = GetPatternBox(s)) DrawOutline(canvas, *b, 0, 90, 200);
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        const Pattern* p = GetPattern(n->patternIndex);
        const PatternBox* box = GetPatternBox(n->boxIndex);
        if (p && box) DrawPlacement(canvas, *p, box->x + n->x, box->y + n->y, 0, 0, 0);
    }

    GError* error = nullptr;
    if (!gdk_pixbuf_save(image.get(), args[1].c_str(), "png", &error, nullptr)) {
        std::fprintf(stderr, "longarm-tool: cannot write %s: %s\n", args[1].c_str(),
                     error ? error->message : "unknown error");
        if (error) g_error_free(error);
        return 1;
    }
    return complete ? 0 : 1;
}
