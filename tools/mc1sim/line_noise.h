// Noise on the line from the board to the host, as a cable beside the motors
// picks it up: a reply byte may lose one of its bits to a flip or be lost
// altogether. The noise comes from a seeded generator, so the same seed and
// the same traffic give the same damage.
#pragma once

#include <cstdint>
#include <vector>

struct LineNoise {
    double flipRate = 0;  // chance that a reply byte has one bit flipped, 0..1
    double dropRate = 0;  // chance that a reply byte is lost, 0..1
    uint64_t seed = 0;    // the seed the generator was started with
    uint64_t state = 0;   // generator state
    int64_t flipped = 0;  // bytes damaged so far
    int64_t dropped = 0;  // bytes lost so far
};

// Starts noise at the given rates (each 0..1) from seed; counters restart.
void StartNoise(LineNoise& noise, double flipRate, double dropRate, uint64_t seed);

// Passes reply bytes through the noise: returns them with some bits flipped
// and some bytes left out. Called by main for every reply before it goes on
// the line.
std::vector<uint8_t> ThroughNoise(LineNoise& noise, const std::vector<uint8_t>& bytes);
