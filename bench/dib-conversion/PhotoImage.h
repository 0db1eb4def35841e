#pragma once
// The test picture of the conversion benchmarks: a deterministic photo-like 24-bit image made of
// smooth gradients, sensor-like noise and flat-coloured shapes.

#include <cstdint>

#include "dib/PxDIBInfos.h"

namespace vlz::bench {

// A bottom-up 24-bit image on the heap; the block lives as long as the process.
const TPxDIBInfos& PhotoImage(int width, int height);

// Mean squared error per channel between `image` (any format the library holds uncompressed)
// and `original` (24 bits, same size).
double MeanSquaredError(const TPxDIBInfos& original, const TPxDIBInfos& image);

}  // namespace vlz::bench
