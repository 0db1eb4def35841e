#pragma once
// What the fuzz targets share: a check that stops the run where it fails, the input written to a
// file for the readers that take a file name, and a save that must not fail.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>

#include "platform/FileReplace.h"

namespace vlz::testing {

// Not assert(): the check must hold in every build the fuzzer is made in.
inline void FuzzCheck(bool condition) {
    if (!condition) {
        std::abort();
    }
}

inline void WriteFuzzInput(const std::string& file, const std::uint8_t* data, std::size_t size) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Runs `save`, which writes `file`, and returns what it wrote. Nothing a reader gave may make a
// save fail, so an exception ends the run.
template <class Save>
std::string SavedBytes(const std::string& file, Save&& save) {
    try {
        save();
    } catch (const std::exception&) {
        std::abort();
    }
    return vlz::ReadFileIfExists(file).value_or("");
}

}  // namespace vlz::testing
