#include "firmware_image.h"

#include <cstdio>

namespace {

constexpr uint32_t kLoaderAddress = 0x17C00;  // where the factory loader lives

// One 4-byte group of the HEX layout at a byte address, with its blank form.
struct HexUnit {
    uint32_t byteAddress;
    uint8_t bytes[4];
    bool blank;
};

void AppendRecord(std::string& out, uint8_t type, uint16_t address, const uint8_t* data,
                  size_t count) {
    char text[16];
    uint8_t sum = static_cast<uint8_t>(count + (address >> 8) + (address & 0xFF) + type);
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<unsigned>(count), address, type);
    out += text;
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "%02X", data[i]);
        out += text;
        sum = static_cast<uint8_t>(sum + data[i]);
    }
    std::snprintf(text, sizeof text, "%02X\n", static_cast<uint8_t>(-sum) & 0xFF);
    out += text;
}

// Writes the units, 4 to a data record; a record is left out when all of its
// units are blank.
void AppendUnits(std::string& out, const std::vector<HexUnit>& units, uint32_t& upper) {
    for (size_t i = 0; i < units.size(); i += 4) {
        size_t n = std::min<size_t>(4, units.size() - i);
        bool blank = true;
        uint8_t data[16];
        for (size_t k = 0; k < n; ++k) {
            blank = blank && units[i + k].blank;
            for (int b = 0; b < 4; ++b)
                data[4 * k + b] = units[i + k].bytes[b];
        }
        if (blank) continue;
        uint32_t address = units[i].byteAddress;
        if (address >> 16 != upper) {
            upper = address >> 16;
            uint8_t ext[2] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
            AppendRecord(out, 4, 0, ext, 2);
        }
        AppendRecord(out, 0, static_cast<uint16_t>(address & 0xFFFF), data, 4 * n);
    }
}

std::vector<HexUnit> WordUnits(const std::vector<uint16_t>& words, uint32_t start) {
    std::vector<HexUnit> units;
    for (size_t i = 0; i < words.size(); ++i) {
        uint16_t w = words[i];
        units.push_back(HexUnit{2 * (start + 2 * static_cast<uint32_t>(i)),
                                {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8), 0, 0},
                                w == kBlankWord});
    }
    return units;
}

}  // namespace

FirmwareImage FactoryImage() {
    FirmwareImage image;
    image.program.assign(kProgramEnd / 2, kBlankInstruction);
    image.eeprom.assign((kEepromEnd - kEepromStart) / 2, kBlankWord);
    image.config.assign(kConfigWords, kBlankWord);
    // Reset vector: a two-word jump to the loader.
    image.program[0] = 0x040000 | (kLoaderAddress & 0xFFFE);
    image.program[1] = kLoaderAddress >> 16;
    // The loader's own rows, and the calibration data of the first two EEPROM rows.
    for (uint32_t i = kLoaderAddress / 2; i < kProgramEnd / 2; ++i)
        image.program[i] = 0x000000 | (i * 0x9E37u & 0xFFFFFF);
    for (int i = 0; i < 32; ++i)
        image.eeprom[i] = static_cast<uint16_t>(0x4D00 + 3 * i);
    const uint16_t config[kConfigWords] = {0xC701, 0x003F, 0x87B3, 0x310F,
                                           0x0003, 0xFFFF, 0xFFFF, 0x8000};
    image.config.assign(config, config + kConfigWords);
    return image;
}

std::string ImageAsHex(const FirmwareImage& image) {
    std::string out;
    uint32_t upper = 0;
    std::vector<HexUnit> units;
    for (size_t i = 0; i < image.program.size(); ++i) {
        uint32_t v = image.program[i];
        units.push_back(HexUnit{4 * static_cast<uint32_t>(i),
                                {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                 static_cast<uint8_t>(v >> 16), 0},
                                v == kBlankInstruction});
    }
    AppendUnits(out, units, upper);
    AppendUnits(out, WordUnits(image.eeprom, kEepromStart), upper);
    AppendUnits(out, WordUnits(image.config, kConfigStart), upper);
    AppendRecord(out, 1, 0, nullptr, 0);
    return out;
}
