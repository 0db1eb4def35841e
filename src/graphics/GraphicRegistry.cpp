#include "graphics/GraphicRegistry.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "graphics/Bitmap.h"

namespace vlz {
namespace {

struct Registry {
    std::vector<TFileFormat> files;  // in order of registration
    std::vector<std::pair<TClipboardFormat, TGraphicClass>> clipboard;

    Registry() {
        // The framework's own bitmap reads BMP files and clipboard bitmaps.
        files.push_back({"bmp", "Bitmaps", GraphicClassOf<TBitmap>()});
        clipboard.emplace_back(CF_BITMAP, GraphicClassOf<TBitmap>());
    }
};

Registry& registry() {
    static Registry instance;
    return instance;
}

std::string NormaliseExtension(std::string extension) {
    if (!extension.empty() && extension.front() == '.') {
        extension.erase(0, 1);
    }
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

void RegisterFileFormat(const std::string& extension, const std::string& description,
                        TGraphicClass graphicClass) {
    registry().files.push_back({NormaliseExtension(extension), description, graphicClass});
}

void RegisterClipboardFormat(TClipboardFormat format, TGraphicClass graphicClass) {
    registry().clipboard.emplace_back(format, graphicClass);
}

void UnregisterGraphicClass(std::type_index type) {
    auto& files = registry().files;
    std::erase_if(files, [&](const TFileFormat& entry) { return entry.Class.Type == type; });
    auto& clipboard = registry().clipboard;
    std::erase_if(clipboard, [&](const auto& entry) { return entry.second.Type == type; });
}

const TGraphicClass* FindGraphicClass(const std::string& extension) {
    std::string wanted = NormaliseExtension(extension);
    const auto& files = registry().files;
    for (auto entry = files.rbegin(); entry != files.rend(); ++entry) {
        if (entry->Extension == wanted) {
            return &entry->Class;
        }
    }
    return nullptr;
}

const TGraphicClass* FindGraphicClass(TClipboardFormat format) {
    const auto& clipboard = registry().clipboard;
    for (auto entry = clipboard.rbegin(); entry != clipboard.rend(); ++entry) {
        if (entry->first == format) {
            return &entry->second;
        }
    }
    return nullptr;
}

std::unique_ptr<TGraphic> CreateGraphic(const std::string& extension) {
    const TGraphicClass* graphicClass = FindGraphicClass(extension);
    if (graphicClass == nullptr) {
        throw EInvalidGraphic("Unknown picture file extension (." + NormaliseExtension(extension) +
                              ")");
    }
    return graphicClass->Create();
}

std::unique_ptr<TGraphic> CreateGraphic(TClipboardFormat format) {
    const TGraphicClass* graphicClass = FindGraphicClass(format);
    if (graphicClass == nullptr) {
        throw EInvalidGraphic("Unsupported clipboard format");
    }
    return graphicClass->Create();
}

bool SupportsClipboardFormat(TClipboardFormat format) {
    return FindGraphicClass(format) != nullptr;
}

std::vector<TFileFormat> FileFormats() {
    const auto& files = registry().files;
    return {files.rbegin(), files.rend()};
}

std::string GraphicFilter() {
    std::string filter;
    for (const TFileFormat& format : FileFormats()) {
        if (!filter.empty()) {
            filter += '|';
        }
        filter += format.Description + " (*." + format.Extension + ")|*." + format.Extension;
    }
    return filter;
}

}  // namespace vlz
