#include "platform/ExecutablePath.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/Exception.h"

namespace vlz {
namespace {

// Where the file name starts: after the last '/', or at 0.
std::size_t FileNameStart(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Where the extension starts, or path.size() when the name has none.
std::size_t ExtensionStart(std::string_view path) {
    std::size_t nameStart = FileNameStart(path);
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart) {
        return path.size();
    }
    return dot;
}

}  // namespace

std::string ExecutablePath() {
    // readlink does not say whether it truncated, so grow the buffer until the link fits.
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            throw Exception(std::string("cannot determine the executable's path: ") +
                            std::strerror(errno));
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableFolder() {
    return ExtractFilePath(ExecutablePath());
}

std::string ExtractFileName(std::string_view path) {
    return std::string(path.substr(FileNameStart(path)));
}

std::string ExtractFilePath(std::string_view path) {
    return std::string(path.substr(0, FileNameStart(path)));
}

std::string ExtractFileExt(std::string_view path) {
    return std::string(path.substr(ExtensionStart(path)));
}

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
    std::string result(path.substr(0, ExtensionStart(path)));
    result += extension;
    return result;
}

}  // namespace vlz
