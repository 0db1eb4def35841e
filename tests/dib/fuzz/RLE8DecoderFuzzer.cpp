#include "RLEDecoderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return vlz::FuzzRLEDecoder<8>(data, size);
}
