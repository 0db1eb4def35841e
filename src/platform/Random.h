#pragma once
// The program's pseudo-random generator. It starts seeded from the clock; Randomize seeds it
// from the clock again, RandSeed with a fixed value (so that a run can be repeated).

#include <cstdint>

namespace vlz {

void Randomize();
void RandSeed(std::uint32_t seed);

// A whole number, uniform in 0 .. range - 1; 0 for a range of 0 or less.
int Random(int range);

}  // namespace vlz
