// Power cuts during every save of the program, a sample of the cut points (the
// by-hand program bench/power_cut.cpp tries a thousand). A quarter of the
// writers per test: a sanitizer build runs every writer slowly.
#include <gtest/gtest.h>

#include "support/power_cut.h"

namespace {

struct PowerCut : ::testing::TestWithParam<size_t> {};

TEST_P(PowerCut, SavesLeaveTheOldOrTheNewFileWholeAndNoTemporaryFile) {
    const std::vector<PowerCutWriter> writers = PowerCutWriters();
    ASSERT_GE(writers.size(), 13u);
    for (size_t i = GetParam(); i < writers.size(); i += 4) {
        const PowerCutReport report = CutPowerDuring(writers[i], 4);
        EXPECT_GE(report.calls, 3) << writers[i].name;  // at least write, sync, rename
        EXPECT_EQ(report.cuts, 4) << writers[i].name;
        EXPECT_EQ(report.lost + report.leftovers, 0) << writers[i].name;
        for (const std::string& problem : report.problems)
            ADD_FAILURE() << problem;
    }
}

INSTANTIATE_TEST_SUITE_P(Quarter, PowerCut, ::testing::Range<size_t>(0, 4));

}  // namespace
