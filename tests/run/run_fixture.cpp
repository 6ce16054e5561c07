#include "run_fixture.h"

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
        FullPattern_t* p = script.selectAt < 0 ? nullptr : interface->fullPattern;
        for (int i = 0; i < script.selectAt && p; i++)
            p = p->next;
        return p;
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
    box = MakeRunBox();
    ASSERT_GE(box, 0);
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

std::vector<PathPoint> RunTest::PackedPath() {
    PackFullPattern();
    std::vector<PathPoint> path;
    for (const FullPattern_t* p = interface->fullPattern; p; p = p->next)
        path.push_back({p->x, p->y, p->halt});
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
    const std::string s = SimControl(*sim, "state");
    for (const char* key : {"moving", "queue", "stitching", "xenabled", "yenabled"})
        EXPECT_EQ(StateValue(s, key), "0") << key << ": " << s;
    EXPECT_GE(script.editViews, 1);
    EXPECT_EQ(script.mask, kIdleMenuMask);
    EXPECT_EQ(script.stitchingSensitive, 1);
    EXPECT_EQ(stopTest, 1);
    EXPECT_NE(command, kRunCommand);
}

std::function<void()> OnceAfter(RunTest* test, int moves, std::function<void()> action) {
    auto baseline = std::make_shared<int>(-1);
    auto drains = std::make_shared<int>(0);
    auto done = std::make_shared<bool>(false);
    return [=] {
        if (*done || script.runViews == 0 || ++*drains % 8 != 0) return;
        const int executed = std::stoi("0" + test->StateOf("executed"));
        if (*baseline < 0) *baseline = executed;
        if (executed - *baseline < moves) return;
        *done = true;
        action();
    };
}

void ExpectStitchedInOrder(const std::vector<RecordedMove>& stitched,
                           std::vector<PathPoint>::const_iterator begin,
                           std::vector<PathPoint>::const_iterator end) {
    ASSERT_EQ(stitched.size(), static_cast<size_t>(end - begin));
    for (size_t i = 0; begin + i != end; i++) {
        EXPECT_NEAR(stitched[i].x, begin[i].x, 0.5) << "point " << i;
        EXPECT_NEAR(stitched[i].y, begin[i].y, 0.5) << "point " << i;
    }
}
