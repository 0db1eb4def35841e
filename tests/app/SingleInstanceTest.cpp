// The single-instance rule with real processes: copies of a probe program that runs the program's
// start-up check and listens like the program.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "app/core/SingleInstance.h"
#include "platform/FileReplace.h"
#include "support/TemporaryFolder.h"

extern char** environ;

namespace vlz {
namespace {

namespace fs = std::filesystem;

// One running probe, with its standard input and output as pipes.
class Probe {
  public:
    explicit Probe(const std::string& path) {
        int input[2], output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "no pipes";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        char* arguments[] = {const_cast<char*>(path.c_str()), nullptr};
        if (::posix_spawn(&pid_, path.c_str(), &actions, nullptr, arguments, environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        input_ = input[1];
        output_ = output[0];
    }
    ~Probe() {
        CloseInput();
        if (pid_ > 0 && Wait(5000) == -1) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0) {
            ::close(output_);
        }
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // The next line the probe reports, or "" when none comes in time.
    std::string ReadLine(int timeoutMilliseconds = 10000) {
        auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
        for (;;) {
            std::size_t newline = buffered_.find('\n');
            if (newline != std::string::npos) {
                std::string line = buffered_.substr(0, newline);
                buffered_.erase(0, newline + 1);
                return line;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            pollfd descriptor{output_, POLLIN, 0};
            if (left <= 0 || ::poll(&descriptor, 1, static_cast<int>(left)) <= 0) {
                return "";
            }
            char chunk[256];
            ssize_t count = ::read(output_, chunk, sizeof chunk);
            if (count <= 0) {
                return "";
            }
            buffered_.append(chunk, static_cast<std::size_t>(count));
        }
    }

    pid_t Pid() const { return pid_; }

    // Ends the probe the way a crash would: no clean-up of its own runs.
    void Kill() {
        ::kill(pid_, SIGKILL);
        Wait();
    }

    void CloseInput() {
        if (input_ >= 0) {
            ::close(input_);
            input_ = -1;
        }
    }

    // The exit status, or -1 when the probe has not ended in time.
    int Wait(int timeoutMilliseconds = 10000) {
        if (status_ >= 0) {
            return status_;
        }
        for (int waited = 0; waited <= timeoutMilliseconds; waited += 10) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return status_;
            }
            ::usleep(10000);
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int status_ = -1;
    std::string buffered_;
};

// Every file of a folder with its content.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] =
            ReadFileIfExists(entry.path().string()).value_or("") +
            std::to_string(fs::last_write_time(entry.path()).time_since_epoch().count());
    }
    return files;
}

// The sockets in a folder.
std::vector<fs::path> SocketsIn(const fs::path& folder) {
    std::vector<fs::path> sockets;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_socket()) {
            sockets.push_back(entry.path());
        }
    }
    return sockets;
}

// The abstract-namespace names of the Unix sockets a process holds (from /proc).
std::vector<std::string> AbstractSocketsOf(pid_t pid) {
    std::set<std::string> inodes;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
        std::error_code error;
        std::string target = fs::read_symlink(entry.path(), error).string();
        if (target.starts_with("socket:[")) {
            inodes.insert(target.substr(8, target.size() - 9));
        }
    }
    // Num RefCount Protocol Flags Type St Inode Path
    std::vector<std::string> names;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string skip, inode, path;
        fields >> skip >> skip >> skip >> skip >> skip >> skip >> inode >> path;
        if (inodes.count(inode) != 0 && path.starts_with("@")) {
            names.push_back(path);
        }
    }
    return names;
}

