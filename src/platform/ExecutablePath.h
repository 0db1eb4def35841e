#pragma once
// The running executable's own path, and the file-name helpers that derive the program's files from
// it (the note file "<exe>.ini", the preferences file "<exe>_pref.ini", the single-instance
// marker). Paths are plain byte strings, as the file system gives them.

#include <string>
#include <string_view>

namespace vlz {

// The absolute path of the running executable (from /proc/self/exe). Raises Exception when the
// system cannot tell it.
std::string ExecutablePath();

// The folder of the running executable, with a trailing '/'.
std::string ExecutableFolder();

// The part after the last '/' ("VLZozed" for "/opt/notes/VLZozed").
std::string ExtractFileName(std::string_view path);

// The part up to and including the last '/' (empty when there is none).
std::string ExtractFilePath(std::string_view path);

// The extension of the file name, with its dot ("" when the name has none). A leading dot of the
// name ("/home/u/.notes") does not start an extension.
std::string ExtractFileExt(std::string_view path);

// The path with the extension of its file name replaced by `extension` (which carries its own
// dot, or is empty to drop the extension); a name without extension gets `extension` appended.
std::string ChangeFileExt(std::string_view path, std::string_view extension);

// The path with the extension of its file name removed.
inline std::string RemoveFileExt(std::string_view path) {
    return ChangeFileExt(path, "");
}

}  // namespace vlz
