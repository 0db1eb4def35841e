#pragma once
// Files as vlfpack reads and writes them: a failed command never leaves a damaged or
// half-written file behind, and never replaces a file it was not asked to replace.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vlz {

// The whole content of a regular file; raises Exception "cannot read PATH: reason" otherwise.
std::vector<std::uint8_t> ReadInputFile(const std::string& path);

// Writes the bytes under a temporary name beside `path`, lets `verify` look at that file (it
// raises to refuse it), then renames it over `path`. Whatever fails, `path` keeps its old content
// and the temporary file is gone.
void WriteFileSafely(const std::string& path, const std::vector<std::uint8_t>& bytes,
                     const std::function<void(const std::string& temporary)>& verify = {});

// Raises Exception when `output` names the same file as one of `inputs`: a slip of the command
// line must not put the result over a file the author still needs.
void RefuseToReplaceAnInput(const std::string& output, const std::vector<std::string>& inputs);

// Makes a new file; raises Exception when `path` exists already (of whatever kind) or the bytes
// cannot all be written, and then leaves nothing behind.
void WriteNewFile(const std::string& path, const std::string& bytes);

}  // namespace vlz
