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

std::string FirmwareHex(unsigned rowStep, long* bytesSent) {
    std::string hex;
    unsigned page = 0xFFFF;
    long rows = 0;
    for (unsigned row = 0; row < 1500; row += rowStep, ++rows) {
        for (unsigned part = 0; part < 8; ++part) {
            const unsigned address = row * 128 + part * 16;
            if (address >> 16 != page) hex += HexUpper(page = address >> 16);
            std::vector<int> bytes;
            for (int i = 0; i < 16; ++i)
                bytes.push_back(i % 4 == 3 ? 0
                                           : static_cast<int>((row * 7 + part * 16 + i) & 0xFF));
            hex += HexRecord(0, address & 0xFFFF, bytes);
        }
    }
    hex += HexUpper(0xFF);
    for (int word = 0; word < 64; word += 4)
        hex += HexRecord(
            0, 0xE000 + word * 4,
            {word, 0x5A, 0, 0, word + 1, 0xA5, 0, 0, word + 2, 0x5A, 0, 0, word + 3, 0xA5, 0, 0});
    hex += HexUpper(0x1F0);
    hex += HexRecord(0, 0, {0x11, 0xC3, 0, 0, 0x22, 0x3F, 0, 0, 0x33, 0x87, 0, 0});
    // Start 4, identify 4, vector read 4, two EEPROM reads 8, rows 100 each,
    // EEPROM rows 36 each, configuration 4 + 6 x 3, the end 1.
    if (bytesSent) *bytesSent = 4 + 4 + 4 + 8 + rows * 100 + 4 * 36 + 4 + 6 * 3 + 1;
    return hex + HexRecord(1, 0, {});
}
