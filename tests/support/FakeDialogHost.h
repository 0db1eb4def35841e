#pragma once
// A controller and a note for dialog tests: characters that paint themselves as plain blocks of
// their own colour, a tray mode, defaults, and a note whose settings can be read back.

#include <string>
#include <vector>

#include "dialoghost/DialogHost.h"
#include "support/EventLoop.h"

namespace vlz::testing {

struct FakeCharacter {
    std::string Name;
    int Width = 32;
    int Height = 32;
    int PatternCount = 1;
    int AnimationInterval = 100;
    TColor Color = clBlack;
};

struct DrawnFrame {
    int Index;
    int Frame;
    bool operator==(const DrawnFrame&) const = default;
};

class FakeController : public TDialogController {
  public:
    std::vector<FakeCharacter> Characters;
    std::vector<DrawnFrame> Drawn;
    int Mode = 0;
    std::vector<int> ModesSet;
    TFont DefaultFont;
    TColor DefaultBGColor = clBlack;
    int DefaultCharacter = 0;
    int DefaultsSet = 0;

    int CharacterCount() const override { return static_cast<int>(Characters.size()); }
    std::string CharacterName(int index) const override { return At(index).Name; }
    int CharacterPatternCount(int index) const override { return At(index).PatternCount; }
    int CharacterAnimationInterval(int index) const override { return At(index).AnimationInterval; }
    void DrawCharacterFrameOpaque(int index, TCanvas& canvas, int x, int y, int frame) override {
        Drawn.push_back({index, frame});
        const FakeCharacter& character = At(index);
        TColor brush = canvas.Brush.Color;
        // Each frame a shade of its own, so that tests can tell frames apart.
        canvas.Brush.Color = character.Color + frame;
        canvas.FillRect(Rect(x, y, x + character.Width, y + character.Height));
        canvas.Brush.Color = brush;
    }
    int CurrentMouseButtonMode() const override { return Mode; }
    void SetMouseButtonMode(int mode) override {
        Mode = mode;
        ModesSet.push_back(mode);
    }
    void SetNoteDefaults(const TFont& font, TColor color, int character) override {
        DefaultFont = font;
        DefaultBGColor = color;
        DefaultCharacter = character;
        ++DefaultsSet;
    }

  private:
    const FakeCharacter& At(int index) const {
        return index >= 0 && index < CharacterCount() ? Characters[index] : Characters.front();
    }
};

class FakeNote : public TPropertyTarget {
  public:
    TFont Font;
    TColor BGColor = clBlack;
    int Character = 0;
    std::vector<int> CharactersSet;

    TFont MemoFont() const override { return Font; }
    void SetMemoFont(const TFont& font) override { Font = font; }
    TColor MemoBGColor() const override { return BGColor; }
    void SetMemoBGColor(TColor color) override { BGColor = color; }
    int CurrentCharacter() const override { return Character; }
    void SetCharacter(int index) override {
        Character = index;
        CharactersSet.push_back(index);
    }
};

}  // namespace vlz::testing
