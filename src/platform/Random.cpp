#include "platform/Random.h"

#include <chrono>
#include <random>

namespace vlz {
namespace {

std::uint32_t ClockSeed() {
    return static_cast<std::uint32_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

std::mt19937& Generator() {
    static std::mt19937 generator{ClockSeed()};
    return generator;
}

}  // namespace

void Randomize() {
    Generator().seed(ClockSeed());
}

void RandSeed(std::uint32_t seed) {
    Generator().seed(seed);
}

int Random(int range) {
    if (range <= 0) {
        return 0;
    }
    return std::uniform_int_distribution<int>(0, range - 1)(Generator());
}

}  // namespace vlz
