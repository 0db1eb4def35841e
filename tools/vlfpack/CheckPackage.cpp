#include "CheckPackage.h"

#include <iostream>

#include "characters/Sprite.h"
#include "notes/core/NoteLayout.h"

namespace vlz {

bool CheckPackage(const std::string& path, std::ostream& out) {
    TSprite sprite;
    bool loaded = true;
    try {
        sprite.LoadFromFile(path);
    } catch (const std::exception& error) {
        // What the program would show for it before ending its start-up.
        std::cerr << "Velloric付箋: " << error.what() << '\n';
        loaded = false;
    }
    out << "name: " << sprite.Name << '\n'
        << "width: " << sprite.PatternWidth << '\n'
        << "height: " << sprite.PatternHeight << '\n'
        << "count: " << sprite.PatternCount << '\n'
        << "interval: " << sprite.AnimationInterval << '\n'
        << "picture: " << sprite.Image.Width() << "x" << sprite.Image.Height() << '\n';
    if (!loaded) {
        return false;
    }
    // Hints for the character's author; the program itself says nothing of these.
    const TRect last = sprite.FrameRect(sprite.PatternCount - 1);
    if (last.Right > sprite.Image.Width() || last.Bottom > sprite.Image.Height()) {
        std::cerr << "vlfpack: note: frame " << sprite.PatternCount - 1
                  << " lies partly outside the picture and is drawn clipped\n";
    }
    if (sprite.PatternWidth > CharacterBoxWidth || sprite.PatternHeight > CharacterBoxHeight) {
        std::cerr << "vlfpack: note: frames larger than " << CharacterBoxWidth << " x "
                  << CharacterBoxHeight << " are cut off in a note\n";
    }
    return true;
}

}  // namespace vlz
