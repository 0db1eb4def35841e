#pragma once
// The folder a fuzz target keeps its files in for as long as it runs: in memory where the system
// has such a folder, so that the saves of every input, each with its syncs, never wait for a disk.

#include <filesystem>

#include "support/TemporaryFolder.h"

namespace vlz::testing {

inline const TemporaryFolder& FuzzFolder() {
    static const TemporaryFolder folder(std::filesystem::is_directory("/dev/shm")
                                            ? std::filesystem::path("/dev/shm")
                                            : std::filesystem::temp_directory_path());
    return folder;
}

}  // namespace vlz::testing
