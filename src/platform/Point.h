#pragma once
// A point in pixels, in whatever coordinates its user states (the screen's for the cursor).

namespace vlz {

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

}  // namespace vlz
