#include <Distribute.h>

#include <algorithm>
#include <cmath>

#include <MView.h>

std::vector<float> distribute_length(float available, const std::vector<span_limits> &limits) {
    const size_t count = limits.size();
    std::vector<double> sizes(count);
    std::vector<bool> growing(count);
    double extra = std::floor(available);
    for (size_t i = 0; i < count; i++) {
        sizes[i] = limits[i].minimum;
        growing[i] = limits[i].maximum > limits[i].minimum;
        extra -= limits[i].minimum;
    }

    // Share by weight; a span that would pass its maximum is fixed there and the round
    // starts again with what is left. Each round fixes at least one span or ends.
    while (extra > 0) {
        double totalWeight = 0;
        size_t active = 0;
        for (size_t i = 0; i < count; i++) {
            if (growing[i]) {
                totalWeight += limits[i].weight;
                active++;
            }
        }
        if (active == 0)
            break;
        const bool equal = totalWeight <= 0;
        const double round = extra;
        bool fixedOne = false;
        for (size_t i = 0; i < count; i++) {
            if (!growing[i])
                continue;
            double share = equal ? round / active : round * limits[i].weight / totalWeight;
            if (sizes[i] + share >= limits[i].maximum) {
                extra -= limits[i].maximum - sizes[i];
                sizes[i] = limits[i].maximum;
                growing[i] = false;
                fixedOne = true;
            }
        }
        if (fixedOne)
            continue;
        // Nobody reaches a maximum: hand out whole pixels, then the remainder one by one.
        double handed = 0;
        for (size_t i = 0; i < count; i++) {
            if (!growing[i])
                continue;
            double share = equal ? extra / active : extra * limits[i].weight / totalWeight;
            double whole = std::floor(share);
            sizes[i] += whole;
            handed += whole;
        }
        double remainder = extra - handed;
        for (size_t i = 0; i < count && remainder >= 1; i++) {
            if (growing[i] && (equal || limits[i].weight > 0) &&
                sizes[i] + 1 <= limits[i].maximum) {
                sizes[i] += 1;
                remainder -= 1;
            }
        }
        extra = 0;
    }

    std::vector<float> result(count);
    for (size_t i = 0; i < count; i++)
        result[i] = static_cast<float>(std::floor(sizes[i]));
    return result;
}

void layout_run(const std::vector<MView *> &views, BRect rect, bool row) {
    const float along = (row ? rect.Width() : rect.Height()) + 1;
    const float across = (row ? rect.Height() : rect.Width()) + 1;
    std::vector<span_limits> limits;
    limits.reserve(views.size());
    for (MView *view : views) {
        const minimax &m = view->ct_mpm;
        limits.push_back(row ? span_limits{m.mini.x, m.maxi.x, m.weight}
                             : span_limits{m.mini.y, m.maxi.y, m.weight});
    }
    std::vector<float> sizes = distribute_length(along, limits);

    float position = row ? rect.left : rect.top;
    for (size_t i = 0; i < views.size(); i++) {
        const minimax &m = views[i]->ct_mpm;
        const float lowest = row ? m.mini.y : m.mini.x;
        const float highest = row ? m.maxi.y : m.maxi.x;
        const float size = std::max(lowest, std::min(across, highest));
        // Rows center their views across; columns keep them at the leading edge.
        const float offset = row ? std::floor(std::max(across - size, 0.0f) / 2) : 0;
        BRect frame;
        if (row)
            frame = BRect(position, rect.top + offset, position + sizes[i] - 1,
                          rect.top + offset + size - 1);
        else
            frame = BRect(rect.left + offset, position, rect.left + offset + size - 1,
                          position + sizes[i] - 1);
        views[i]->layout(frame);
        position += sizes[i];
    }
}
