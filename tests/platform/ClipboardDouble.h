#pragma once
// A clipboard for tests: records how often it is opened and closed, and can be held by "another
// program" so that opening fails. Install it with InstallClipboardHook for the length of a test.

#include <map>
#include <optional>

#include "platform/ClipboardHook.h"

namespace vlz::test {

class ClipboardDouble final : public ClipboardHook {
  public:
    bool Held = false;
    int Opens = 0;
    int Closes = 0;
    std::map<TClipboardFormat, TClipboardData> Formats;

    bool Open() override {
        if (Held) {
            return false;
        }
        ++Opens;
        return true;
    }
    void Close() override { ++Closes; }
    void Clear() override { Formats.clear(); }
    bool HasFormat(TClipboardFormat format) override { return Formats.count(format) != 0; }
    std::optional<TClipboardData> GetData(TClipboardFormat format) override {
        auto found = Formats.find(format);
        return found == Formats.end() ? std::nullopt : std::optional(found->second);
    }
    bool SetData(TClipboardFormat format, TClipboardData data) override {
        Formats[format] = std::move(data);
        return true;
    }
};

// Installs a double for the length of a scope.
class ScopedClipboardDouble {
  public:
    ScopedClipboardDouble() : previous_(InstallClipboardHook(&Clipboard)) {}
    ~ScopedClipboardDouble() { InstallClipboardHook(previous_); }
    ScopedClipboardDouble(const ScopedClipboardDouble&) = delete;
    ScopedClipboardDouble& operator=(const ScopedClipboardDouble&) = delete;

    ClipboardDouble Clipboard;

  private:
    ClipboardHook* previous_;
};

}  // namespace vlz::test
