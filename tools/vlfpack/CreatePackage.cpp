#include "CreatePackage.h"

#include <filesystem>
#include <set>

#include "AuthorDescription.h"
#include "AuthorPicture.h"
#include "CheckPackage.h"
#include "ToolFiles.h"
#include "characters/PackageFile2.h"
#include "characters/PackageWriter.h"
#include "platform/Cp932.h"
#include "platform/Cp932Case.h"

namespace vlz {
namespace {

bool LooksLikePicture(const std::vector<std::uint8_t>& bytes) {
    return (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') ||
           (bytes.size() >= 4 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' &&
            bytes[3] == 'G');
}

TPackageDescription ReadDescription(const std::string& path) {
    std::vector<std::uint8_t> bytes = ReadInputFile(path);
    if (LooksLikePicture(bytes)) {
        throw Exception(path +
                        " is a picture; the description comes first: vlfpack create "
                        "PACKAGE DESCRIPTION PICTURE");
    }
    try {
        return MakePackageDescription(bytes);
    } catch (const EDescriptionError& error) {
        throw Exception(path + ": " + error.what());
    }
}

TPackagePicture ReadPicture(const std::string& path) {
    std::vector<std::uint8_t> bytes = ReadInputFile(path);
    try {
        return MakePackagePicture(bytes);
    } catch (const EPictureError& error) {
        throw Exception(path + ": " + error.what());
    }
}

std::string EntryName(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    if (!FitsCp932(name)) {
        throw Exception(path + ": a package cannot hold this file name in Shift-JIS");
    }
    return ToCp932(name);
}

// Refuses the package when the program's loader shows a box or fails on it.
void VerifyAsTheProgramLoads(const std::string& temporary, const TPackagePicture& picture) {
    TLoadedCharacter character = LoadAsTheProgramDoes(temporary);
    std::string reason;
    if (character.Failure) {
        reason = *character.Failure;
    } else if (!character.Boxes.empty()) {
        reason = character.Boxes.front();
    } else if (character.Sprite->Image.Width() != picture.Width ||
               character.Sprite->Image.Height() != picture.Height) {
        reason = "its picture reads back at another size";
    }
    if (!reason.empty()) {
        throw Exception("the program would not load the package: " + reason);
    }
}

bool NamedLikeAPackage(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    return extension.size() == 4 && extension[0] == '.' && (extension[1] | 0x20) == 'v' &&
           (extension[2] | 0x20) == 'l' && (extension[3] | 0x20) == 'f';
}

}  // namespace

void CreatePackage(const TCreateRequest& request, std::vector<std::string>& warnings) {
    std::vector<std::string> inputs{request.Description, request.Picture};
    inputs.insert(inputs.end(), request.Others.begin(), request.Others.end());
    RefuseToReplaceAnInput(request.Package, inputs);
    TPackageDescription description = ReadDescription(request.Description);
    for (const std::string& warning : description.Warnings) {
        warnings.push_back(request.Description + ": " + warning);
    }
    TPackagePicture picture = ReadPicture(request.Picture);
    for (const std::string& warning : picture.Warnings) {
        warnings.push_back(request.Picture + ": " + warning);
    }
    TFrameFindings findings = CheckFrames(picture.Width, picture.Height, description.Settings);
    warnings.insert(warnings.end(), findings.Warnings.begin(), findings.Warnings.end());
    if (!findings.Faults.empty()) {
        std::string reasons;
        for (const std::string& fault : findings.Faults) {
            reasons += (reasons.empty() ? "" : "\n") + fault;
        }
        throw Exception(reasons);
    }

    std::vector<TPackageItem> items{
        {"desc.txt", std::vector<std::uint8_t>(description.Text.begin(), description.Text.end())},
        {"image.bmp", picture.Bmp}};
    // The reader lets the later of two such entries win; a package is clearer without them.
    std::set<std::string> names{"DESC.TXT", "IMAGE.BMP"};
    for (const std::string& path : request.Others) {
        TPackageItem item{EntryName(path), ReadInputFile(path)};
        if (!names.insert(Cp932CodePageUpperCase(item.Name)).second) {
            throw Exception("two entries would be named \"" + FromCp932(item.Name) + "\"");
        }
        items.push_back(std::move(item));
    }
    WriteFileSafely(request.Package, BuildPackage(items), [&](const std::string& temporary) {
        VerifyAsTheProgramLoads(temporary, picture);
    });
    if (!NamedLikeAPackage(request.Package)) {
        warnings.push_back(request.Package +
                           ": the program only finds packages whose names end in .vlf");
    }
}

}  // namespace vlz
