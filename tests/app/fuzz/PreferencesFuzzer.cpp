// Preferences files of any shape. What is read can be saved, reads back the same (with one more
// start counted), and saving it again changes no byte.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "app/core/Preferences.h"
#include "support/FuzzCheck.h"
#include "support/FuzzFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vlz::testing::TemporaryFolder& folder = vlz::testing::FuzzFolder();
    static const std::string program = folder / "VLZozed";
    static const std::string file = vlz::PreferencesFileName(program);
    using namespace vlz::testing;
    WriteFuzzInput(file, data, size);

    const vlz::TPreferences preferences = vlz::ReadPreferences(program);
    const auto save = [&] { vlz::WritePreferences(program, preferences); };
    const std::string saved = SavedBytes(file, save);
    vlz::TPreferences reread = vlz::ReadPreferences(program);
    FuzzCheck(reread.BootCount == preferences.BootCount + 1 ||
              (reread.BootCount == preferences.BootCount &&
               preferences.BootCount == std::numeric_limits<std::int32_t>::max()));
    reread.BootCount = preferences.BootCount;
    FuzzCheck(reread == preferences);
    FuzzCheck(SavedBytes(file, save) == saved);
    return 0;
}
