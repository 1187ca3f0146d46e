#ifndef BRINDLE_SUPPORT_POINT_H
#define BRINDLE_SUPPORT_POINT_H

// A point in a window's coordinate space.
class BPoint {
public:
    float x;
    float y;

    constexpr BPoint() : x(0), y(0) {}
    constexpr BPoint(float x, float y) : x(x), y(y) {}

    bool operator==(const BPoint &other) const { return x == other.x && y == other.y; }
    bool operator!=(const BPoint &other) const { return !(*this == other); }
};

#endif  // BRINDLE_SUPPORT_POINT_H
