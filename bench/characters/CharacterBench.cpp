#include <benchmark/benchmark.h>

#include "characters/Sprite.h"
#include "notes/core/NoteLayout.h"
#include "platform/MessageBox.h"

namespace vlz {
namespace {

const std::string Package = std::string(VLZ_APP_DIR) + "/Mikan.vlf";

void LoadCharacter(benchmark::State& state) {
    for (auto _ : state) {
        TSprite sprite;
        sprite.LoadFromFile(Package);
        benchmark::DoNotOptimize(sprite.Image.Bits());
    }
}
BENCHMARK(LoadCharacter)->Unit(benchmark::kMicrosecond);

// One tick of a note: the frame over the note's background, as the note window composes it.
void DrawFrame(benchmark::State& state) {
    TSprite sprite;
    sprite.LoadFromFile(Package);
    TBitmap board(CharacterBoxWidth, CharacterBoxHeight, TPixelFormat::pf24bit);
    int frame = 0;
    for (auto _ : state) {
        sprite.DrawFrame(board.Canvas(), 17, 25, frame);
        frame = (frame + 1) % sprite.PatternCount;
        benchmark::DoNotOptimize(board.Bits());
    }
}
BENCHMARK(DrawFrame);

void DrawFrameOpaque(benchmark::State& state) {
    TSprite sprite;
    sprite.LoadFromFile(Package);
    TBitmap board(CharacterBoxWidth, CharacterBoxHeight, TPixelFormat::pf24bit);
    for (auto _ : state) {
        sprite.DrawFrameOpaque(board.Canvas(), 17, 25, 1);
        benchmark::DoNotOptimize(board.Bits());
    }
}
BENCHMARK(DrawFrameOpaque);

}  // namespace
}  // namespace vlz

BENCHMARK_MAIN();
