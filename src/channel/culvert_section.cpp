#include <cmath>

#include "channel/hydraulic_structures.h"

void culvert_section(double a, double y, double c, int shape, culvert_geometry& out)
{
    if (shape == culvert_round) {
        if (y < 0.0) {
            out = culvert_geometry();
        } else if (y >= a) {
            out.area = 3.1415926 * a * a / 4.0;
            out.perimeter = 3.1415926 * a;
            out.top_width = 0.0;
        } else {
            const double r = a / 2.0;
            const double theta = std::acos((r - y) / r);
            out.area = r * r * theta - (r - y) * r * std::sin(theta);
            out.perimeter = theta * a;
            out.top_width = a * std::sin(theta);
        }
    } else if (shape == culvert_oval) {
        // Fitted pipe-arch shape functions of the relative depth.
        if (y <= 0.0)
            return;
        const double x = std::fmin(y / a, 1.0);
        const double x2 = x * x, x3 = x2 * x, x4 = x3 * x;
        out.area = (0.450552317 * x2 + 0.850625935 * x - 0.0265118802 - 0.48046422 * x3) * a * c;
        out.perimeter =
            out.area /
            ((1.1666329 * x - 0.0382820242 - 1.32389992 * x2 + 1.04200851 * x3 - 0.526837711 * x4) * a);
        out.top_width =
            (3.13077957 * x + 0.656758295 - 9.66782176 * x2 + 11.9256017 * x3 - 5.88560436 * x4) * c;
    } else {
        if (y < 0.0) {
            out.area = 0.0;
            out.perimeter = c;
            out.top_width = c;
        } else if (y >= a) {
            out.area = a * c;
            out.perimeter = 2.0 * a + 2.0 * c;
            out.top_width = 0.0;
        } else {
            out.area = y * c;
            out.perimeter = 2.0 * y + c;
            out.top_width = c;
        }
    }
}
