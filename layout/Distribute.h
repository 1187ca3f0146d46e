// Sharing a length out among a row or column of layout objects.
#ifndef BRINDLE_LAYOUT_DISTRIBUTE_H
#define BRINDLE_LAYOUT_DISTRIBUTE_H

#include <vector>

#include <Rect.h>

class MView;

struct span_limits {
    float minimum;
    float maximum;
    float weight;
};

// Whole-pixel sizes for `limits` that share out `available` pixels: every span gets its
// minimum; what is left goes by weight to spans below their maximum (spans that reach
// it keep it and the rest is shared again among the others; when every growing span
// has weight 0 they share equally). Leftover single pixels go to the first growing
// spans. If `available` is below the sum of minimums, spans keep their minimums; if it
// is above the sum of maximums, the rest stays unused.
std::vector<float> distribute_length(float available, const std::vector<span_limits> &limits);

// Lays `views` out one after the other inside `rect`, left to right (`row`) or top to
// bottom, from their ct_mpm. Across the run, a view is as large as `rect` allows within
// its limits; rows center their views vertically, columns keep them at the left.
void layout_run(const std::vector<MView *> &views, BRect rect, bool row);

#endif  // BRINDLE_LAYOUT_DISTRIBUTE_H
