// minimax: a layout object's size limits and weight.
//
// Sizes are in pixels: a view of width w covers w pixels, so its frame has Width()
// w - 1 (the platform's rectangles are inclusive). A negative minimum asks for the
// size the content needs; a maximum smaller than the minimum counts as the minimum.
// Weight shares out space beyond the minimums: a child of weight 2 grows twice as fast
// as a sibling of weight 1 until it reaches its maximum.
#ifndef BRINDLE_LAYOUT_MINIMAX_H
#define BRINDLE_LAYOUT_MINIMAX_H

#include <Point.h>

class minimax {
public:
    minimax(float minx = 0, float miny = 0, float maxx = 1e6, float maxy = 1e6, float weight = 1.0)
        : mini(minx, miny), maxi(maxx, maxy), weight(weight) {}

    BPoint mini;
    BPoint maxi;
    float weight;
};

// The largest size layouts handle; larger maxima count as this.
constexpr float kLayoutInfinity = 1e6f;

#endif  // BRINDLE_LAYOUT_MINIMAX_H
