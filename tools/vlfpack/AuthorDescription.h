#pragma once
// The description of a new package, as the author wrote it or as `vlfpack new` makes it.
//
// The program reads "desc.txt" as Shift-JIS (CP932). A Shift-JIS or plain ASCII text is kept
// byte for byte; a UTF-8 one, what today's editors save, is converted, with CR LF line ends. The
// settings are then read exactly as the program reads them, and a description the program would
// complain about at every start is refused with the reason.

#include <cstdint>
#include <string>
#include <vector>

#include "characters/Description.h"
#include "platform/Exception.h"

namespace vlz {

class EDescriptionError : public Exception {
  public:
    using Exception::Exception;
};

struct TPackageDescription {
    std::string Text;                // the entry's bytes (CP932)
    TCharacterDescription Settings;  // as the program reads them; the name in UTF-8
    bool Converted = false;          // the source was UTF-8
    std::vector<std::string> Warnings;
};

// Raises EDescriptionError naming the setting or the character at fault.
TPackageDescription MakePackageDescription(const std::vector<std::uint8_t>& source);

// A description with the five settings, the numbers given as the user typed them (decimal).
// Raises EDescriptionError for a name Shift-JIS cannot hold or a value the program refuses.
TPackageDescription NewPackageDescription(const std::string& name, const std::string& width,
                                          const std::string& height, const std::string& count,
                                          const std::string& interval);

}  // namespace vlz
