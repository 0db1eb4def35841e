// Character packages of any shape, loaded as the catalogue loads them at start-up and drawn as a
// note draws them: a package either gives a character that draws every frame soundly, or is
// refused with its message; it never hangs the start-up or reads outside its picture.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "characters/Sprite.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "graphics/Bitmap.h"
#include "support/FuzzFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Boxes are answered with their default button, as a user who just closes them would.
    vlz::testing::ScriptedMessageBoxes boxes;
    static const std::string file = vlz::testing::FuzzFolder() / "character.vlf";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    vlz::TSprite sprite;
    try {
        sprite.LoadFromFile(file);
    } catch (const vlz::Exception&) {
        return 0;
    }
    // The note's character box, with a frame placed partly outside it.
    vlz::TBitmap note(64, 48);
    const int frames = std::min(sprite.PatternCount, 4);
    for (int frame = 0; frame < frames; ++frame) {
        sprite.DrawFrame(note.Canvas(), -frame * 7, frame * 5, frame);
    }
    if (sprite.PatternWidth <= 256 && sprite.PatternHeight <= 256) {
        sprite.DrawFrameOpaque(note.Canvas(), 3, -2, sprite.PatternCount - 1);
    }
    return 0;
}
