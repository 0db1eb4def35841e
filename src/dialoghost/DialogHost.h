#pragma once
// What the dialogs use of the controller and of a note window. The dialogs live for the whole run
// and work on whatever these give them when they are shown; they own none of it.

#include <string>

#include "graphics/Canvas.h"
#include "graphics/Color.h"
#include "graphics/Font.h"

namespace vlz {

// The character catalogue as the dialogs read it, by index. An index outside the catalogue stands
// for its first character, as the controller's CharacterAt resolves it.
class TDialogCharacters {
  public:
    virtual ~TDialogCharacters() = default;
    virtual int CharacterCount() const = 0;
    virtual std::string CharacterName(int index) const = 0;
    virtual int CharacterPatternCount(int index) const = 0;
    virtual int CharacterAnimationInterval(int index) const = 0;
    // The character's frame at (x, y) over the canvas's brush colour (the sprite's
    // DrawFrameOpaque); the caller reduces the frame number.
    virtual void DrawCharacterFrameOpaque(int index, TCanvas& canvas, int x, int y, int frame) = 0;
};

// The controller, as the dialogs see it.
class TDialogController : public TDialogCharacters {
  public:
    // The tray's mouse-button mode as it stands, and its change (which rewires the tray at once).
    virtual int CurrentMouseButtonMode() const = 0;
    virtual void SetMouseButtonMode(int mode) = 0;
    // What the next new note receives (DefaultFont, DefaultBGColor, DefaultCharacter).
    virtual void SetNoteDefaults(const TFont& font, TColor backgroundColor, int character) = 0;
};

// A note window, as the properties dialog edits it: its memo's font and background colour and
// its character.
class TPropertyTarget {
  public:
    virtual ~TPropertyTarget() = default;
    virtual TFont MemoFont() const = 0;
    virtual void SetMemoFont(const TFont& font) = 0;
    virtual TColor MemoBGColor() const = 0;
    virtual void SetMemoBGColor(TColor color) = 0;
    virtual int CurrentCharacter() const = 0;
    // Stores the index unchanged, also one outside the catalogue, and retimes the animation.
    virtual void SetCharacter(int index) = 0;
};

}  // namespace vlz
