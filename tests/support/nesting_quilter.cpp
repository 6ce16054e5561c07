#include "support/nesting_quilter.h"

#include <gtest/gtest.h>

#include <string>

#include "layout/layout_tree.h"
#include "layout/pattern_box.h"
#include "machine/nesting.h"
#include "machine/serial_link.h"
#include "support/run_layout.h"

NestingQuilter::NestingQuilter() {
    box = GetPatternBox(MakeRectBox(1, 2, 20, 10));
    node = NewPatternLayoutNode(LoadPoints({{0, 0}, {2, 0}, {2, 1}, {0, 1}}), -1, 0, 3, 4);
    EXPECT_TRUE(sim.running) << sim.error;
    SetSerialDevicePath(sim.device);
    EXPECT_GE(OpenPort(), 0);
}

NestingQuilter::~NestingQuilter() {
    ClosePort();
    SetSerialDevicePath("");
}

void NestingQuilter::Push(const char* message) const {
    const struct {
        const char* message;
        const char* push;  // thousandths of an inch
    } pushes[] = {
        {NestingStep(kNestLowerLeft).message, "push 1000 12000"},
        {kNestMarkThis, "push 500 500"},
        {NestingStep(kNestLowerRight).message, "push 20000 0"},
        {NestingStep(kNestFirstMark).message, "push -19750 -8000"},
        {NestingStep(kNestSecondMark).message, "push 19999 200"},
    };
    for (const auto& p : pushes)
        if (std::string(message) == p.message) SimControl(sim, p.push);
}
