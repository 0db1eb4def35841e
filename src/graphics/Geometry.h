#pragma once
// Points and rectangles in pixels. A rectangle holds its left and top edges and excludes its right
// and bottom edges, so its width is Right − Left.

#include <algorithm>
#include "platform/Point.h"

namespace vlz {

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) {
    return {left, top, right, bottom};
}

constexpr TRect Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// The part that both rectangles cover; an empty rectangle when they do not meet.
inline TRect Intersect(const TRect& a, const TRect& b) {
    TRect result{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
    return result.IsEmpty() ? TRect{} : result;
}

}  // namespace vlz
