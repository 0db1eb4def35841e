#include "ToolFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/Exception.h"
#include "platform/ScopeGuard.h"
#include "platform/Stream.h"

namespace vlz {

std::vector<std::uint8_t> ReadInputFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        throw Exception("cannot read " + path + ": " +
                        (std::filesystem::exists(path, error) ? "not a file" : "no such file"));
    }
    try {
        return ReadWholeFile(path);
    } catch (const std::exception& failure) {
        throw Exception("cannot read " + path + ": " + failure.what());
    }
}

void WriteFileSafely(const std::string& path, const std::vector<std::uint8_t>& bytes,
                     const std::function<void(const std::string& temporary)>& verify) {
    // Not named *.vlf, so a program starting meanwhile never takes it for a character.
    std::string temporary = path + ".vlfpack-" + std::to_string(::getpid());
    TScopeFailure removing([&temporary] { std::remove(temporary.c_str()); });
    {
        TFileStream file(temporary, TFileStream::Mode::Create);
        file.WriteBuffer(bytes.data(), bytes.size());
    }
    if (verify) {
        verify(temporary);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        throw EWriteError("cannot write " + path + ": " + std::strerror(errno));
    }
}

void RefuseToReplaceAnInput(const std::string& output, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        std::error_code error;
        if (std::filesystem::equivalent(output, input, error)) {
            throw Exception(output + " is also an input; it is left as it is");
        }
    }
}

void WriteNewFile(const std::string& path, const std::string& bytes) {
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        int reason = errno;
        throw EWriteError(reason == EEXIST ? path + " already exists; it is left as it is"
                                           : "cannot write " + path + ": " + std::strerror(reason));
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            int reason = written < 0 ? errno : ENOSPC;
            ::close(descriptor);
            ::unlink(path.c_str());
            throw EWriteError("cannot write " + path + ": " + std::strerror(reason));
        }
        done += static_cast<std::size_t>(written);
    }
    if (::close(descriptor) != 0) {
        int reason = errno;
        ::unlink(path.c_str());
        throw EWriteError("cannot write " + path + ": " + std::strerror(reason));
    }
}

}  // namespace vlz
