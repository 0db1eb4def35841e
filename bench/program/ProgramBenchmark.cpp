// Start-up with 200 stored notes until every note is on screen, one animation tick of one note
// (with a count of the heap allocations it makes), and typing into a note whose edits the
// controller tracks for its quick save, beside the same note under a host that tracks nothing.
// Runs on the offscreen platform.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
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
#include "toolkit/Memo.h"

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

// A host that keeps no list and saves nothing: the note window's own cost of a keystroke.
class UntrackedHost : public TNoteHost {
  public:
    TSprite* CharacterAt(int) const override { return nullptr; }
    TNoteActions NoteActions() const override {
        auto* self = const_cast<UntrackedHost*>(this);
        return {&self->Action, &self->Action, &self->Action, &self->Action, &self->Action};
    }
    TZozedPropForm* ZozedPropForm() const override { return nullptr; }
    void RemoveNote(TZozedForm*) override {}
    bool IsNote(const QWidget*) const override { return true; }
    void NoteChanged(TZozedForm*) override {}
    QAction Action{"action"};
};

// 1000 keystrokes, a letter and a backspace in turn, so that the memo keeps its length.
void TypeThousandKeys(benchmark::State& state, TZozedForm& note) {
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    note.Memo->moveCursor(QTextCursor::End);
    for (auto _ : state) {
        for (int key = 0; key < 500; ++key) {
            QCoreApplication::sendEvent(note.Memo, &letter);
            QCoreApplication::sendEvent(note.Memo, &backspace);
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

// Arg 0: the note under a host that tracks nothing (the program before its quick save); arg 1:
// the last of 200 notes under the controller, a quick save pending all along.
void BM_ThousandKeystrokes(benchmark::State& state) {
    testing::TestApplication();
    SilentBoxes boxes;
    MessageBoxHook* previous = InstallMessageBoxHook(&boxes);
    testing::TemporaryFolder folder;
    if (state.range(0) == 0) {
        UntrackedHost host;
        auto note = CreateForm<TZozedForm>(host);
        // The memo and font of the controller's last note below.
        note->Memo->SetText("メモ 199\r\n二行目のテキスト");
        note->Memo->SetFont(DefaultNoteFont());
        note->Show();
        TypeThousandKeys(state, *note);
    } else {
        TMainForm main(MakeFolder(folder, 200));
        main.RunCreate();
        main.LoadAll();
        TZozedForm* note = main.Notes().back();
        note->Memo->InsertTyped(QStringLiteral("x"));
        if (!main.ChangesPending()) {
            state.SkipWithError("no save pending");
        }
        TypeThousandKeys(state, *note);
    }
    InstallMessageBoxHook(previous);
}
BENCHMARK(BM_ThousandKeystrokes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vlz

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
