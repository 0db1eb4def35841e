// vlfpack: character packages from the command line.
//
//   vlfpack create OUT.vlf FILE...     entries named after the files, in the order given
//   vlfpack list PKG                   index, name, offset and size of every entry
//   vlfpack extract PKG NAME [OUT]     one entry's bytes (OUT "-" is standard output)
//   vlfpack check PKG                  loads the package as the program does
//
// NAME is found without regard to letter case; without OUT the entry keeps its stored name.
// Names on the command line and on the terminal are UTF-8; in the package they are CP932.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>

#include "CheckPackage.h"
#include "characters/PackageFile2.h"
#include "characters/PackageWriter.h"
#include "platform/Cp932.h"
#include "platform/Cp932Case.h"
#include "platform/ScopeGuard.h"
#include "platform/Stream.h"

namespace vlz {
namespace {

class EUsage : public Exception {
  public:
    using Exception::Exception;
};

// Writes beside the target and renames over it, so that a failure never leaves a damaged file.
void WriteFileSafely(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string temporary = path + ".vlfpack-" + std::to_string(::getpid());
    TScopeFailure removing([&temporary] { std::remove(temporary.c_str()); });
    {
        TFileStream file(temporary, TFileStream::Mode::Create);
        file.WriteBuffer(bytes.data(), bytes.size());
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        throw EWriteError("cannot write " + path);
    }
}

int Create(const std::vector<std::string>& arguments) {
    if (arguments.size() < 2) {
        throw EUsage("create needs an output file and at least one file to pack");
    }
    std::vector<TPackageItem> items;
    std::set<std::string> seen;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string name = std::filesystem::path(arguments[i]).filename().string();
        TPackageItem item{ToCp932(name), ReadWholeFile(arguments[i])};
        // The reader lets the later of two such entries win; a package is clearer without them.
        if (!seen.insert(Cp932UpperCase(item.Name)).second) {
            throw EPackageError("two entries would be named \"" + name + "\"");
        }
        items.push_back(std::move(item));
    }
    WriteFileSafely(arguments[0], BuildPackage(items));
    return 0;
}

// Opens the package as the program does; false (after the reader's warning) when it is not one.
bool OpenPackage(TReadPackageFile& reader, const std::string& path) {
    if (!std::filesystem::is_regular_file(path)) {
        std::cerr << "vlfpack: cannot open " << path << '\n';
        return false;
    }
    reader.OpenFile(path);
    return reader.IsOpen();
}

int List(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        throw EUsage("list needs one package");
    }
    TReadPackageFile reader;
    if (!OpenPackage(reader, arguments[0])) {
        return 1;
    }
    for (std::int32_t i = 0; i < reader.Count(); ++i) {
        TPackageEntry entry = reader.GetEntry(i);
        std::cout << i << '\t' << FromCp932(entry.Name) << '\t' << entry.Offset << '\t'
                  << entry.Size << '\n';
    }
    return 0;
}

int Extract(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2 && arguments.size() != 3) {
        throw EUsage("extract needs a package, an entry name and maybe an output file");
    }
    const std::string& name = arguments[1];
    TReadPackageFile reader;
    if (!OpenPackage(reader, arguments[0])) {
        return 1;
    }
    std::string wanted = FitsCp932(name) ? ToCp932(name) : name;
    std::int32_t index = reader.IndexOf(wanted);
    if (index < 0) {
        std::cerr << "vlfpack: no entry \"" << name << "\" in " << arguments[0] << '\n';
        return 1;
    }
    TPackageEntry entry = reader.GetEntry(index);
    // Without an output file the entry keeps its stored name, which is not trusted as a path:
    // it could climb out of the working folder.
    std::string output = arguments.size() == 3 ? arguments[2] : FromCp932(entry.Name);
    if (arguments.size() == 2 &&
        (output.find('/') != std::string::npos || output == "." || output == "..")) {
        throw EUsage("the entry's name \"" + output +
                     "\" is not a plain file name; give an output file");
    }
    if (!reader.Contains(entry)) {
        std::cerr << "vlfpack: entry \"" << name << "\" lies outside " << arguments[0] << '\n';
        return 1;
    }
    TStream* stream = reader.OpenEntry(wanted);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(entry.Size));
    stream->ReadBuffer(bytes.data(), bytes.size());
    if (output == "-") {
        std::cout.write(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<std::streamsize>(bytes.size()));
    } else {
        WriteFileSafely(output, bytes);
    }
    return 0;
}

int Check(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        throw EUsage("check needs one package");
    }
    return CheckPackage(arguments[0], std::cout) ? 0 : 1;
}

const char Usage[] =
    "usage: vlfpack create OUT.vlf FILE...\n"
    "       vlfpack list PKG\n"
    "       vlfpack extract PKG NAME [OUT|-]\n"
    "       vlfpack check PKG\n";

}  // namespace
}  // namespace vlz

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << vlz::Usage;
        return 2;
    }
    std::string command = argv[1];
    std::vector<std::string> arguments(argv + 2, argv + argc);
    try {
        if (command == "create") {
            return vlz::Create(arguments);
        }
        if (command == "list") {
            return vlz::List(arguments);
        }
        if (command == "extract") {
            return vlz::Extract(arguments);
        }
        if (command == "check") {
            return vlz::Check(arguments);
        }
        std::cerr << "vlfpack: unknown command \"" << command << "\"\n" << vlz::Usage;
        return 2;
    } catch (const vlz::EUsage& error) {
        std::cerr << "vlfpack: " << error.what() << '\n' << vlz::Usage;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "vlfpack: " << error.what() << '\n';
        return 1;
    }
}
