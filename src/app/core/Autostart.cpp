#include "app/core/Autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "app/core/FileLocations.h"
#include "platform/DesktopEntry.h"
#include "platform/Exception.h"
#include "platform/ExecutablePath.h"
#include "platform/FileReplace.h"

namespace vlz {
namespace {

// Whether the bytes are well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF): a
// desktop entry is UTF-8 text, so a path that is not cannot be written into one.
bool IsUtf8(std::string_view text) {
    std::size_t index = 0;
    while (index < text.size()) {
        auto lead = static_cast<unsigned char>(text[index]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : 4;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || index + length > text.size()) {
            return false;
        }
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t next = 1; next < length; ++next) {
            auto trail = static_cast<unsigned char>(text[index + next]);
            if ((trail & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (trail & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
            return false;
        }
        index += length;
    }
    return true;
}

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

}  // namespace

std::string QuoteExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char character : argument) {
        if (character == '"' || character == '`' || character == '$' || character == '\\') {
            quoted += '\\';
        }
        quoted += character;
    }
    quoted += '"';
    // The string escapes apply before the quoting is read, so they are added last.
    std::string value;
    for (char character : quoted) {
        switch (character) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            case '%':
                value += "%%";
                break;
            default:
                value += character;
                break;
        }
    }
    return value;
}

TAutostartEntry::TAutostartEntry(std::string entryPath, std::string executablePath)
    : entryPath_(std::move(entryPath)), executablePath_(std::move(executablePath)) {}

bool TAutostartEntry::Enabled() const {
    if (!Available() || !Exists(entryPath_)) {
        return false;
    }
    bool switchedOff = false;
    ForEachKeyFileEntry(entryPath_, "Desktop Entry",
                        [&](std::string_view key, std::string_view value) {
                            if ((key == "Hidden" && value == "true") ||
                                (key == "X-GNOME-Autostart-enabled" && value == "false")) {
                                switchedOff = true;
                            }
                        });
    return !switchedOff;
}

bool TAutostartEntry::StartsThisExecutable() const {
    std::optional<DesktopEntry> entry = ReadDesktopEntry(entryPath_);
    if (!entry) {
        return false;
    }
    std::optional<std::vector<std::string>> command = ExpandExec(*entry, "");
    return command && command->front() == executablePath_;
}

std::string TAutostartEntry::EntryText() const {
    if (!IsUtf8(executablePath_)) {
        throw Exception("プログラムのパスが UTF-8 ではないため、自動起動に登録できません: " +
                        executablePath_);
    }
    std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Version=1.4\n"
        "Name=Velloric付箋\n"
        "Comment=Sticky notes with animated characters\n"
        "Comment[ja]=キャラクターが動く付箋\n";
    text += "Exec=" + QuoteExecArgument(executablePath_) + "\n";
    text += std::string("Icon=") + ApplicationId + "\n";
    text +=
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    return text;
}

void TAutostartEntry::Enable(bool enabled) const {
    if (!Available()) {
        return;
    }
    if (!enabled) {
        if (::unlink(entryPath_.c_str()) != 0 && errno != ENOENT) {
            throw Exception(entryPath_ + " を削除できません");
        }
        return;
    }
    if (Enabled() && StartsThisExecutable()) {
        return;
    }
    std::string text = EntryText();
    if (!MakeUserFolder(ExtractFilePath(entryPath_))) {
        throw Exception(entryPath_ + " に書き込めません");
    }
    try {
        ReplaceFile(entryPath_, text);
    } catch (const EStreamError&) {
        throw Exception(entryPath_ + " に書き込めません");
    }
}

}  // namespace vlz
