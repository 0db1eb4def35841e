#pragma once
// Checking a character package the way the program will load it.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "characters/Description.h"
#include "characters/Sprite.h"

namespace vlz {

// The size of the character box of a note: a larger frame is cut off there.
inline constexpr std::int32_t NoteCharacterWidth = 68;
inline constexpr std::int32_t NoteCharacterHeight = 89;

// A package as the program's own loader reads it at start-up.
struct TLoadedCharacter {
    std::unique_ptr<TSprite> Sprite = std::make_unique<TSprite>();
    std::vector<std::string> Boxes;  // the message boxes the program would show, in order
    // The error that would stop the program's start-up at this package.
    std::optional<std::string> Failure;
};
TLoadedCharacter LoadAsTheProgramDoes(const std::string& path);

// What an author should hear about a character's frames. The program loads such a character
// all the same; it draws frames that lie partly or wholly outside the picture clipped or empty,
// and cuts larger frames off in the note.
struct TFrameFindings {
    std::vector<std::string> Faults;  // frames that do not fit the picture
    std::vector<std::string> Warnings;
};
TFrameFindings CheckFrames(int pictureWidth, int pictureHeight,
                           const TCharacterDescription& settings);
// The warning about frames larger than the note's character box, if they are.
std::optional<std::string> FrameBoxWarning(const TCharacterDescription& settings);

// Loads the package as the program does, writes what it found as `key: value` lines, and
// says whether the program would load it. Boxes the program would show, and the author's
// warnings, go to standard error.
bool CheckPackage(const std::string& path, std::ostream& out);

}  // namespace vlz
