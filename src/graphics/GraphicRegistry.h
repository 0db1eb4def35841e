#pragma once
// The picture registry: which graphic class reads a file extension or a clipboard format. A later
// registration of the same extension or format takes precedence over an earlier one.

#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "graphics/Graphic.h"
#include "platform/ClipboardHook.h"

namespace vlz {

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

struct TGraphicClass {
    std::type_index Type;
    TGraphicFactory Create;
};

struct TFileFormat {
    std::string Extension;  // lower case, without the dot
    std::string Description;
    TGraphicClass Class;
};

void RegisterFileFormat(const std::string& extension, const std::string& description,
                        TGraphicClass graphicClass);
void RegisterClipboardFormat(TClipboardFormat format, TGraphicClass graphicClass);
// Removes every registration of the class.
void UnregisterGraphicClass(std::type_index type);

template <typename Graphic>
TGraphicClass GraphicClassOf() {
    return {std::type_index(typeid(Graphic)), [] { return std::make_unique<Graphic>(); }};
}

// The class registered for an extension (with or without the dot, any letter case), or null.
const TGraphicClass* FindGraphicClass(const std::string& extension);
const TGraphicClass* FindGraphicClass(TClipboardFormat format);
// A new, empty picture of the registered class; EInvalidGraphic for an unknown extension/format.
std::unique_ptr<TGraphic> CreateGraphic(const std::string& extension);
std::unique_ptr<TGraphic> CreateGraphic(TClipboardFormat format);
// Whether the clipboard holds a format that some class reads.
bool SupportsClipboardFormat(TClipboardFormat format);

// Every registered file format, latest first; and the filter text of an open dialog made of
// them ("Bitmaps (*.bmp)|*.bmp|…").
std::vector<TFileFormat> FileFormats();
std::string GraphicFilter();

}  // namespace vlz
