// vlfpack: character packages from the command line. `vlfpack help` prints the manual (Manual
// below); a wrong command line prints the synopsis (Usage) and ends with status 2.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "AuthorDescription.h"
#include "CheckPackage.h"
#include "CreatePackage.h"
#include "PreviewPicture.h"
#include "ToolFiles.h"
#include "characters/PackageFile2.h"
#include "platform/Cp932.h"
#include "platform/ScopeGuard.h"
#include "platform/Stream.h"

namespace vlz {
namespace {

const char Usage[] =
    "usage: vlfpack new NAME WIDTH HEIGHT COUNT INTERVAL\n"
    "       vlfpack create PACKAGE DESCRIPTION PICTURE [FILE...]\n"
    "       vlfpack preview [--scale N] PACKAGE OUT.png\n"
    "       vlfpack check PACKAGE\n"
    "       vlfpack list PACKAGE\n"
    "       vlfpack extract PACKAGE NAME [OUT|-]\n"
    "       vlfpack help\n";

const char Manual[] =
    R"(NAME
    vlfpack - make, check and look at VLZozed character packages

SYNOPSIS
    vlfpack new NAME WIDTH HEIGHT COUNT INTERVAL
    vlfpack create PACKAGE DESCRIPTION PICTURE [FILE...]
    vlfpack preview [--scale N] PACKAGE OUT.png
    vlfpack check PACKAGE
    vlfpack list PACKAGE
    vlfpack extract PACKAGE NAME [OUT|-]

DESCRIPTION
    A character package (NAME.vlf) holds a description, desc.txt, and a picture, image.bmp: a
    grid of equally sized animation frames read row by row from the top-left corner. The colour
    of the picture's top-left pixel is transparent. The program loads every package in its
    characters folder at start.

COMMANDS
    new NAME WIDTH HEIGHT COUNT INTERVAL
        Writes desc.txt in the current folder (Shift-JIS, CR LF): the character's name, the
        width and height of a frame in pixels, the number of frames and the milliseconds
        between two frames. An existing desc.txt is left alone and the command fails.

    create PACKAGE DESCRIPTION PICTURE [FILE...]
        Packs DESCRIPTION as desc.txt and PICTURE as image.bmp, whatever the files are called,
        and each FILE as an entry named after it. DESCRIPTION is Shift-JIS or UTF-8 text (text
        that is valid UTF-8 is read as UTF-8 and stored as Shift-JIS with CR LF). PICTURE is a
        PNG or BMP file of any kind (headers of 12, 40, 108 or 124 bytes; 1 to 32 bits; with or
        without alpha; not run-length compressed); it is stored as the 24-bit BMP the program
        reads, and a picture that is one already is stored byte for byte. Where PICTURE has an
        alpha channel, its fully transparent pixels are given the colour of the top-left pixel;
        when that pixel is not itself transparent, a warning says which colour became
        transparent. The package is written only when the program will load it: a picture that
        the frames do not divide, more frames than the picture holds, a name that Shift-JIS
        cannot hold or a setting the program refuses ends the command with the reason, and an
        existing PACKAGE is left as it was. Frames larger than a note's character box (68 x 89)
        are taken with a warning.

    preview [--scale N] PACKAGE OUT.png
        Draws every frame of PACKAGE in order, as a note shows it, N times as large (1 to 16;
        by default about 128 pixels a frame) with hard pixel edges, over a checkerboard where
        the character is transparent, with the frame numbers and the interval, as a PNG file.

    check PACKAGE
        Loads PACKAGE as the program does and prints its name, width, height, count, interval
        and picture size. Every box the program would show, and hints for the author, go to
        standard error.

    list PACKAGE
        Prints the index, name, offset and size of every entry.

    extract PACKAGE NAME [OUT|-]
        Writes the bytes of entry NAME (found without regard to letter case) to OUT, to
        standard output for "-", or to a file of the entry's own name in the current folder.

