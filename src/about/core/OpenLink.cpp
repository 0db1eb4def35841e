#include "about/core/OpenLink.h"

#include "platform/Cp932.h"
#include "platform/Shell.h"

namespace vlz {
namespace {

constexpr std::size_t RegistryBufferSize = 260;

// The registry holds ANSI (CP932) text; text that CP932 cannot hold is measured as it is.
std::size_t RegistryLength(std::string_view value) {
    return FitsCp932(value) ? Cp932Length(value) : value.size();
}

void StartWithTarget(const std::string& command, std::string_view target, int showCommand) {
    std::string line = RemovePlaceholder(command);
    line += ' ';
    line += target;
    Shell().WinExec(line, showCommand);
}

}  // namespace

std::string RemovePlaceholder(std::string command) {
    auto removeWithPrevious = [&command](std::size_t position, std::size_t length) {
        // With nothing before the placeholder there is no separating character to take along.
        if (position == 0) {
            command.erase(0, length);
        } else {
            command.erase(position - 1, length + 1);
        }
    };
    if (std::size_t quoted = command.find("\"%1\""); quoted != std::string::npos) {
        removeWithPrevious(quoted, 4);
    } else if (std::size_t bare = command.find("%1"); bare != std::string::npos) {
        removeWithPrevious(bare, 2);
    }
    return command;
}

bool ReadRegistryDefault(std::string_view subkey, std::string& value) {
    auto stored = Shell().ReadClassesRootDefault(subkey);
    if (!stored) {
        return false;
    }
    std::string text = stored->substr(0, stored->find('\0'));
    if (RegistryLength(text) >= RegistryBufferSize) {
        return false;
    }
    value = std::move(text);
    return true;
}

void OpenLink(std::string_view target, int showCommand) {
    // Only the lower-case scheme counts as a web address; any other text is a mail target.
    if (target.substr(0, 7) == "http://") {
        if (Shell().ShellExecute(target, showCommand) > ShellExecuteSuccessAbove) {
            return;
        }
        std::string className;
        if (!ReadRegistryDefault(".htm", className)) {
            return;
        }
        std::string command;
        if (!ReadRegistryDefault(className + "\\shell\\open\\command", command)) {
            return;
        }
        StartWithTarget(command, target, showCommand);
        return;
    }

    std::string address(target);
    if (address.find("mailto:") == std::string::npos && address.find('@') != std::string::npos) {
        address.insert(0, "mailto:");
    }
    std::string command;
    if (!ReadRegistryDefault("mailto\\shell\\open\\command", command)) {
        return;
    }
    StartWithTarget(command, address, showCommand);
}

}  // namespace vlz
