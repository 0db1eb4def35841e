#pragma once
// A private-profile file: an INI document bound to its path. Nothing is read at opening; the first
// access reads the file (a missing file is an empty document). Changes stay in memory until
// Commit, which writes them in one step (see FileReplace.h): a save is one transaction, and a
// save that fails leaves the old file whole.

#include <optional>
#include <string>
#include <string_view>

#include "platform/Exception.h"
#include "platform/IniDocument.h"

namespace vlz {

// "%s に書き込めません": a key or section that cannot be written, or a commit that failed.
class EIniFileException : public Exception {
  public:
    explicit EIniFileException(const std::string& fileName)
        : Exception(fileName + " に書き込めません") {}
};

class TPrivateProfile {
  public:
    explicit TPrivateProfile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    // The document as the file holds it (read on first use). A file that exists but cannot be read
    // reads as empty, and then refuses every commit, so that it is never overwritten unseen.
    const TIniDocument& Document();

    // Changes; a name or value that cannot stand in the file raises EIniFileException.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);
    void EraseSection(std::string_view section);

    // Writes the changes made since the last commit, when they change the file's bytes. Raises
    // EIniFileException when the file cannot be written; the old file is then untouched.
    void Commit();

  private:
    void Load();

    std::string fileName_;
    bool loaded_ = false;
    bool unreadable_ = false;
    std::optional<std::string> stored_;  // the bytes as last read or written
    TIniDocument document_;
};

}  // namespace vlz