    Names on the command line and on the terminal are UTF-8; in the package they are Shift-JIS.

EXIT STATUS
    0 when the command did its work (check: the program will load the package); 1 when it was
    refused or failed, with the reason on standard error and no file written or changed; 2 for
    a wrong command line.
)";

class EUsage : public Exception {
  public:
    using Exception::Exception;
};

void PrintWarnings(const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) {
        std::cerr << "vlfpack: warning: " << warning << '\n';
    }
}

int New(const std::vector<std::string>& arguments) {
    if (arguments.size() != 5) {
        throw EUsage(
            "new needs a name, the frame width and height, the frame count and the "
            "interval in milliseconds");
    }
    TPackageDescription description;
    try {
        description = NewPackageDescription(arguments[0], arguments[1], arguments[2], arguments[3],
                                            arguments[4]);
    } catch (const EDescriptionError& error) {
        throw Exception(std::string("desc.txt: ") + error.what());
    }
    if (std::optional<std::string> warning = FrameBoxWarning(description.Settings)) {
        description.Warnings.push_back(*warning);
    }
    WriteNewFile("desc.txt", description.Text);
    PrintWarnings(description.Warnings);
    const TCharacterDescription& settings = description.Settings;
    std::cout << "desc.txt: draw " << settings.PatternCount
              << (settings.PatternCount == 1 ? " frame of " : " frames of ")
              << settings.PatternWidth << " x " << settings.PatternHeight
              << " pixels side by side (a picture of "
              << std::int64_t{settings.PatternWidth} * settings.PatternCount << " x "
              << settings.PatternHeight
              << "), the background transparent or in the colour of the top-left pixel, then:\n"
              << "    vlfpack create CHARACTER.vlf desc.txt PICTURE.png\n";
    return 0;
}

int Create(const std::vector<std::string>& arguments) {
    if (arguments.size() < 3) {
        throw EUsage("create needs the package, its description and its picture");
    }
    TCreateRequest request{arguments[0], arguments[1], arguments[2],
                           std::vector<std::string>(arguments.begin() + 3, arguments.end())};
    std::vector<std::string> warnings;
    // The warnings come out whether the package was written or refused.
    TScopeExit printing([&warnings] { PrintWarnings(warnings); });
    CreatePackage(request, warnings);
    return 0;
}

int Preview(std::vector<std::string> arguments) {
    int scale = 0;
    for (auto argument = arguments.begin(); argument != arguments.end();) {
        std::string value;
        if (*argument == "--scale" && argument + 1 != arguments.end()) {
            value = *(argument + 1);
            argument = arguments.erase(argument, argument + 2);
        } else if (argument->starts_with("--scale=")) {
            value = argument->substr(8);
            argument = arguments.erase(argument);
        } else if (argument->starts_with("--")) {
            throw EUsage("unknown option " + *argument);
        } else {
            ++argument;
            continue;
        }
        char* end = nullptr;
        long number = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || number < 1 || number > MaximumPreviewScale) {
            throw EUsage("--scale takes a whole number from 1 to " +
                         std::to_string(MaximumPreviewScale));
        }
        scale = static_cast<int>(number);
    }
    if (arguments.size() != 2) {
        throw EUsage("preview needs a package and an output file");
    }
    RefuseToReplaceAnInput(arguments[1], {arguments[0]});
    TLoadedCharacter character = LoadAsTheProgramDoes(arguments[0]);
    for (const std::string& box : character.Boxes) {
        std::cerr << box << '\n';
    }
    if (character.Failure) {
        throw Exception("the program would not load " + arguments[0] + ": " + *character.Failure);
    }
    TSprite& sprite = *character.Sprite;
    if (scale == 0) {
        scale = DefaultPreviewScale(sprite.PatternWidth, sprite.PatternHeight);
    }
    if (std::int64_t{std::max(sprite.PatternWidth, sprite.PatternHeight)} * scale >
        MaximumPreviewSide / 2) {
        throw Exception("frames of " + std::to_string(sprite.PatternWidth) + " x " +
                        std::to_string(sprite.PatternHeight) + " are too large to show " +
                        std::to_string(scale) + " times as large");
    }
    std::vector<std::string> warnings;
    TRgbPicture picture = DrawPreview(sprite, scale, warnings);
    WriteFileSafely(arguments[1], EncodePng(picture));
    PrintWarnings(warnings);
    return 0;
}

