// Proximity of the search to the points recorded by earlier searches.
#include <cmath>

#include "calibration/slm_routines.h"

int NearEarlierPoint(const pest_control& pc, double** points, int k, int& flag)
{
    flag = 0;
    for (int i = 1; i <= k; ++i) {
        double sum = 0.0;
        for (int j = 1; j <= pc.npar; ++j) {
            const pest_param& p = pc.params[j];
            const double range = p.upper - p.lower;
            if (range == 0.0)
                continue;
            const double d = (p.value - points[j][i]) / range;
            sum += d * d;
        }
        const double d = std::sqrt(sum);
        if (d > 1e-10 && d < pc.critical_distance) {
            flag = 1;
            return 0;
        }
    }
    return 0;
}
