// The layout file reader (".qlf", tagged binary sections) on arbitrary bytes,
// followed by what the program does with a loaded layout: the crash-recovery
// image, the pattern pictures of the view, the layout's measures and the stitch
// path of every box as Start packs it. Whatever was read must be consistent,
// must come back unchanged through the writer and the reader again, and every
// packed path must be one the board can be sent.
#include <cmath>
#include <string>

#include "base/application_state.h"
#include "fuzz_support.h"
#include "layout/layout_file.h"
#include "layout/layout_selection.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "layout/view_transform.h"
#include "machine/stitching/pattern_run.h"
#include "machine/stitching/run_state.h"
#include "machine/stitching/stitch_path.h"
#include "pattern/pattern.h"

namespace {

void CheckConsistent() {
    int patterns = 0;
    for (int s = 0; s < kPatternSlots; s++) {
        const Pattern* p = GetPattern(s);
        if (!p) continue;
        patterns++;
        FUZZ_CHECK(p->x.size() == static_cast<size_t>(p->pointCount));
        FUZZ_CHECK(p->y.size() == static_cast<size_t>(p->pointCount));
        FUZZ_CHECK(p->commandType.size() == static_cast<size_t>(p->commandCount));
        FUZZ_CHECK(p->commandPoint.size() == static_cast<size_t>(p->commandCount));
    }
    FUZZ_CHECK(patterns == patternList.count);
    FUZZ_CHECK(patternList.count + patternList.freeSlots == kPatternSlots);
    FUZZ_CHECK(patternBoxList.count >= 0 && patternBoxList.count <= kPatternBoxSlots);
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        FUZZ_CHECK(GetPattern(n->patternIndex) != nullptr);
        FUZZ_CHECK(GetPatternBox(n->boxIndex) != nullptr);
        FUZZ_CHECK(n->arrayIndex < 0 || GetArrayNode(n->arrayIndex) != nullptr);
    }
}

void PackEveryBox() {
    for (int box = 0; box < patternBoxList.count; box++) {
        SetCurrentPatternBox(box);
        const int points = PackRunPath();
        FUZZ_CHECK(points >= -1);
        for (const FullPattern_t* p = CurrentRun().fullPattern; p; p = p->next()) {
            FUZZ_CHECK(std::isfinite(p->x) && std::isfinite(p->y));
            FUZZ_CHECK(std::isfinite(p->feed) && p->feed >= 0);
        }
        FreeFullPattern(CurrentRun().fullPattern);
        CurrentRun().fullPattern = nullptr;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp([] {
        SetViewScale(0.1f);
        InitPatternBox();
    });
    static const std::string input = ScratchPath("input.qlf");
    static const std::string again = ScratchPath("again.qlf");
    WriteScratch(input, data, size);

    LoadLayout(input.c_str(), 1, 1);  // a short file keeps what was read
    CheckConsistent();
    const std::string bytes = SerializeLayout();
    RefreshPatternPix();
    float w = 0, h = 0, x = 0, y = 0;
    GetLayoutDimensions(&w, &h);
    GetLayoutCenter(&x, &y);
    PackEveryBox();

    WriteScratch(again, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    FUZZ_CHECK(LoadLayout(again.c_str(), 1, 1) == 1);
    CheckConsistent();
    FUZZ_CHECK(SerializeLayout() == bytes);
    FreeLayout();
    return 0;
}
