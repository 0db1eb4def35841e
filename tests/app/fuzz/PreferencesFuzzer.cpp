// Preferences files of any shape. What is read can be saved, reads back the same (with one more
// start counted), and saving it again changes no byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>

#include "app/core/Preferences.h"
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
    static const std::string file = vlz::PreferencesFileName(program);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    const vlz::TPreferences preferences = vlz::ReadPreferences(program);
    try {
        vlz::WritePreferences(program, preferences);
    } catch (const std::exception&) {
        std::abort();
    }
    const std::string saved = vlz::ReadFileIfExists(file).value_or("");
    vlz::TPreferences reread = vlz::ReadPreferences(program);
    Check(reread.BootCount == preferences.BootCount + 1 ||
          (reread.BootCount == preferences.BootCount &&
           preferences.BootCount == std::numeric_limits<std::int32_t>::max()));
    reread.BootCount = preferences.BootCount;
    Check(reread == preferences);
    vlz::WritePreferences(program, preferences);
    Check(vlz::ReadFileIfExists(file).value_or("") == saved);
    return 0;
}
