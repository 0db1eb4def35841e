#include "platform/ClipboardHook.h"

#include <map>

namespace vlz {
namespace {

class ProcessClipboard final : public ClipboardHook {
  public:
    bool Open() override { return true; }
    void Close() override {}
    void Clear() override { formats_.clear(); }
    bool HasFormat(TClipboardFormat format) override { return formats_.count(format) != 0; }
    std::optional<TClipboardData> GetData(TClipboardFormat format) override {
        auto found = formats_.find(format);
        if (found == formats_.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    bool SetData(TClipboardFormat format, TClipboardData data) override {
        formats_[format] = std::move(data);
        return true;
    }

  private:
    std::map<TClipboardFormat, TClipboardData> formats_;
};

ProcessClipboard& processClipboard() {
    static ProcessClipboard clipboard;
    return clipboard;
}

ClipboardHook* installed = nullptr;

}  // namespace

ClipboardHook* InstallClipboardHook(ClipboardHook* hook) {
    ClipboardHook* previous = installed;
    installed = hook;
    return previous;
}

ClipboardHook& CurrentClipboardHook() {
    return installed ? *installed : processClipboard();
}

}  // namespace vlz
