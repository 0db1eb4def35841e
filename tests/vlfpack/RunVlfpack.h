#pragma once
// Runs the vlfpack program as an author does, in a given folder, and collects what it says.

#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vlz::testing {

struct VlfpackResult {
    int Status = -1;  // the exit status; -1 when it did not end normally
    std::string Out;
    std::string Err;
};

inline std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// `captures` is a folder for the two output files, outside the folder the program runs in.
inline VlfpackResult RunVlfpack(const std::vector<std::string>& arguments,
                                const std::string& folder, const std::string& captures) {
    const std::string out = captures + "/stdout";
    const std::string err = captures + "/stderr";
    std::vector<std::string> words{VLFPACK};
    words.insert(words.end(), arguments.begin(), arguments.end());
    pid_t child = ::fork();
    if (child == 0) {
        int outFile = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int errFile = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outFile < 0 || errFile < 0 || ::chdir(folder.c_str()) != 0 || ::dup2(outFile, 1) < 0 ||
            ::dup2(errFile, 2) < 0) {
            ::_exit(126);
        }
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    VlfpackResult result;
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        result.Status = WEXITSTATUS(status);
    }
    result.Out = ReadWhole(out);
    result.Err = ReadWhole(err);
    return result;
}

}  // namespace vlz::testing
