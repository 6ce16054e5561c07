#include "support/hex_records.h"

#include <cstdio>

std::string HexRecord(int type, unsigned address, const std::vector<int>& bytes) {
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<int>(bytes.size()), address,
                  type);
    std::string line = text;
    int sum = static_cast<int>(bytes.size()) + static_cast<int>(address >> 8) +
              static_cast<int>(address & 0xFF) + type;
    for (int b : bytes) {
        std::snprintf(text, sizeof text, "%02X", b);
        line += text;
        sum += b;
    }
    std::snprintf(text, sizeof text, "%02X\n", (-sum) & 0xFF);
    return line + text;
}

std::string HexUpper(unsigned page) {
    return HexRecord(4, 0, {static_cast<int>(page >> 8), static_cast<int>(page & 0xFF)});
}
