// Power cuts during every save of the program, a sample of the cut points (the
// by-hand program bench/power_cut.cpp tries a thousand). A quarter of the
// writers per test: a sanitizer build runs every writer slowly.
#include <gtest/gtest.h>

#include "support/power_cut.h"

namespace {

void CutEachSaveOfQuarter(size_t quarter) {
    const std::vector<PowerCutWriter> writers = PowerCutWriters();
    ASSERT_GE(writers.size(), 13u);
    for (size_t i = quarter; i < writers.size(); i += 4) {
        const PowerCutReport report = CutPowerDuring(writers[i], 4);
        EXPECT_GE(report.calls, 3) << writers[i].name;  // at least write, sync, rename
        EXPECT_EQ(report.cuts, 4) << writers[i].name;
        EXPECT_EQ(report.lost + report.leftovers, 0) << writers[i].name;
        for (const std::string& problem : report.problems)
            ADD_FAILURE() << problem;
    }
}

TEST(PowerCut, SavesLeaveTheOldOrTheNewFileWholeAndNoTemporaryFile0) {
    CutEachSaveOfQuarter(0);
}
TEST(PowerCut, SavesLeaveTheOldOrTheNewFileWholeAndNoTemporaryFile1) {
    CutEachSaveOfQuarter(1);
}
TEST(PowerCut, SavesLeaveTheOldOrTheNewFileWholeAndNoTemporaryFile2) {
    CutEachSaveOfQuarter(2);
}
TEST(PowerCut, SavesLeaveTheOldOrTheNewFileWholeAndNoTemporaryFile3) {
    CutEachSaveOfQuarter(3);
}

}  // namespace
