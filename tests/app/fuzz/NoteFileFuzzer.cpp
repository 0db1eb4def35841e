// Note files of any shape. Whatever notes are read from one can be saved (nothing read from a file
// may ever make a save fail), read back as the same notes, and saved again as the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/NoteFile.h"
#include "platform/FileReplace.h"
#include "support/FuzzFolder.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vlz::testing::TemporaryFolder& folder = vlz::testing::FuzzFolder();
    static const std::string program = folder / "VLZozed";
    static const std::string noteFile = folder / "VLZozed.ini";
    std::ofstream(noteFile, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    const std::vector<vlz::TNote> notes = vlz::ReadNotes(program);
    try {
        vlz::WriteNotes(program, notes);
    } catch (const std::exception&) {
        std::abort();
    }
    const std::string saved = vlz::ReadFileIfExists(noteFile).value_or("");
    Check(vlz::ReadNotes(program) == notes);
    vlz::WriteNotes(program, notes);
    Check(vlz::ReadFileIfExists(noteFile).value_or("") == saved);
    return 0;
}
