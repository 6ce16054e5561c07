// Number pad rules. See number_pad_rules.h.
#include "base/number_pad_rules.h"

#include <glib.h>

#include <algorithm>
#include <cmath>

#include "base/log.h"

namespace {

int DecimalsTyped(const std::string& text) {
    size_t point = text.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

}  // namespace

std::string NumberPadKey(const std::string& text, const std::string& key, bool erase) {
    std::string result = erase ? std::string() : text;
    if (key == ".") {
        if (result.find('.') == std::string::npos) result += '.';
    } else if (key == "<-") {
        if (!result.empty()) result.pop_back();
    } else if (key.size() == 1 && key[0] >= '0' && key[0] <= '9') {
        result += key[0];
    }
    // At most three decimals. Counted on the text: the product of the value
    // and 1000 is not exact in binary (1.001 * 1000 is 1000.999...), so a test
    // on it would refuse valid entries.
    if (DecimalsTyped(result) > kNumberEntryDecimals) {
        Log("Value > 0: %f\n", NumberPadValue(result.c_str()));
        result.pop_back();
    }
    if (static_cast<int>(result.size()) > kNumberEntryMaxLength)
        result.resize(kNumberEntryMaxLength);
    return result;
}

double NumberPadValue(const char* text) {
    if (text == nullptr) return 0.0;
    double value = g_ascii_strtod(text, nullptr);
    return std::isfinite(value) ? value : 0.0;
}

double NumberPadAngle(double value, bool counterclockwise) {
    value = std::min(value, kNumberPadFullTurn);
    return counterclockwise ? kNumberPadFullTurn - value : value;
}
