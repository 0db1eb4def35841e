#include "platform/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/OwnEnvironment.h"

namespace vlz {
namespace {

// Spawns the program in a session of its own with /dev/null as standard input; 0 when it could
// not be started. glibc reports a failed exec from posix_spawnp itself.
pid_t Spawn(const std::vector<std::string>& words) {
    if (words.empty() || words.front().empty()) {
        return 0;
    }
    std::vector<char*> arguments;
    arguments.reserve(words.size() + 1);
    for (const std::string& word : words) {
        arguments.push_back(const_cast<char*>(word.c_str()));
    }
    arguments.push_back(nullptr);
    // The program's own settings for the libraries it runs on are not the started program's.
    std::vector<std::string> environment = ChildEnvironment();
    std::vector<char*> variables;
    variables.reserve(environment.size() + 1);
    for (std::string& variable : environment) {
        variables.push_back(variable.data());
    }
    variables.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);

    pid_t process = 0;
    int error = posix_spawnp(&process, arguments.front(), &actions, &attributes, arguments.data(),
                             variables.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? process : 0;
}

// A started program is our child until it ends; someone has to collect its exit status, or it
// stays behind as a zombie for as long as we run.
void ReapWhenDone(pid_t process) {
    std::thread([process] {
        int status = 0;
        while (waitpid(process, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

}  // namespace

bool StartDetached(const std::vector<std::string>& words) {
    pid_t process = Spawn(words);
    if (process == 0) {
        return false;
    }
    ReapWhenDone(process);
    return true;
}

ProcessOutcome RunProcess(const std::vector<std::string>& words,
                          std::chrono::milliseconds patience) {
    ProcessOutcome outcome;
    pid_t process = Spawn(words);
    if (process == 0) {
        return outcome;
    }
    outcome.Started = true;

    auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        int status = 0;
        pid_t ended = waitpid(process, &status, WNOHANG);
        if (ended == process) {
            outcome.Exited = true;
            outcome.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return outcome;
        }
        if (ended < 0 && errno != EINTR) {
            // Someone else collected it; its outcome is unknown.
            return outcome;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ReapWhenDone(process);
            return outcome;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

}  // namespace vlz
