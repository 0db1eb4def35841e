#include "app/core/FileSearch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/FindFile.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

namespace fs = std::filesystem;

class FileSearchTest : public ::testing::Test {
  protected:
    void Touch(const std::string& name) { std::ofstream(folder_ / name) << "x"; }
    std::string Pattern(const std::string& wildcard) const { return (folder_ / wildcard).string(); }
    std::vector<std::string> Search(const std::string& wildcard, unsigned mask) const {
        std::vector<std::string> names;
        SearchFiles(Pattern(wildcard), mask, names);
        return names;
    }
    static std::vector<std::string> Sorted(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    }
    testing::TemporaryFolder temporary_;
    const fs::path folder_ = temporary_.Path();
};

TEST_F(FileSearchTest, KeepsTheFileSystemOrderAndAppends) {
    for (const char* name : {"c.vlf", "a.vlf", "b.vlf", "m.vlf", "z.vlf", "k.vlf"}) {
        Touch(name);
    }
    std::vector<std::string> names{"already"};
    SearchFiles(Pattern("*.vlf"), faAnyFile, names);
    std::vector<std::string> expected{"already"};
    for (const std::string& name : temporary_.ListedNames()) {
        expected.push_back(name);
    }
    EXPECT_EQ(names, expected);
}

TEST_F(FileSearchTest, MatchesWildcardsWithoutRegardToCase) {
    for (const char* name : {"Tobble.VLF", "kerro.vlf", "x.vlfx", "vlf", "ab.vlf.bak", "a.txt"}) {
        Touch(name);
    }
    EXPECT_EQ(Sorted(Search("*.vlf", faAnyFile)),
              (std::vector<std::string>{"Tobble.VLF", "kerro.vlf"}));
    EXPECT_EQ(Sorted(Search("?.*", faAnyFile)), (std::vector<std::string>{"a.txt", "x.vlfx"}));
    EXPECT_EQ(Search("nothing*.vlf", faAnyFile), std::vector<std::string>{});

    EXPECT_TRUE(MatchesWildcard("*a*b*", "xxaxxbxx"));
    EXPECT_TRUE(MatchesWildcard("**", ""));
    EXPECT_FALSE(MatchesWildcard("*a*b", "ba"));
    EXPECT_FALSE(MatchesWildcard("?", ""));
}

TEST_F(FileSearchTest, MaskSkipsHiddenEntriesAndFoldersOnlyWhenAsked) {
    Touch("plain.vlf");
    Touch(".hidden.vlf");
    fs::create_directory(folder_ / "folder.vlf");
    fs::create_directory(folder_ / "sub");
    Touch("sub/inner.vlf");
    Touch("locked.vlf");
    ::chmod((folder_ / "locked.vlf").c_str(), 0444);

    EXPECT_EQ(Sorted(Search("*.vlf", faAnyFile)),
              (std::vector<std::string>{".hidden.vlf", "folder.vlf", "locked.vlf", "plain.vlf"}));
    EXPECT_EQ(Sorted(Search("*.vlf", 0)), (std::vector<std::string>{"locked.vlf", "plain.vlf"}));
    EXPECT_EQ(Sorted(Search("*.vlf", faDirectory)),
              (std::vector<std::string>{"folder.vlf", "locked.vlf", "plain.vlf"}));

    TFindFile find;
    TFindData data;
    std::map<std::string, unsigned> attributes;
    for (bool found = find.First(Pattern("*"), data); found; found = find.Next(data)) {
        attributes[data.Name] = data.Attributes;
    }
    EXPECT_EQ(attributes.count("."), 0u);
    EXPECT_EQ(attributes["plain.vlf"], faArchive);
    EXPECT_EQ(attributes[".hidden.vlf"], faArchive | faHidden);
    EXPECT_EQ(attributes["folder.vlf"], faDirectory);
    EXPECT_EQ(attributes["locked.vlf"], faArchive | faReadOnly);
}

TEST_F(FileSearchTest, MissingFolderLeavesTheListUnchanged) {
    std::vector<std::string> names{"kept"};
    SearchFiles(Pattern("nowhere/*.vlf"), faAnyFile, names);
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
}

}  // namespace
}  // namespace vlz
