#include "line_noise.h"

namespace {

// SplitMix64: small, fast and the same on every platform.
uint64_t NextRandom(LineNoise& noise) {
    uint64_t z = (noise.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A number in [0, 1).
double Chance(LineNoise& noise) {
    return static_cast<double>(NextRandom(noise) >> 11) / 9007199254740992.0;
}

}  // namespace

void StartNoise(LineNoise& noise, double flipRate, double dropRate, uint64_t seed) {
    noise = LineNoise{};
    noise.flipRate = flipRate;
    noise.dropRate = dropRate;
    noise.seed = seed;
    noise.state = seed;
}

std::vector<uint8_t> ThroughNoise(LineNoise& noise, const std::vector<uint8_t>& bytes) {
    if (noise.flipRate <= 0 && noise.dropRate <= 0) return bytes;
    std::vector<uint8_t> out;
    for (uint8_t b : bytes) {
        if (Chance(noise) < noise.dropRate) {
            noise.dropped++;
            continue;
        }
        if (Chance(noise) < noise.flipRate) {
            b ^= static_cast<uint8_t>(1u << (NextRandom(noise) % 8));
            noise.flipped++;
        }
        out.push_back(b);
    }
    return out;
}
