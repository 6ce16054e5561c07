#include "base/number_pad_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(NumberPadRules, KeysOnTheTextShownTheTextAsANumberAndAngles) {
    const struct {
        const char* shown;
        std::vector<const char*> keys;  // the first erases what is shown
        const char* want;
    } cases[] = {
        {"12.500", {"3"}, "3"},
        {"12.500", {"<-"}, ""},
        {"12.500", {"."}, "."},
        {"0", {"1", ".", "2", "3", "4", "5"}, "1.234"},
        {"0", {"1", ".", "2", ".", "5"}, "1.25"},
        // Values whose product with 1000 is not exact in binary are still accepted.
        {"0", {"1", ".", "0", "0", "1"}, "1.001"},
        {"0", {"2", ".", "0", "0", "9"}, "2.009"},
        {"0", {"1", "0", "2", "3", ".", "0", "1", "5"}, "1023.015"},
        {"0", {".", "0", "0", "7", "7"}, ".007"},
        {"0", {"<-", "<-"}, ""},
        {"0", {"4", "2", "<-"}, "4"},
        {"0", {"1", "x", "", "12", "/", ":"}, "1"},
    };
    for (const auto& c : cases) {
        std::string text = c.shown;
        bool erase = true;
        for (const char* key : c.keys) {
            text = NumberPadKey(text, key, erase);
            erase = false;
        }
        EXPECT_EQ(text, c.want) << c.shown << " + " << c.keys.size() << " keys";
    }
    // The text never grows past its limit.
    std::string text(kNumberEntryMaxLength, '9');
    EXPECT_EQ(NumberPadKey(text, "9", false).size(), static_cast<size_t>(kNumberEntryMaxLength));

    // Read as a number; angles turn counterclockwise.
    const std::pair<const char*, double> texts[] = {
        {"12.500", 12.5}, {"-3", -3}, {".25x", 0.25}, {"garbage", 0},
        {"", 0},          {"inf", 0}, {"nan", 0},     {"1e999", 0},
    };
    for (const auto& [text, want] : texts)
        EXPECT_DOUBLE_EQ(NumberPadValue(text), want) << text;
    EXPECT_DOUBLE_EQ(NumberPadValue(nullptr), 0);
    const struct {
        double typed;
        bool counterclockwise;
        double want;
    } angles[] = {
        {400, false, 360}, {90, true, 270}, {360, true, 0}, {0, false, 0}, {45.5, false, 45.5}};
    for (const auto& a : angles)
        EXPECT_DOUBLE_EQ(NumberPadAngle(a.typed, a.counterclockwise), a.want) << a.typed;
}

}  // namespace
