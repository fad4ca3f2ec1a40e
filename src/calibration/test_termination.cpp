// The stopping tests of the iteration loop.
#include <cmath>
#include <cstdio>

#include "calibration/slm_routines.h"

int TestTermination(std::FILE* rec, int n, int iter_lowest, int small_changes, const double* phi_history,
                    double lowest_phi, double phi, const pest_control& pc, int& stop, int model_calls)
{
    stop = 0;
    char line1[256] = "";
    char line2[256] = "";
    if (std::fabs(phi) <= 1e-30) {
        std::printf("Optimization complete: the objective function equals zero\n");
        std::printf("Total Model Calls:\t%d\n", model_calls);
        if (rec) {
            std::fprintf(rec, "Optimization complete: the objective function equals zero\n");
            std::fprintf(rec, "Total Model Calls:\t%d\n", model_calls);
        }
        stop = 1;
        return 0;
    }
    int close_count = 0;
    for (int i = 1; i <= n; ++i) {
        // A history entry of zero (or below) lies at distance 0 from the lowest.
        const double distance = phi_history[i] > 0.0 ? (phi_history[i] - lowest_phi) / phi_history[i] : 0.0;
        if (distance <= pc.phiredstp)
            ++close_count;
    }
    if (close_count >= pc.nphistp) {
        std::snprintf(line1, sizeof line1,
                      "Optimization complete: the  %d lowest phi's are within a relative distance\n",
                      pc.nphistp);
        std::snprintf(line2, sizeof line2, "                       of each other of %lf\n", pc.phiredstp);
    } else if (n - iter_lowest > pc.nphinored) {
        std::snprintf(line1, sizeof line1,
                      "Optimization complete:   %d optimization iterations have elapsed since lowest\n",
                      pc.nphinored);
        std::snprintf(line2, sizeof line2, "                       phi was achieved.\n");
    } else if (small_changes >= pc.nrelpar) {
        std::snprintf(line1, sizeof line1, "Optimization complete: relative parameter change less than %lf\n",
                      pc.relparstp);
        std::snprintf(line2, sizeof line2, "                       over %d successive iterations.\n",
                      pc.nrelpar);
    } else {
        return 0;
    }
    std::fputs(line1, stdout);
    std::fputs(line2, stdout);
    std::printf("Total Model Calls:\t%d\n", model_calls);
    if (rec) {
        std::fputs(line1, rec);
        std::fputs(line2, rec);
        std::fprintf(rec, "Total Model Calls:\t%d\n", model_calls);
    }
    stop = 1;
    return 0;
}
