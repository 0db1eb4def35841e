#include "dib/PxGraph.h"

#include "graphics/Clipboard.h"
#include "platform/ScopeGuard.h"

namespace vlz {

void TPxGraphic::Progress(TObject& sender, TProgressStage stage, std::uint8_t percentDone,
                          bool redrawNow, const TRect& rect, const std::string& message) {
    if (OnProgress) {
        OnProgress(sender, stage, percentDone, redrawNow, rect, message);
    }
}

void TPxGraphic::Assign(const TPersistent* source) {
    auto clipboardObject = dynamic_cast<const TClipboard*>(source);
    if (clipboardObject == nullptr) {
        TGraphic::Assign(source);
        return;
    }
    // Reading the clipboard changes nothing of the clipboard object but its open count.
    auto& clipboard = const_cast<TClipboard&>(*clipboardObject);
    clipboard.Open();
    TScopeExit closing([&clipboard] { clipboard.Close(); });
    std::optional<TClipboardData> data = clipboard.GetAsHandle(GetClipboardFormat());
    UniqueGlobalBlock block(data ? NewGlobalBlock(*data) : nullptr);
    UniquePalette palette(clipboard.GetPalette());
    LoadFromClipboardFormat(GetClipboardFormat(), block.get(), palette.get());
}

}  // namespace vlz
