#include <cmath>

#include "channel/superlink_geometry.h"

namespace
{

// Fitted arch shapes over b = y / D: area over rise x span, hydraulic
// radius over rise and top width over span.
double arch_area(double b)
{
    return 0.450552317 * b * b + 0.850625935 * b - 0.0265118802 - 0.48046422 * b * b * b;
}
double arch_radius(double b)
{
    return 1.1666329 * b - 0.0382820242 - 1.32389992 * b * b + 1.04200851 * b * b * b -
           0.526837711 * b * b * b * b;
}
double arch_top(double b)
{
    return 3.13077957 * b + 0.656758295 - 9.66782176 * b * b + 11.9256017 * b * b * b -
           5.88560436 * b * b * b * b;
}

} // namespace

void superlink_section_geom(double D, double y, double W, int type, section_geom& g)
{
    const double r = D / 2.0;
    switch (type) {
    case 1:
        if (y < 0.0) {
            g = section_geom{};
        } else if (y >= D) {
            g.area = 3.1415926 * D * D / 4.0;
            g.top_width = 0.0;
            g.wet_per = 3.1415926 * D;
        } else {
            const double theta = std::acos((r - y) / r);
            g.area = r * r * theta - (r - y) * r * std::sin(theta);
            g.top_width = D * std::sin(theta);
            g.wet_per = theta * D;
        }
        break;
    case 2:
        if (y <= 0.0) {
            g = section_geom{};
        } else {
            const double b = D > y ? y / D : 1.0;
            g.area = arch_area(b) * D * W;
            g.top_width = arch_top(b) * W;
            g.wet_per = g.area / (arch_radius(b) * D);
        }
        break;
    case 3:
        if (y < 0.0) {
            g.area = 0.0;
            g.top_width = W;
            g.wet_per = W;
        } else if (y >= D) {
            g.area = D * W;
            g.top_width = 0.0;
            g.wet_per = 2.0 * D + 2.0 * W;
        } else {
            g.area = y * W;
            g.top_width = W;
            g.wet_per = 2.0 * y + W;
        }
        break;
    default:
        break;
    }
}

double superlink_section_area(int type, double D, double W, double y)
{
    if (type == 1) {
        const double r = D / 2.0;
        const double theta = std::acos((r - y) / r);
        return r * r * theta - std::sin(theta) * (r - y) * r;
    }
    if (type == 3)
        return W * y;
    return 0.0;
}
