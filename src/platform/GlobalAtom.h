#pragma once
// Global atoms: strings that every process of the user can look up, the mark that an instance of a
// program is running. Each atom is one file in a private folder of the user (under
// $XDG_RUNTIME_DIR, or a 0700 folder of the user's own under /tmp); adding one creates its file
// exclusively, so of two processes that add the same text at once exactly one creates it.
// Atom texts are compared without regard to ASCII case, and hold at most 255 bytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace vlz {

using ATOM = std::uint16_t;  // 0 = none; string atoms are 0xC000..0xFFFF

// The atom of the text, or 0 when there is none.
ATOM GlobalFindAtom(std::string_view text);

// Adds the text and returns its atom; an existing atom is returned as it is. 0 when the table
// cannot be used (no private folder, a text that is empty or too long).
ATOM GlobalAddAtom(std::string_view text);

// Like GlobalAddAtom, but says whether this call created the atom: false when it existed already,
// so that a caller can tell its own atom from one that another process made a moment ago.
ATOM GlobalAddAtomExclusive(std::string_view text, bool& created);

// Removes the atom; an unknown atom is ignored. Returns 0, as GlobalDeleteAtom does on success.
ATOM GlobalDeleteAtom(ATOM atom);

// The folder that holds the table (created on demand); empty when no safe folder can be had.
std::string GlobalAtomFolder();

}  // namespace vlz
