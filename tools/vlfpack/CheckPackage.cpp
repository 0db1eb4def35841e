#include "CheckPackage.h"

#include <iostream>

#include "platform/MessageBox.h"

namespace vlz {
namespace {

// Takes the boxes the loader shows while it is installed, as "caption: text".
class BoxCollector : public MessageBoxHook {
  public:
    explicit BoxCollector(std::vector<std::string>& boxes)
        : boxes_(boxes), previous_(InstallMessageBoxHook(this)) {}
    ~BoxCollector() override { InstallMessageBoxHook(previous_); }
    BoxCollector(const BoxCollector&) = delete;
    BoxCollector& operator=(const BoxCollector&) = delete;

    int Show(std::string_view text, std::string_view caption, unsigned flags,
             MessageBoxOwner) override {
        boxes_.push_back(caption.empty() ? std::string(text)
                                         : std::string(caption) + ": " + std::string(text));
        return DefaultAnswer(flags);
    }

  private:
    std::vector<std::string>& boxes_;
    MessageBoxHook* previous_;
};

std::string Size(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

std::string Frames(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " frame" : " frames");
}

}  // namespace

TLoadedCharacter LoadAsTheProgramDoes(const std::string& path) {
    TLoadedCharacter character;
    BoxCollector collector(character.Boxes);
    try {
        character.Sprite->LoadFromFile(path);
    } catch (const std::exception& error) {
        character.Failure = error.what();
    }
    return character;
}

std::optional<std::string> FrameBoxWarning(const TCharacterDescription& settings) {
    if (settings.PatternWidth <= NoteCharacterWidth &&
        settings.PatternHeight <= NoteCharacterHeight) {
        return std::nullopt;
    }
    return "frames of " + Size(settings.PatternWidth, settings.PatternHeight) +
           " are larger than a note's character box of " +
           Size(NoteCharacterWidth, NoteCharacterHeight) + " and are cut off there";
}

TFrameFindings CheckFrames(int pictureWidth, int pictureHeight,
                           const TCharacterDescription& settings) {
    TFrameFindings findings;
    const std::int64_t width = settings.PatternWidth;
    const std::int64_t height = settings.PatternHeight;
    if (pictureWidth % width != 0 || pictureHeight % height != 0) {
        findings.Faults.push_back(
            "the picture is " + Size(pictureWidth, pictureHeight) + " pixels, which frames of " +
            Size(width, height) +
            " do not divide; make it a whole number of frames wide and high, such as " +
            Size((pictureWidth + width - 1) / width * width,
                 (pictureHeight + height - 1) / height * height));
    }
    const std::int64_t columns = pictureWidth / width;
    const std::int64_t rows = pictureHeight / height;
    if (settings.PatternCount > columns * rows) {
        findings.Faults.push_back("PatternCount is " + std::to_string(settings.PatternCount) +
                                  ", but the picture has room for only " + Frames(columns * rows) +
                                  " of " + Size(width, height) + " (" + std::to_string(columns) +
                                  " across, " + std::to_string(rows) + " down)");
    }
    if (std::optional<std::string> warning = FrameBoxWarning(settings)) {
        findings.Warnings.push_back(*warning);
    }
    return findings;
}

bool CheckPackage(const std::string& path, std::ostream& out) {
    TLoadedCharacter character = LoadAsTheProgramDoes(path);
    for (const std::string& box : character.Boxes) {
        std::cerr << box << '\n';
    }
    if (character.Failure) {
        // What the program would show for it before ending its start-up.
        std::cerr << "Velloric付箋: " << *character.Failure << '\n';
    }
    const TSprite& sprite = *character.Sprite;
    out << "name: " << sprite.Name << '\n'
        << "width: " << sprite.PatternWidth << '\n'
        << "height: " << sprite.PatternHeight << '\n'
        << "count: " << sprite.PatternCount << '\n'
        << "interval: " << sprite.AnimationInterval << '\n'
        << "picture: " << sprite.Image.Width() << "x" << sprite.Image.Height() << '\n';
    if (character.Failure) {
        return false;
    }
    // Hints for the character's author; the program itself says nothing of these.
    TCharacterDescription settings;
    settings.PatternWidth = sprite.PatternWidth;
    settings.PatternHeight = sprite.PatternHeight;
    settings.PatternCount = sprite.PatternCount;
    TFrameFindings findings = CheckFrames(sprite.Image.Width(), sprite.Image.Height(), settings);
    for (const auto* list : {&findings.Faults, &findings.Warnings}) {
        for (const std::string& message : *list) {
            std::cerr << "vlfpack: warning: " << message << '\n';
        }
    }
    return true;
}

}  // namespace vlz
