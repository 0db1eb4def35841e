// Note files of any shape. Whatever notes are read from one can be saved (nothing read from a file
// may ever make a save fail), read back as the same notes, and saved again as the same bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/NoteFile.h"
#include "support/FuzzCheck.h"
#include "support/FuzzFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vlz::testing::TemporaryFolder& folder = vlz::testing::FuzzFolder();
    static const std::string program = folder / "VLZozed";
    static const std::string noteFile = folder / "VLZozed.ini";
    using namespace vlz::testing;
    WriteFuzzInput(noteFile, data, size);

    const std::vector<vlz::TNote> notes = vlz::ReadNotes(program);
    const auto save = [&] { vlz::WriteNotes(program, notes); };
    const std::string saved = SavedBytes(noteFile, save);
    FuzzCheck(vlz::ReadNotes(program) == notes);
    FuzzCheck(SavedBytes(noteFile, save) == saved);
    return 0;
}
