// The Marquardt lambda of the next trial: keep going the way that improved
// phi; when going down from the starting lambda failed, continue above it.
#include "calibration/slm_routines.h"

int NextLambda(double lambda_start, double& lambda_prev, int& reversal, double /*phi*/,
               const double* trial_phi, int m, pest_control& pc)
{
    const double r = pc.rlamfac;
    double& lambda = pc.lambda;
    if (m == 1) {
        lambda_prev = lambda;
        lambda /= r;
        return 0;
    }
    const double old_prev = lambda_prev;
    const bool improved = trial_phi[m - 1] > trial_phi[m];
    if (!improved && lambda_start >= old_prev && lambda_start > lambda) {
        lambda_prev = lambda;
        reversal = 1;
        lambda = lambda_start * r;
        return 0;
    }
    lambda_prev = lambda;
    if (old_prev > lambda)
        lambda /= r;
    else
        lambda *= r;
    return 0;
}
