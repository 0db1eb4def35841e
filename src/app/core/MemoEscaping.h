#pragma once
// The note file keeps a memo on one line: a line break is stored as the two characters backslash
// and lower-case n. Both directions work on CP932 bytes, so that the second byte of a double-byte
// character (which may be 0x5C, the backslash) never starts or ends a match.

#include <string>
#include <string_view>

namespace vlz {

// Every CR LF becomes backslash-n. A lone CR or LF is a line break too, and is stored the same
// way: written as it is, it would end the line and spill the rest of the memo into the file.
std::string EscapeMemo(std::string_view cp932);

// Every backslash-n becomes CR LF; backslash-N and other backslashes stay as they are.
std::string UnescapeMemo(std::string_view cp932);

}  // namespace vlz
