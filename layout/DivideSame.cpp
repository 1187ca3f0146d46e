#include <DivideSame.h>

#include <algorithm>
#include <vector>

float DivideSame(std::initializer_list<MView *> views) {
    std::vector<MDividable *> labelled;
    float widest = 0;
    for (MView *view : views) {
        MDividable *dividable = dynamic_cast<MDividable *>(view);
        if (dividable == nullptr)
            continue;
        labelled.push_back(dividable);
        widest = std::max(widest, dividable->LabelWidth());
    }
    for (MDividable *dividable : labelled)
        dividable->SetDivider(widest);
    return widest;
}
