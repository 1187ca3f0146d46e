// The benchmarks' one table: each figure, what was measured, its goal and the ratio between
// them, printed as Markdown.
#ifndef BRINDLE_BENCH_BENCH_TABLE_H
#define BRINDLE_BENCH_BENCH_TABLE_H

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct Row {
    std::string figure, measured, goal;
    double ratio = -1;  // measured / goal; at most 1 meets the goal; negative: no goal
};

std::string format(const char *pattern, ...) __attribute__((format(printf, 1, 2)));
inline std::string format(const char *pattern, ...) {
    char text[256];
    va_list args;
    va_start(args, pattern);
    vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

inline void print_table(const std::vector<Row> &rows) {
    size_t widths[3] = {6, 8, 4};
    for (const Row &row : rows) {
        widths[0] = std::max(widths[0], row.figure.size());
        widths[1] = std::max(widths[1], row.measured.size());
        widths[2] = std::max(widths[2], row.goal.size());
    }
    auto line = [&](const std::string &a, const std::string &b, const std::string &c,
                    const std::string &d) {
        printf("| %-*s | %-*s | %-*s | %s |\n", static_cast<int>(widths[0]), a.c_str(),
               static_cast<int>(widths[1]), b.c_str(), static_cast<int>(widths[2]), c.c_str(),
               d.c_str());
    };
    line("figure", "measured", "goal", "measured/goal");
    line(std::string(widths[0], '-'), std::string(widths[1], '-'), std::string(widths[2], '-'),
         "-------------");
    for (const Row &row : rows) {
        std::string ratio;
        if (row.ratio >= 0)
            ratio = format("%.2f %s", row.ratio, row.ratio <= 1 ? "met" : "MISSED");
        line(row.figure, row.measured, row.goal, ratio);
    }
}

}  // namespace bench

#endif  // BRINDLE_BENCH_BENCH_TABLE_H
