#include "CheckPackage.h"

#include "characters/Description.h"
#include "characters/PackageFile2.h"

namespace vlz {

bool CheckPackage(const std::string& path, std::ostream& out) {
    TReadPackageFile reader;
    reader.OpenFile(path);
    TCharacterDescription description = LoadPackageDescription(reader, path);
    out << "name: " << description.Name << '\n'
        << "width: " << description.PatternWidth << '\n'
        << "height: " << description.PatternHeight << '\n'
        << "count: " << description.PatternCount << '\n'
        << "interval: " << description.AnimationInterval << '\n';
    std::int32_t index = reader.IndexOf("image.bmp");
    return index >= 0 && reader.Contains(reader.GetEntry(index));
}

}  // namespace vlz
