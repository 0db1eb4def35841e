#pragma once
// A shell that answers class lookups from a table and records what it was asked to open or start.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace vlz::testing {

class RecordingShell : public ShellHook {
  public:
    RecordingShell() { previous_ = InstallShellHook(this); }
    ~RecordingShell() override { InstallShellHook(previous_); }

    std::intptr_t ShellExecute(std::string_view file, int showCommand) override {
        Opened.emplace_back(file);
        ShowCommands.push_back(showCommand);
        return ShellResult;
    }
    std::optional<std::string> ReadClassesRootDefault(std::string_view subkey) override {
        Asked.emplace_back(subkey);
        auto found = Registry.find(std::string(subkey));
        if (found == Registry.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    unsigned WinExec(std::string_view commandLine, int showCommand) override {
        Started.emplace_back(commandLine);
        ShowCommands.push_back(showCommand);
        return 33;
    }

    std::intptr_t ShellResult = 42;
    std::map<std::string, std::string> Registry;
    std::vector<std::string> Opened, Asked, Started;
    std::vector<int> ShowCommands;

  private:
    ShellHook* previous_ = nullptr;
};

}  // namespace vlz::testing
