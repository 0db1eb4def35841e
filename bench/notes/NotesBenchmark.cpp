// Saving and loading a large note file: 3,000 notes with memos of 1,500 CP932 bytes each.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/core/NoteFile.h"
#include "platform/Cp932.h"

namespace vlz {
namespace {

constexpr int NoteCount = 3000;

// 1,500 CP932 bytes: Japanese text and ASCII with line breaks, as people write memos.
std::string LongMemo(int number) {
    const std::string line =
        "今日の予定：会議の資料を表計算ソフトでまとめる。Call back at 15:00.\r\n";
    const std::size_t lineBytes = Cp932Length(line);
    std::string memo = "付箋 " + std::to_string(number) + "\r\n";
    std::size_t bytes = Cp932Length(memo);
    while (bytes + lineBytes <= 1500) {
        memo += line;
        bytes += lineBytes;
    }
    memo.append(1500 - bytes, 'x');
    return memo;
}

std::vector<TNote> ManyNotes() {
    std::vector<TNote> notes(NoteCount);
    for (int i = 0; i < NoteCount; ++i) {
        notes[i].Memo = LongMemo(i);
        notes[i].WindowLeft = i % 1900;
        notes[i].WindowTop = i % 1000;
        notes[i].BGColor = 0x80FFFF;
        notes[i].Character = "Tobble";
    }
    return notes;
}

class NoteFolder {
  public:
    NoteFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vlz-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::abort();
        }
        path_ = pattern;
    }
    ~NoteFolder() { std::filesystem::remove_all(path_); }
    std::string Base() const { return (path_ / "VLZozed").string(); }

  private:
    std::filesystem::path path_;
};

void BM_WriteNotes(benchmark::State& state) {
    NoteFolder folder;
    std::vector<TNote> notes = ManyNotes();
    int round = 0;
    for (auto _ : state) {
        // A different position each round, so that every save really writes.
        notes[0].WindowLeft = ++round;
        WriteNotes(folder.Base(), notes);
    }
}
BENCHMARK(BM_WriteNotes)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ReadNotes(benchmark::State& state) {
    NoteFolder folder;
    WriteNotes(folder.Base(), ManyNotes());
    for (auto _ : state) {
        std::vector<TNote> notes = ReadNotes(folder.Base());
        benchmark::DoNotOptimize(notes.data());
    }
}
BENCHMARK(BM_ReadNotes)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace vlz

BENCHMARK_MAIN();
