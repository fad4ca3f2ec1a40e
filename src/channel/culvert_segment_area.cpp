#include <cmath>

#include "channel/hydraulic_structures.h"

double culvert_segment_area(int shape, double rise, double width, double y)
{
    if (shape == culvert_round) {
        const double r = rise / 2.0;
        const double theta = std::acos((r - y) / r);
        return r * r * theta - std::sin(theta) * (r - y) * r;
    }
    if (shape == culvert_box)
        return y < 0.0 ? 0.0 : width * y;
    return 0.0;
}
