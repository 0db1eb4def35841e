#pragma once
// Where the parts of a note sit, in pixels of its client area. The frame picture is drawn to the
// same places, and a character's author checks frames against the character box.

namespace vlz {

// The client area, which the frame picture fills.
inline constexpr int NoteWidth = 320;
inline constexpr int NoteHeight = 110;

// The character's box: a frame larger than the box is centred on it and cut off.
inline constexpr int CharacterBoxLeft = 12;
inline constexpr int CharacterBoxTop = 12;
inline constexpr int CharacterBoxWidth = 68;
inline constexpr int CharacterBoxHeight = 89;

// The memo, laid exactly over the frame's sunken black inset.
inline constexpr int MemoLeft = 91;
inline constexpr int MemoTop = 17;
inline constexpr int MemoWidth = 211;
inline constexpr int MemoHeight = 79;

}  // namespace vlz
