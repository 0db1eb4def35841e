#pragma once
// The character catalogue: every character package ("*.vlf") of the character folders, loaded
// once at start-up, folder by folder, each in the order the file system lists it. In memory a
// character is known by its index here; in the note and preferences files by its name.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "characters/Sprite.h"

namespace vlz {

class TCharacterCatalogue {
  public:
    // `programFolder`: the folder of the executable, where the packages lie.
    explicit TCharacterCatalogue(std::string programFolder);
    // The folders in the order they are searched; a missing folder holds no package.
    explicit TCharacterCatalogue(std::vector<std::string> folders);
    ~TCharacterCatalogue();
    TCharacterCatalogue(const TCharacterCatalogue&) = delete;
    TCharacterCatalogue& operator=(const TCharacterCatalogue&) = delete;

    // Builds the catalogue; true (Loaded) when at least one package loaded. A package that
    // cannot be read is shown with its error and left out; a folder named like a package is left
    // out without a word. When no package loads, the user is told that the program cannot start,
    // the catalogue holds one empty character so that every lookup still answers, and the caller
    // must end the program without saving anything.
    bool LoadCharacters();
    bool Loaded() const { return loaded_; }

    // The index of the first character whose name equals `name` byte for byte, or 0.
    std::int32_t FindCharacter(std::string_view name) const;
    // Whether a package found at start-up could not be read and is missing in this run. A name
    // that no character bears may then be that package's.
    bool PackagesLeftOut() const { return leftOut_; }
    // Whether some character bears exactly `name`.
    bool HasCharacter(std::string_view name) const;
    // The character at `index`; the first one for an index outside the catalogue; nullptr only
    // for an empty catalogue (never after LoadCharacters). The catalogue keeps ownership.
    TSprite* CharacterAt(std::int32_t index) const;
    std::int32_t CharacterCount() const { return static_cast<std::int32_t>(Characters.size()); }

  private:
    void FailStartUp();
    std::optional<std::int32_t> IndexOf(std::string_view name) const;

    std::vector<std::string> folders_;
    std::vector<std::unique_ptr<TSprite>> Characters;
    bool loaded_ = false;
    bool leftOut_ = false;
};

// The box that ends a start-up without usable characters.
inline constexpr char NoCharacterMessage[] =
    "キャラクターファイルを読み込めません。起動を中止します。";

}  // namespace vlz
