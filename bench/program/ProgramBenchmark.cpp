// Start-up with 200 stored notes until every note is on screen, and one animation tick of one
// note (with a count of the heap allocations it makes). Runs on the offscreen platform.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "app/Main.h"
#include "app/core/NoteFile.h"
#include "app/core/Preferences.h"
#include "notes/Zozed.h"
#include "platform/MessageBox.h"
#include "support/QtApplication.h"
#include "support/TemporaryFolder.h"

namespace {

std::atomic<long> Allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace vlz {
namespace {

class SilentBoxes : public MessageBoxHook {
  public:
    int Show(std::string_view, std::string_view, unsigned flags, MessageBoxOwner) override {
        return DefaultAnswer(flags);
    }
};

// A program folder with the bundled characters and `count` stored notes.
std::filesystem::path MakeFolder(const testing::TemporaryFolder& folder, int count) {
    const std::filesystem::path app = std::filesystem::path(VLZ_BINARY_DIR) / "app";
    for (const auto& entry : std::filesystem::directory_iterator(app)) {
        if (entry.path().extension() == ".vlf") {
            std::filesystem::copy_file(entry.path(), folder.Path() / entry.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
    const std::string executable = folder / "VLZozed";
    std::vector<TNote> notes(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
        TNote& note = notes[static_cast<std::size_t>(index)];
        note.Memo = "メモ " + std::to_string(index) + "\r\n二行目のテキスト";
        note.WindowLeft = (index % 10) * 60;
        note.WindowTop = (index / 10) * 30;
        note.Character = index % 2 ? "Tobble" : "Kerro";
    }
    WriteNotes(executable, notes);
    TPreferences preferences;
    preferences.BootCount = 10;
    WritePreferences(executable, preferences);
    return executable;
}

void BM_StartUpWith200Notes(benchmark::State& state) {
    testing::TestApplication();
    SilentBoxes boxes;
    MessageBoxHook* previous = InstallMessageBoxHook(&boxes);
    testing::TemporaryFolder folder;
    const std::string executable = MakeFolder(folder, 200);
    for (auto _ : state) {
        TMainForm main(executable);
        main.RunCreate();
        main.LoadAll();
        QCoreApplication::processEvents();  // every note mapped and painted once
        benchmark::DoNotOptimize(main.Notes().size());
    }
    InstallMessageBoxHook(previous);
}
BENCHMARK(BM_StartUpWith200Notes)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AnimationTick(benchmark::State& state) {
    testing::TestApplication();
    SilentBoxes boxes;
    MessageBoxHook* previous = InstallMessageBoxHook(&boxes);
    testing::TemporaryFolder folder;
    const std::string executable = MakeFolder(folder, 1);
    TMainForm main(executable);
    main.RunCreate();
    main.LoadAll();
    TZozedForm* note = main.Notes().front();
    note->Hide();  // the composition and the copy to the paint box, without Qt's painting
    note->TimerTimer();
    const long before = Allocations.load();
    for (auto _ : state) {
        note->TimerTimer();
    }
    state.counters["allocations_per_tick"] =
        static_cast<double>(Allocations.load() - before) / static_cast<double>(state.iterations());
    InstallMessageBoxHook(previous);
}
BENCHMARK(BM_AnimationTick)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vlz

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
