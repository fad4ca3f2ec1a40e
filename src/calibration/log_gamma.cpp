// ln Gamma and the MLSL critical distance and stopping rule.
#include <cmath>

#include "calibration/global_search.h"
#include "calibration/slm_routines.h"

double LogGamma(double x)
{
    static const double cof[6] = {76.18009172947146,     -86.50532032941677,    24.01409824083091,
                                  -1.231739572450155,    0.1208650973866179e-2, -0.5395239384953e-5};
    double y = x;
    double tmp = x + 5.5;
    tmp -= (x + 0.5) * std::log(tmp);
    double ser = 1.000000000190015;
    for (double c : cof)
        ser += c / ++y;
    return -tmp + std::log(2.5066282746310005 * ser / x);
}

int MLSLCriticalDistance(const pest_control& pc, int x, double& alpha)
{
    int n = 0;
    double volume = 1.0;
    for (int i = 1; i <= pc.npar; ++i) {
        const pest_param& p = pc.params[i];
        if (!is_adjustable(p))
            continue;
        ++n;
        volume *= p.upper - p.lower;
    }
    const double half = n / 2.0;
    const double inner = std::exp(LogGamma(1.0 + half)) * volume * pc.mlsl_sigma * std::log(double(x)) / x;
    alpha = std::pow(inner, 1.0 / n) / std::sqrt(std::acos(-1.0));
    return 0;
}

bool MlslBayesianStop(int w, double nr)
{
    return nr > w + 2 && w + 0.5 >= (nr - 1.0) * w / (nr - w - 2.0);
}
