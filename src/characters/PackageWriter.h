#pragma once
// Building character packages (the vlfpack tool and the tests): the directory in the order the
// entries are given, then their contents one after the other in the same order.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace vlz {

struct TPackageItem {
    std::string Name;  // CP932, 1..255 bytes
    std::vector<std::uint8_t> Data;
};

// Raised for a package that the format cannot hold (too many entries, a name too long or empty,
// more data than a signed 32-bit offset reaches).
class EPackageError : public Exception {
  public:
    using Exception::Exception;
};

std::vector<std::uint8_t> BuildPackage(const std::vector<TPackageItem>& items);

}  // namespace vlz
