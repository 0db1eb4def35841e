#include "platform/Shell.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "platform/CommandLine.h"
#include "platform/DesktopEntry.h"
#include "platform/MimeAssociations.h"
#include "platform/Process.h"

namespace vlz {
namespace {

DesktopShell desktopShell;
ShellHook* installedHook = &desktopShell;

// Long enough for any opener that hands the address to a running program; an opener that is
// still busy by then has started something in the foreground (a browser from $BROWSER).
constexpr std::chrono::seconds OpenerPatience{5};

constexpr std::string_view OpenCommandSuffix = "\\shell\\open\\command";

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::optional<std::string> OpenCommandOf(const std::string& desktopId) {
    auto file = FindDesktopEntryFile(desktopId);
    if (!file) {
        return std::nullopt;
    }
    auto entry = ReadDesktopEntry(*file);
    if (!entry) {
        return std::nullopt;
    }
    auto words = ExpandExec(*entry, "%1");
    if (!words) {
        return std::nullopt;
    }
    std::string line = JoinCommandLine(*words);
    if (line.empty()) {
        return std::nullopt;
    }
    return line;
}

}  // namespace

std::intptr_t DesktopShell::ShellExecute(std::string_view file, int) {
    if (file.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    ProcessOutcome outcome = RunProcess({"xdg-open", std::string(file)}, OpenerPatience);
    if (!outcome.Started) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (outcome.Exited && outcome.ExitCode != 0) {
        return SE_ERR_NOASSOC;
    }
    return 42;
}

std::optional<std::string> DesktopShell::ReadClassesRootDefault(std::string_view subkey) {
    std::string key = Lower(subkey);
    if (key == ".htm" || key == ".html") {
        return DefaultApplication("text/html");
    }
    if (!EndsWith(key, OpenCommandSuffix) || key.size() == OpenCommandSuffix.size()) {
        return std::nullopt;
    }
    // The class keeps its own spelling: desktop-file ids are case-sensitive file names.
    std::string className(subkey.substr(0, subkey.size() - OpenCommandSuffix.size()));
    if (EndsWith(Lower(className), ".desktop")) {
        return OpenCommandOf(className);
    }
    if (className.find_first_of("\\/") != std::string::npos) {
        return std::nullopt;
    }
    auto handler = DefaultApplication("x-scheme-handler/" + Lower(className));
    if (!handler) {
        return std::nullopt;
    }
    return OpenCommandOf(*handler);
}

unsigned DesktopShell::WinExec(std::string_view commandLine, int) {
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty() || words.front().empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    return StartDetached(words) ? 33 : ERROR_FILE_NOT_FOUND;
}

ShellHook* InstallShellHook(ShellHook* hook) {
    ShellHook* previous = installedHook;
    installedHook = hook ? hook : &desktopShell;
    return previous;
}

ShellHook& Shell() {
    return *installedHook;
}

}  // namespace vlz
