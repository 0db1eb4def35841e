#pragma once

#include <ostream>
#include <string>

namespace vlz {

// Loads the package as the program does, writes what it found as `key: value` lines, and
// says whether the program would load it. Boxes the program would show go to standard error.
bool CheckPackage(const std::string& path, std::ostream& out);

}  // namespace vlz
