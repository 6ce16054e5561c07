// Power cuts during every save of the program (a sample of the cut points; the
// by-hand program bench/power_cut.cpp tries a thousand), and the recognition of
// the temporary files that an interrupted save leaves for the next start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/safe_write.h"
#include "support/power_cut.h"

namespace {

TEST(PowerCut, EverySaveLeavesTheOldOrTheNewFileWholeAndNoTemporaryFile) {
    const std::vector<PowerCutWriter> writers = PowerCutWriters();
    ASSERT_GE(writers.size(), 9u);
    for (const PowerCutWriter& writer : writers) {
        const PowerCutReport report = CutPowerDuring(writer, 4);
        EXPECT_GE(report.calls, 3) << writer.name;  // at least write, sync, rename
        EXPECT_EQ(report.cuts, 4) << writer.name;
        EXPECT_EQ(report.lost, 0) << writer.name;
        EXPECT_EQ(report.leftovers, 0) << writer.name;
        for (const std::string& problem : report.problems)
            ADD_FAILURE() << problem;
    }
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
