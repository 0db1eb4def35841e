#pragma once
// Whole-file writes that never leave a damaged file behind: the new content goes to a temporary
// file in the same folder, is flushed to the disk and then renamed over the old file, so that a
// failure or a crash at any moment leaves either the old file or the new one, whole.

#include <optional>
#include <string>
#include <string_view>

namespace vlz {

// The whole file, or nullopt when it does not exist. Raises EFOpenError or EReadError when it
// exists but cannot be read.
std::optional<std::string> ReadFileIfExists(const std::string& path);

// Replaces the file's content in one step. An existing file keeps its permission bits; a new one
// gets 0666 less the umask. A symbolic link is followed, so the file it names is replaced. Raises
// EWriteError with the system's reason when anything fails; the old file is then untouched.
void ReplaceFile(const std::string& path, std::string_view bytes);

// Copies `existing` over `target` in the same way (CopyFileA with fail-if-exists = false when
// `failIfExists` is false); the copy takes the permission bits of the source. Returns false, and
// leaves the target as it was, when the source is missing or anything fails.
bool CopyFile(const std::string& existing, const std::string& target, bool failIfExists);

}  // namespace vlz
