#include "platform/MemoryAdvice.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace vlz {
namespace {

long ResidentFileKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("RssFile:", 0) == 0) {
            return std::strtol(line.c_str() + 8, nullptr, 10);
        }
    }
    return -1;
}

// A page-sized file of 'f' bytes, mapped twice: once read-only, once privately and written over
// with 'w' before being made read-only again, as the loader does with relocated data.
class MappedFile {
  public:
    MappedFile() {
        std::strcpy(path_, "/tmp/vlz-memory-advice-XXXXXX");
        descriptor_ = mkstemp(path_);
        size_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::string bytes(size_, 'f');
        if (descriptor_ < 0 || write(descriptor_, bytes.data(), size_) != ssize_t(size_)) {
            return;
        }
        readOnly_ =
            static_cast<char*>(mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, descriptor_, 0));
        copied_ = static_cast<char*>(
            mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE, descriptor_, 0));
        if (readOnly_ == MAP_FAILED || copied_ == MAP_FAILED) {
            return;
        }
        std::memset(copied_, 'w', size_);
        mprotect(copied_, size_, PROT_READ);
        ready_ = true;
    }
    ~MappedFile() {
        if (readOnly_ != nullptr && readOnly_ != MAP_FAILED) {
            munmap(readOnly_, size_);
        }
        if (copied_ != nullptr && copied_ != MAP_FAILED) {
            munmap(copied_, size_);
        }
        if (descriptor_ >= 0) {
            close(descriptor_);
            unlink(path_);
        }
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool ready() const { return ready_; }
    std::string readOnly() const { return {readOnly_, size_}; }
    std::string copied() const { return {copied_, size_}; }
    std::size_t size() const { return size_; }

  private:
    char path_[64] = {};
    int descriptor_ = -1;
    std::size_t size_ = 0;
    char* readOnly_ = nullptr;
    char* copied_ = nullptr;
    bool ready_ = false;
};

const char* const Words[] = {"one", "two", "three"};

TEST(MemoryAdviceTest, ReleasingFilePagesKeepsPrivateCopiesAndTheFilesBytes) {
    MappedFile file;
    ASSERT_TRUE(file.ready());
    ASSERT_EQ(file.copied(), std::string(file.size(), 'w'));
    ASSERT_EQ(file.readOnly(), std::string(file.size(), 'f'));
    const long before = ResidentFileKilobytes();

    ReleaseFilePages();

    const long after = ResidentFileKilobytes();
    EXPECT_LT(after, before) << "mapped pages of the program and its libraries stay resident";
    // Dropping the written copy would bring the file's bytes back in its place.
    EXPECT_EQ(file.copied(), std::string(file.size(), 'w'));
    EXPECT_EQ(file.readOnly(), std::string(file.size(), 'f'));
    // Relocated read-only data (the pointers of this table) and code map back in as they were.
    volatile int index = 2;
    EXPECT_STREQ(Words[index], "three");
    EXPECT_EQ(std::string(Words[0]) + Words[1], "onetwo");
}

}  // namespace
}  // namespace vlz
