#ifndef BRINDLE_SUPPORT_RECT_H
#define BRINDLE_SUPPORT_RECT_H

#include <Point.h>

// A rectangle by its four edges. As on the original platform, edges are inclusive:
// Width() is right - left, and a rectangle with right < left is invalid.
class BRect {
public:
    float left;
    float top;
    float right;
    float bottom;

    constexpr BRect() : left(0), top(0), right(-1), bottom(-1) {}
    constexpr BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}

    float Width() const { return right - left; }
    float Height() const { return bottom - top; }
    bool IsValid() const { return left <= right && top <= bottom; }
    BPoint LeftTop() const { return BPoint(left, top); }

    void OffsetTo(float x, float y) {
        right += x - left;
        bottom += y - top;
        left = x;
        top = y;
    }
    bool operator==(const BRect &o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const BRect &o) const { return !(*this == o); }
};

#endif  // BRINDLE_SUPPORT_RECT_H
