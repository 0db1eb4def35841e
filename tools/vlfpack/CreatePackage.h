#pragma once
// vlfpack create: a character package from the author's description and picture, with any
// further files as entries named after them.

#include <string>
#include <vector>

namespace vlz {

struct TCreateRequest {
    std::string Package;
    std::string Description;  // stored as "desc.txt", whatever the file is called
    std::string Picture;      // PNG or BMP, stored as "image.bmp"
    std::vector<std::string> Others;
};

// Writes the package only when the program will load it, and then exactly as it was checked;
// otherwise raises Exception with the reasons, one a line, and leaves any existing package as it
// was. What the author should know either way is appended to `warnings`.
void CreatePackage(const TCreateRequest& request, std::vector<std::string>& warnings);

}  // namespace vlz
