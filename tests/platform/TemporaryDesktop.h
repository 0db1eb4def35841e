#pragma once
// A desktop of its own for tests that start real programs: private XDG folders, and a bin folder
// first on PATH holding stub programs that write their arguments, one per line, to a record file.
// The previous environment comes back when the desktop goes.

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/TemporaryFolder.h"

namespace vlz::testing {

class TemporaryDesktop {
    TemporaryFolder FFolder;  // first: everything else lives in it

  public:
    TemporaryDesktop() {
        for (const char* folder : {"bin", "home", "config", "etc", "data/applications",
                                   "share/applications", "records"}) {
            std::filesystem::create_directories(Root / folder);
        }
        Set("HOME", Root / "home");
        Set("XDG_CONFIG_HOME", Root / "config");
        Set("XDG_CONFIG_DIRS", Root / "etc");
        Set("XDG_DATA_HOME", Root / "data");
        Set("XDG_DATA_DIRS", Root / "share");
        Set("XDG_CURRENT_DESKTOP", "");
        Set("BROWSER", "");
        // Only the tools the stubs use, so that a desktop opener installed on this machine
        // (/usr/bin/xdg-open) never stands in for the stubs.
        std::filesystem::create_directories(Root / "system");
        for (const char* tool : {"touch", "mv", "cat", "sleep"}) {
            for (const char* folder : {"/usr/bin/", "/bin/"}) {
                std::filesystem::path target = std::string(folder) + tool;
                if (std::filesystem::exists(target)) {
                    std::filesystem::create_symlink(target, Root / "system" / tool);
                    break;
                }
            }
        }
        Set("PATH", (Root / "bin").string() + ":" + (Root / "system").string());
    }

    ~TemporaryDesktop() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }

    TemporaryDesktop(const TemporaryDesktop&) = delete;
    TemporaryDesktop& operator=(const TemporaryDesktop&) = delete;

    void Set(const std::string& name, const std::filesystem::path& value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        setenv(name.c_str(), value.c_str(), 1);
    }

    // A stub program that records its arguments under records/<name> and exits with exitCode.
    std::filesystem::path Stub(const std::filesystem::path& path, int exitCode = 0) {
        std::filesystem::path record = Root / "records" / path.filename();
        std::filesystem::create_directories(path.parent_path());
        std::ofstream script(path);
        script << "#!/bin/sh\n"
               << "for word in \"$@\"; do printf '%s\\n' \"$word\" >> '" << record.string()
               << ".part'; done\n"
               << "touch '" << record.string() << ".part'\n"
               << "mv '" << record.string() << ".part' '" << record.string() << "'\n"
               << "exit " << exitCode << "\n";
        script.close();
        chmod(path.c_str(), 0755);
        return path;
    }

    std::filesystem::path BinStub(const std::string& name, int exitCode = 0) {
        return Stub(Root / "bin" / name, exitCode);
    }

    void Write(const std::filesystem::path& relative, const std::string& text) {
        std::filesystem::create_directories((Root / relative).parent_path());
        std::ofstream(Root / relative) << text;
    }

    // An application entry in the user's applications folder.
    void Application(const std::string& id, const std::string& exec) {
        Write("data/applications/" + id,
              "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + exec + "\n");
    }

    // The arguments a stub received, waiting for a detached one to finish; nothing if it never ran.
    std::optional<std::vector<std::string>> Record(
        const std::string& stubName,
        std::chrono::milliseconds wait = std::chrono::seconds(10)) const {
        std::filesystem::path record = Root / "records" / stubName;
        auto deadline = std::chrono::steady_clock::now() + wait;
        while (!std::filesystem::exists(record)) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream file(record);
        std::vector<std::string> words;
        for (std::string line; std::getline(file, line);) {
            words.push_back(line);
        }
        return words;
    }

    const std::filesystem::path Root = FFolder.Path();

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace vlz::testing
