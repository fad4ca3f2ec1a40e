// The trajectory-repulsion global search behind "-tr": random samples
// between the bounds, one run each, ranked by phi; then local searches from
// the best-ranked samples, each one from the unused sample farthest from
// the paths recorded so far and repelled by them.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <vector>

#include "calibration/global_search.h"
#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

namespace
{

// The trajectory table, released whichever way the search returns.
struct point_table {
    double** m;
    point_table(int rows, int cols) : m(matrix(1, rows, 1, cols)) {}
    ~point_table() { free_matrix(m, 1, 1); }
};

} // namespace

int TrajrepSearch(int argc, char** argv, pest_control& pc, const toolbox_names& names,
                  std::FILE* const out[4], const trajrep_settings& s, sample_seeds& seeds, std::FILE* tr_rec,
                  const pest_model_call& model, double** points_out)
{
    const int runs = s.runs;
    std::vector<std::vector<double>> values(runs + 1, std::vector<double>(pc.npar + 1, 0.0));
    std::vector<std::vector<double>> phis(runs + 1, std::vector<double>(pc.nobsgp + 1, 0.0));
    std::vector<double> rank_phi(runs + 1, 0.0);
    std::vector<int> rank(runs + 1, 0);
    std::vector<bool> failed(runs + 1, false), used(runs + 1, false);
    // A search records its start point and at most NOPTMAX - 1 iterates.
    const int per_search = std::max(pc.noptmax, 0) + 1;
    point_table table(pc.npar, per_search * s.max_inversions);
    double** points = points_out ? points_out : table.m;
    int count = 0;

    const int noptmax = pc.noptmax;
    const double lambda = pc.lambda;
    pc.noptmax = 0;
    for (int k = 1; k <= runs; ++k) {
        if (DrawSample(pc, seeds) != 0) {
            pc.noptmax = noptmax;
            return 1;
        }
        for (int i = 1; i <= pc.npar; ++i)
            values[k][i] = pc.params[i].value;
        pc.lambda = lambda;
        if (LMInversion(argc, argv, pc, names, out[0], out[1], out[2], out[3], model) != 0) {
            // Ranked after every real phi, so no search starts from it.
            std::printf("The evaluation of pre-inversion sample %d failed.\n", k);
            failed[k] = true;
            rank_phi[k] = DBL_MAX;
        } else {
            phis[k][0] = rank_phi[k] = group_sum(pc);
            for (int g = 1; g <= pc.nobsgp; ++g)
                phis[k][g] = pc.obs_groups[g].contribution;
        }
        if (k == 1) {
            std::fprintf(tr_rec, "                        YQ_MS2 CONTROL INFORMATION\n\n");
            std::fprintf(tr_rec, "Input unsigned long random seed                             : %u\n",
                         s.seed);
            std::fprintf(tr_rec, "Number of pre-inversion runs to carry out                   : %d\n", runs);
            std::fprintf(tr_rec, "Maximum number of YQ inversions to carry out                : %d\n",
                         s.max_inversions);
            std::fprintf(tr_rec, "Number of YQ runs with no objective function improvement    : %d\n",
                         s.runs_no_gain);
            std::fprintf(tr_rec, "Improvement fraction judged to be negligible                : %lf\n",
                         s.negligible);
            std::fprintf(tr_rec, "Name of existing control file : %s\n\n", names.base.c_str());
            std::fprintf(tr_rec, "                   RESULTS OF PRE-INVERSION SAMPLE RUNS\n\n");
            WriteSampleHeading(tr_rec, pc, true);
        }
        WriteSampleRow(tr_rec, pc, values[k], phis[k], failed[k], true, true);
    }
    pc.noptmax = noptmax;
    indexx(runs, rank_phi.data(), rank.data());
    std::fprintf(tr_rec, "\n\n                   RESULTS OF YQ OPTIMIZATION RUNS\n\n\n");

    const int positions = std::min(s.max_inversions, runs);
    int calls_total = runs, best_run = 0, no_gain = 0, rc = 0, start = 0;
    double best = -999.999;
    for (int r = 1;; ++r) {
        pc.lambda = lambda;
        if (r == 1) {
            start = rank[1];
        } else {
            double farthest = 0.0;
            for (int pos = 1; pos <= positions; ++pos) {
                const int cand = rank[pos];
                if (used[cand] || failed[cand])
                    continue;
                for (int c = 1; c <= count; ++c) {
                    double d = 0.0;
                    for (int i = 1; i <= pc.npar; ++i) {
                        const pest_param& p = pc.params[i];
                        if (p.upper > p.lower) {
                            const double t = (values[cand][i] - points[i][c]) / (p.upper - p.lower);
                            d += t * t;
                        }
                    }
                    if (d > farthest) {
                        farthest = d;
                        start = cand;
                    }
                }
            }
        }
        if (failed[start]) {
            std::printf("Every pre-inversion sample failed; no search can start.\n");
            return 1;
        }
        ++count;
        for (int i = 1; i <= pc.npar; ++i)
            points[i][count] = pc.params[i].value = values[start][i];
        used[start] = true;
        int calls = 0;
        const int searched = LMInversionRepelled(argc, argv, pc, names, out[0], out[1], out[2], out[3], model,
                                                 points, count, calls);
        calls_total += calls;
        if (searched != 0) {
            std::printf("Inversion run number %d failed.\n", r);
            std::fprintf(tr_rec, " YQ inversion run number %d failed.\n\n", r);
            rc = 1;
        } else {
            const double phi = group_sum(pc);
            std::fprintf(tr_rec, " Results of YQ inversion run number %d --->\n\n", r);
            WriteSearchResult(tr_rec, pc, values[start], phis[start], true);
            std::fprintf(tr_rec, " Number of model runs for latest YQ run   = %d\n", calls);
            std::fprintf(tr_rec, " Total number of model calls so far       = %d\n", calls_total);
            std::fprintf(tr_rec, "\n\n");
            std::fprintf(tr_rec, "\n\n");
            if (best_run > 0) {
                if (phi < (1.0 - s.negligible) * best)
                    no_gain = 0;
                else
                    ++no_gain;
            }
            if (best_run == 0 || phi < best) {
                best = phi;
                best_run = r;
            }
        }
        if (no_gain == s.runs_no_gain || r + 1 > s.max_inversions)
            break;
    }
    std::fprintf(tr_rec, "\n\n\n\n                   RESULTS OF GLOBAL SEARCH PROCESS\n\n");
    if (best_run > 0) {
        std::fprintf(tr_rec, "The global search process yielded a total objective function value of %lf\n",
                     best);
        std::fprintf(tr_rec, "This value was obtained from inversion run number %d\n\n", best_run);
    } else {
        std::fprintf(tr_rec, "No inversion run ended without failure.\n\n");
    }
    return rc;
}
