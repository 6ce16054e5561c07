// Power cuts during every save of the program (a sample of the cut points; the
// by-hand program bench/power_cut.cpp tries a thousand), and the recognition of
// the temporary files that an interrupted save leaves for the next start.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/safe_write.h"
#include "support/power_cut.h"

namespace {

// The saves in groups, each group a test of its own (a sanitizer build runs
// every writer slowly).
const std::vector<std::vector<std::string>> kGroups = {
    {"pattern-save", "pattern-save-as", "trace-save"},
    {"layout-save", "undo", "set-point", "recovery", "shutdown"},
    {"defaults-slot", "defaults-reset", "file-copy", "drawing-copy"},
    {"program-update"},
};

void CutEachSaveOf(const std::vector<std::string>& names) {
    const std::vector<PowerCutWriter> writers = PowerCutWriters();
    for (const std::string& name : names) {
        const auto w = std::find_if(writers.begin(), writers.end(),
                                    [&](const PowerCutWriter& x) { return x.name == name; });
        ASSERT_NE(w, writers.end()) << name;
        const PowerCutReport report = CutPowerDuring(*w, 4);
        EXPECT_GE(report.calls, 3) << name;  // at least write, sync, rename
        EXPECT_EQ(report.cuts, 4) << name;
        EXPECT_EQ(report.lost, 0) << name;
        EXPECT_EQ(report.leftovers, 0) << name;
        for (const std::string& problem : report.problems)
            ADD_FAILURE() << problem;
    }
}

TEST(PowerCut, EveryWriterIsInAGroup) {
    const std::vector<PowerCutWriter> writers = PowerCutWriters();
    ASSERT_GE(writers.size(), 13u);
    for (const PowerCutWriter& w : writers) {
        bool found = false;
        for (const auto& group : kGroups)
            found = found || std::find(group.begin(), group.end(), w.name) != group.end();
        EXPECT_TRUE(found) << w.name;
    }
}

TEST(PowerCut, PatternSavesLeaveTheOldOrTheNewFileWholeAndNoTemporaryFile) {
    CutEachSaveOf(kGroups[0]);
}

TEST(PowerCut, LayoutSavesLeaveTheOldOrTheNewFileWholeAndNoTemporaryFile) {
    CutEachSaveOf(kGroups[1]);
}

TEST(PowerCut, SettingsAndCopiesLeaveTheOldOrTheNewFileWholeAndNoTemporaryFile) {
    CutEachSaveOf(kGroups[2]);
}

TEST(PowerCut, AProgramUpdateLeavesTheOldOrTheNewProgramWholeAndNoTemporaryFile) {
    CutEachSaveOf(kGroups[3]);
}

TEST(PowerCut, OnlyTheNamesOfTemporaryFilesCountAsTemporary) {
    const struct {
        const char* name;
        bool temporary;
    } cases[] = {
        {"cut.qcc.tmpAb12C3", true}, {"recovery.qlf.tmp000000", true}, {"notes.tmp", false},
        {"cut.qcc.tmpAb12C", false}, {"cut.qcc.tmpAb-2C3", false},     {".tmpAb12C3", false},
        {"cut.qcc", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSafeWriteTemporary(c.name), c.temporary) << c.name;
}

}  // namespace
