// Whether the lambda trials of one iteration end, and which trial is kept.
#include <cstdio>

#include "calibration/slm_routines.h"

namespace
{

// The lowest trial; among equal phis the later one.
int lowest_trial(int m, const double* trial_phi)
{
    double low = 1e30;
    int chosen = 0;
    for (int i = 1; i <= m; ++i)
        if (trial_phi[i] <= low) {
            low = trial_phi[i];
            chosen = i;
        }
    return chosen;
}

void say(std::FILE* rec, const char* text)
{
    std::fputs(text, stdout);
    if (rec)
        std::fputs(text, rec);
}

} // namespace

int TestLambdaSearch(std::FILE* rec, double phi_start, int m, const double* trial_phi, const pest_control& pc,
                     int& chosen)
{
    char text[256];
    if (m == pc.numlam) {
        std::snprintf(text, sizeof text, "No more lambdas: allowed lambdas per iteration =  %d\n\n",
                      pc.numlam);
        say(rec, text);
        chosen = lowest_trial(m, trial_phi);
        return 0;
    }
    for (int i = 1; i <= m; ++i)
        if (trial_phi[i] <= pc.phiratsuf * phi_start) {
            std::snprintf(text, sizeof text, "No more lambdas: phi is less than %lf of starting phi\n\n",
                          pc.phiratsuf);
            say(rec, text);
            chosen = i;
            return 0;
        }
    if (m > 1 && trial_phi[m] > trial_phi[m - 1]) {
        if (m != 2) {
            say(rec, "No more lambdas: phi rising\n\n");
            chosen = lowest_trial(m, trial_phi);
        }
        return 0;
    }
    if (m > 1 && 1.0 - trial_phi[m] / trial_phi[m - 1] <= pc.phiredlam) {
        std::snprintf(text, sizeof text,
                      "No more lambdas: relative phi reduction between lambdas less than %lf\n\n",
                      pc.phiredlam);
        say(rec, text);
        chosen = lowest_trial(m, trial_phi);
    }
    return 0;
}
