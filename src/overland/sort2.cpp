// Orders lake candidates by level; equal levels by cell number, so the
// order is the same on every platform.
#include <algorithm>

#include "overland/olake_extent.h"

void sort2(std::vector<lake_candidate>& list)
{
    std::sort(list.begin(), list.end(), [](const lake_candidate& a, const lake_candidate& b) {
        return a.key < b.key || (a.key == b.key && a.cell < b.cell);
    });
}
