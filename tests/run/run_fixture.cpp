#include "run_fixture.h"

#include <unistd.h>

#include <cmath>

#include "app/defaults_file.h"
#include "app/log.h"
#include "app/ui_hooks.h"
#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/machine_parameters.h"
#include "machine/serial_link.h"
#include "machine/stitcher.h"
#include "machine/stitching/run_flags.h"
#include "pattern/pattern.h"

RunScript script;

namespace {

int AnswerMessage(int, int buttons, const char* text) {
    script.messages.push_back(text);
    if (script.answer) return script.answer(text);
    return buttons == kButtonsYesNo ? kResponseYes : kResponseOk;
}

RunControlHooks ScriptedRunHooks() {
    RunControlHooks h;
    h.stitchingActive = [] { return script.toggle; };
    h.setStitchingActive = [](int active) { script.toggle = active; };
    h.setStitchingSensitive = [](int sensitive) { script.stitchingSensitive = sensitive; };
    h.showRunView = [] { script.runViews++; };
    h.showEditView = [] { script.editViews++; };
    h.setPauseReleased = [] { PauseToggled(0); };
    h.setMenuMask = [](uint32_t mask) { script.mask = mask; };
    h.selectPoint = []() -> FullPattern_t* {
        script.selectCalls++;
        return script.selected;
    };
    return h;
}

}  // namespace

void RunTest::Begin(const std::vector<std::string>& simOptions) {
    sim = std::make_unique<Mc1Sim>(simOptions);
    ASSERT_TRUE(sim->running) << sim->error;
    folder = std::make_unique<TempDir>();
    SetDefaultsFilePath(folder->File("defaults.mrl").c_str());
    state = std::make_unique<Interface>();
    interface = state.get();
    SetFactoryDefaults();
    script = RunScript{};
    allStop = 0;
    fpTemp = nullptr;
    stopTest = 0;
    speedup = slowdown = 0;
    runStatistics = RunStatistics{};
    robotIsStitching = 0;
    command = -1;

    UserInterfaceHooks ui;
    ui.showMessage = AnswerMessage;
    ui.showMessageSpecial = [](int, const char* text, const char*, int) {
        script.messages.push_back(text);
        return script.startAnswer;
    };
    ui.drainEvents = [] {
        if (script.onDrain) script.onDrain();
    };
    SetUserInterfaceHooks(ui);
    SetRunControlHooks(ScriptedRunHooks());
    log = std::fopen("/dev/null", "w");
    SetLogStream(log);

    InitPatternBox();
    ClearLayout();
    ClearPatternList();
    box = CreatePatternBox();
    PatternBox* pb = GetPatternBox(box);
    ASSERT_NE(pb, nullptr);
    pb->x = 1.0f;
    pb->y = 1.0f;
    pb->width = pb->height = 20.0f;
    interface->currentPatternBox = box;

    SetSerialDevicePath(sim->device);
    ASSERT_GE(OpenPort(), 0);
}

void RunTest::TearDown() {
    ClosePort();
    SetLogStream(stdout);
    if (log) std::fclose(log);
    SetRunControlHooks({});
    SetUserInterfaceHooks({});
    SetDefaultsFilePath(nullptr);
    if (interface) {
        FreeFullPattern(interface->fullPattern);
        ClearRunMarker();
    }
    fpTemp = nullptr;
    ClearLayout();
    ClearPatternList();
    InitPatternBox();
    interface = nullptr;
}

int RunTest::Place(const std::vector<std::pair<float, float>>& points, float nodeX, float nodeY,
                   const std::vector<int>& stops) {
    auto pattern = std::make_unique<Pattern>();
    pattern->name = "line";
    for (const auto& [x, y] : points) {
        pattern->x.push_back(x);
        pattern->y.push_back(y);
    }
    pattern->pointCount = static_cast<int>(points.size());
    for (int stop : stops) {
        pattern->commandType.push_back(PatternCommandType::Stop);
        pattern->commandPoint.push_back(stop);
    }
    pattern->commandCount = static_cast<int>(stops.size());
    UpdatePatternSize(pattern.get());
    const int slot = GetNextPattern();
    EXPECT_EQ(AddPatternToList(slot, std::move(pattern)), 1);
    AppendLayoutNode(slot, -1, 0, nodeX, nodeY, box);
    return slot;
}

std::vector<std::pair<float, float>> RunTest::Line(int n, float x0, float y0, float dx, float dy) {
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i < n; i++)
        points.emplace_back(x0 + dx * i, y0 + dy * i);
    return points;
}

std::vector<PathPoint> RunTest::PackedPath() {
    PackFullPattern();
    std::vector<PathPoint> path;
    for (const FullPattern_t* p = interface->fullPattern; p; p = p->next)
        path.push_back({p->x, p->y, p->halt, p->inserted});
    FreeFullPattern(interface->fullPattern);
    interface->fullPattern = nullptr;
    return path;
}

int RunTest::Count(const std::string& text) const {
    int n = 0;
    for (const std::string& m : script.messages)
        n += m == text;
    return n;
}

void RunTest::ExpectMachineReleased() {
    // The last commands may still be on the (slow) line.
    WaitForState(*sim, "yenabled", "0", 2000);
    const std::string s = State();
    EXPECT_EQ(StateValue(s, "moving"), "0") << s;
    EXPECT_EQ(StateValue(s, "queue"), "0") << s;
    EXPECT_EQ(StateValue(s, "stitching"), "0") << s;
    EXPECT_EQ(StateValue(s, "xenabled"), "0") << s;
    EXPECT_EQ(StateValue(s, "yenabled"), "0") << s;
    EXPECT_GE(script.editViews, 1);
    EXPECT_EQ(script.mask, kIdleMenuMask);
    EXPECT_EQ(script.stitchingSensitive, 1);
    EXPECT_EQ(stopTest, 1);
    EXPECT_NE(command, kRunCommand);
}

void ExpectStitchedInOrder(const std::vector<RecordedMove>& stitched,
                           const std::vector<PathPoint>& expected) {
    ASSERT_EQ(stitched.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_NEAR(stitched[i].x, expected[i].x, 0.5) << "point " << i;
        EXPECT_NEAR(stitched[i].y, expected[i].y, 0.5) << "point " << i;
    }
}