// Opens the package as the program does; false (after the reader's warning) when it is not one.
bool OpenPackage(TReadPackageFile& reader, const std::string& path) {
    if (!std::filesystem::is_regular_file(path)) {
        std::cerr << "vlfpack: cannot open " << path << '\n';
        return false;
    }
    reader.OpenFile(path);
    return reader.IsOpen();
}

int List(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        throw EUsage("list needs one package");
    }
    TReadPackageFile reader;
    if (!OpenPackage(reader, arguments[0])) {
        return 1;
    }
    for (std::int32_t i = 0; i < reader.Count(); ++i) {
        TPackageEntry entry = reader.GetEntry(i);
        std::cout << i << '\t' << Cp932Shown(FromCp932(entry.Name)) << '\t' << entry.Offset << '\t'
                  << entry.Size << '\n';
    }
    return 0;
}

int Extract(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2 && arguments.size() != 3) {
        throw EUsage("extract needs a package, an entry name and maybe an output file");
    }
    const std::string& name = arguments[1];
    TReadPackageFile reader;
    if (!OpenPackage(reader, arguments[0])) {
        return 1;
    }
    std::string wanted = FitsCp932(name) ? ToCp932(name) : name;
    std::int32_t index = reader.IndexOf(wanted);
    if (index < 0) {
        std::cerr << "vlfpack: no entry \"" << name << "\" in " << arguments[0] << '\n';
        return 1;
    }
    TPackageEntry entry = reader.GetEntry(index);
    // Without an output file the entry keeps its stored name, which is not trusted as a path:
    // it could climb out of the working folder.
    std::string output = arguments.size() == 3 ? arguments[2] : FromCp932(entry.Name);
    if (arguments.size() == 2 &&
        (output.find('/') != std::string::npos || output == "." || output == "..")) {
        throw EUsage("the entry's name \"" + output +
                     "\" is not a plain file name; give an output file");
    }
    if (!reader.Contains(entry)) {
        std::cerr << "vlfpack: entry \"" << name << "\" lies outside " << arguments[0] << '\n';
        return 1;
    }
    TStream* stream = reader.OpenEntry(wanted);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(entry.Size));
    stream->ReadBuffer(bytes.data(), bytes.size());
    if (output == "-") {
        std::cout.write(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<std::streamsize>(bytes.size()));
    } else {
        WriteFileSafely(output, bytes);
    }
    return 0;
}

int Check(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        throw EUsage("check needs one package");
    }
    return CheckPackage(arguments[0], std::cout) ? 0 : 1;
}

int Run(const std::string& command, const std::vector<std::string>& arguments) {
    if (command == "new") {
        return New(arguments);
    }
    if (command == "create") {
        return Create(arguments);
    }
    if (command == "preview") {
        return Preview(arguments);
    }
    if (command == "check") {
        return Check(arguments);
    }
    if (command == "list") {
        return List(arguments);
    }
    if (command == "extract") {
        return Extract(arguments);
    }
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << Manual;
        return 0;
    }
    throw EUsage("unknown command \"" + command + "\"");
}

}  // namespace
}  // namespace vlz

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << vlz::Usage;
        return 2;
    }
    try {
        return vlz::Run(argv[1], std::vector<std::string>(argv + 2, argv + argc));
    } catch (const vlz::EUsage& error) {
        std::cerr << "vlfpack: " << error.what() << '\n' << vlz::Usage;
        return 2;
    } catch (const std::exception& error) {
        // A refusal may give several reasons, one a line.
        std::istringstream reasons(error.what());
        for (std::string reason; std::getline(reasons, reason);) {
            std::cerr << "vlfpack: " << reason << '\n';
        }
        return 1;
    }
}