// Connects to (or, with `bind`, takes) the socket path as the given user, in a child process;
// the errno of the attempt, 0 when it succeeded.
int TrySocketAs(uid_t user, const std::string& path, bool bind) {
    pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(user) != 0 || ::setuid(user) != 0) {
            ::_exit(255);
        }
        int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        int result = bind ? ::bind(descriptor, generic, sizeof address)
                          : ::connect(descriptor, generic, sizeof address);
        ::_exit(result == 0 ? 0 : errno);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SingleInstanceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A private atom table (and with it private socket names) for this test alone.
        runtime_ = std::make_unique<testing::TemporaryFolder>();
        ::chmod(runtime_->Path().c_str(), 0700);
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        previousRuntime_ = previous ? std::optional<std::string>(previous) : std::nullopt;
        ::setenv("XDG_RUNTIME_DIR", runtime_->Path().c_str(), 1);
    }
    void TearDown() override {
        if (previousRuntime_) {
            ::setenv("XDG_RUNTIME_DIR", previousRuntime_->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }

    // A copy of the probe under `name` in a folder of its own (made on first use).
    std::string Install(const std::string& folderName, const std::string& name) {
        fs::path folder = programs_.Path() / folderName;
        fs::create_directories(folder);
        fs::path target = folder / name;
        if (!fs::exists(target)) {
            fs::copy_file(VLZ_PROBE_PATH, target);
        }
        return target.string();
    }

    std::unique_ptr<testing::TemporaryFolder> runtime_;
    std::optional<std::string> previousRuntime_;
    testing::TemporaryFolder programs_;
};

TEST_F(SingleInstanceTest, ASecondStartBringsTheFirstForwardOnceAndTouchesNothing) {
    Probe first(Install("a", "VLZozed"));
    ASSERT_EQ(first.ReadLine(), "running");
    auto before = Snapshot(programs_.Path() / "a");

    Probe second(Install("a", "VLZozed"));
    EXPECT_EQ(second.ReadLine(), "refused");
    EXPECT_EQ(second.ReadLine(), "asked forward 1 times");
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(first.ReadLine(), "activated");
    EXPECT_EQ(Snapshot(programs_.Path() / "a"), before);

    // The same file name in another folder is the same program.
    Probe elsewhere(Install("b", "VLZozed"));
    EXPECT_EQ(elsewhere.ReadLine(), "refused");
    EXPECT_EQ(elsewhere.Wait(), 0);
    EXPECT_FALSE(fs::exists(programs_.Path() / "b" / "VLZozed.ini"));

    first.CloseInput();
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(GlobalFindAtom("VLZozed"), 0);
}

// A connection to the running instance's socket, as a later start makes it.
int ConnectTo(const fs::path& socket) {
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// Whether the other end closes (or resets) the connection within a few seconds.
bool ClosedByPeer(int descriptor) {
    pollfd event{descriptor, POLLIN, 0};
    char byte;
    return ::poll(&event, 1, 5000) == 1 && ::read(descriptor, &byte, 1) <= 0;
}

TEST_F(SingleInstanceTest, RequestsArriveInPiecesAndOverlongOnesAreCutOff) {
    Probe running(Install("a", "VLZozed"));
    ASSERT_EQ(running.ReadLine(), "running");
    const std::vector<fs::path> sockets = SocketsIn(GlobalAtomFolder());
    ASSERT_EQ(sockets.size(), 1u);

    const int split = ConnectTo(sockets.front());
    ASSERT_GE(split, 0);
    ASSERT_EQ(::write(split, "acti", 4), 4);
    ::usleep(50'000);
    ASSERT_EQ(::write(split, "vate\nnoise\nactivate\n", 21), 21);
    EXPECT_EQ(running.ReadLine(), "activated");
    EXPECT_EQ(running.ReadLine(), "activated") << "each request counts once";
    ::close(split);

    const int flood = ConnectTo(sockets.front());
    ASSERT_GE(flood, 0);
    const std::string endless(4096, 'x');
    ASSERT_GT(::write(flood, endless.data(), endless.size()), 0);
    EXPECT_TRUE(ClosedByPeer(flood));
    ::close(flood);

    // The instance still answers the next start.
    Probe second(Install("a", "VLZozed"));
    EXPECT_EQ(second.ReadLine(), "refused");
    EXPECT_EQ(running.ReadLine(), "activated");
    running.CloseInput();
    EXPECT_EQ(running.Wait(), 0);
}

TEST_F(SingleInstanceTest, TakesOverAnAtomLeftByAnInstanceThatDied) {
    ATOM stale = GlobalAddAtom("VLZozed");
    ASSERT_NE(stale, 0);
    Probe probe(Install("a", "VLZozed"));
    EXPECT_EQ(probe.ReadLine(), "running");
    EXPECT_EQ(GlobalFindAtom("VLZozed"), stale);
    probe.CloseInput();
    EXPECT_EQ(probe.Wait(), 0);
    EXPECT_EQ(GlobalFindAtom("VLZozed"), 0);
}

TEST_F(SingleInstanceTest, DifferentFileNamesRunSideBySide) {
    std::string original = Install("a", "VLZozed");
    fs::path linked = programs_.Path() / "a" / "Notes";
    fs::create_hard_link(original, linked);
    Probe first(original);
    Probe second(linked.string());
    EXPECT_EQ(first.ReadLine(), "running");
    EXPECT_EQ(second.ReadLine(), "running");
    EXPECT_NE(GlobalFindAtom("VLZozed"), GlobalFindAtom("Notes"));
}

TEST_F(SingleInstanceTest, OfTwoSimultaneousStartsOnlyOneRuns) {
    std::string path = Install("a", "VLZozed");
    std::vector<std::unique_ptr<Probe>> probes;
    for (int i = 0; i < 4; ++i) {
        probes.push_back(std::make_unique<Probe>(path));
    }
    int running = 0;
    int refused = 0;
    for (auto& probe : probes) {
        std::string line = probe->ReadLine();
        running += line == "running";
        if (line == "refused") {
            ++refused;
            // Whichever way it lost, a refused start asks the running one forward exactly once.
            EXPECT_EQ(probe->ReadLine(), "asked forward 1 times");
        }
    }
    EXPECT_EQ(running, 1);
    EXPECT_EQ(refused, 3);
}

TEST_F(SingleInstanceTest, TheRunningInstanceListensOnlyInTheUsersPrivateFolder) {
    Probe probe(Install("a", "VLZozed"));
    ASSERT_EQ(probe.ReadLine(), "running");
    const fs::path folder = GlobalAtomFolder();
    ASSERT_FALSE(folder.empty());
    struct stat status {};
    ASSERT_EQ(::stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(status.st_uid, ::geteuid());
    EXPECT_EQ(SocketsIn(folder).size(), 1u);
    // The abstract namespace has no permissions: any local user could reach or take a name there.
    EXPECT_EQ(AbstractSocketsOf(probe.Pid()), std::vector<std::string>{});
}

TEST_F(SingleInstanceTest, AnotherUserCanNeitherReachTheInstanceNorTakeItsName) {
    Probe probe(Install("a", "VLZozed"));
    ASSERT_EQ(probe.ReadLine(), "running");
    const fs::path folder = GlobalAtomFolder();
    const std::vector<fs::path> sockets = SocketsIn(folder);
    ASSERT_EQ(sockets.size(), 1u);
    const std::string socket = sockets.front().string();
    if (::geteuid() != 0) {
        // Only root can act as another user here; what keeps others out is the folder's mode.
        struct stat status {};
        ASSERT_EQ(::stat(folder.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0077, 0u);
        return;
    }
    // Let everybody through the runtime folder, so that only the instance's own folder stands
    // in the way.
    ::chmod(runtime_->Path().c_str(), 0711);
    constexpr uid_t Nobody = 65534;
    EXPECT_EQ(TrySocketAs(Nobody, socket, false), EACCES);
    EXPECT_EQ(TrySocketAs(Nobody, socket + "-squatted", true), EACCES);
    EXPECT_EQ(TrySocketAs(::geteuid(), socket, false), 0) << "the user reaches it";
    ::chmod(runtime_->Path().c_str(), 0700);
}

TEST_F(SingleInstanceTest, WhatAKilledInstanceLeftBehindDoesNotStopTheNextStart) {
    Probe crashed(Install("a", "VLZozed"));
    ASSERT_EQ(crashed.ReadLine(), "running");
    crashed.Kill();
    ASSERT_EQ(SocketsIn(GlobalAtomFolder()).size(), 1u) << "the socket file stays after a crash";

    Probe next(Install("a", "VLZozed"));
    EXPECT_EQ(next.ReadLine(), "running");
    Probe second(Install("a", "VLZozed"));
    EXPECT_EQ(second.ReadLine(), "refused");
    EXPECT_EQ(next.ReadLine(), "activated");
    next.CloseInput();
    EXPECT_EQ(next.Wait(), 0);
    EXPECT_EQ(SocketsIn(GlobalAtomFolder()).size(), 0u) << "a clean end removes the socket";
}

}  // namespace
}  // namespace vlz
