#include "support/hex_records.h"

#include <cstdio>

std::string HexRecord(int type, unsigned address, const std::vector<int>& bytes) {
    std::vector<int> all = {static_cast<int>(bytes.size()), static_cast<int>(address >> 8),
                            static_cast<int>(address & 0xFF), type};
    all.insert(all.end(), bytes.begin(), bytes.end());
    std::string line = ":";
    int sum = 0;
    char hex[16];
    for (int b : all) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
        sum += b;
    }
    std::snprintf(hex, sizeof hex, "%02X\n", (-sum) & 0xFF);
    return line + hex;
}

std::string HexUpper(unsigned page) {
    return HexRecord(4, 0, {static_cast<int>(page >> 8), static_cast<int>(page & 0xFF)});
}
