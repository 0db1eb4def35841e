#pragma once
// A point in pixels: screen positions (cursor, windows) and canvas positions share it.

namespace vlz {

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

}  // namespace vlz
