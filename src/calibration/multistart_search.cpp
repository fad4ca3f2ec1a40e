// The multistart global search behind "-ms": random samples between the
// bounds, each evaluated with one model run, then a complete local search
// from every sample in the order of drawing.
#include <cmath>
#include <cstdio>
#include <vector>

#include "calibration/global_search.h"
#include "calibration/slm_routines.h"

int MultistartSearch(int argc, char** argv, pest_control& pc, const toolbox_names& names,
                     std::FILE* const out[4], const multistart_settings& s, sample_seeds& seeds,
                     std::FILE* ms_rec, std::FILE* params_prn, const pest_model_call& model)
{
    const int runs = s.runs;
    std::vector<std::vector<double>> values(runs + 1, std::vector<double>(pc.npar + 1, 0.0));
    std::vector<std::vector<double>> phis(runs + 1, std::vector<double>(pc.nobsgp + 1, 0.0));
    std::vector<bool> failed(runs + 1, false);

    const int noptmax = pc.noptmax;
    const double lambda = pc.lambda;
    pc.noptmax = 0;
    for (int k = 1; k <= runs; ++k) {
        if (DrawSample(pc, seeds) != 0) {
            pc.noptmax = noptmax;
            return 1;
        }
        for (int i = 1; i <= pc.npar; ++i) {
            std::fprintf(params_prn, "%.12E\t", natural_value(pc.params[i], pc.params[i].value));
            values[k][i] = pc.params[i].value;
        }
        std::fprintf(params_prn, "\n");
        pc.lambda = lambda;
        if (LMInversion(argc, argv, pc, names, out[0], out[1], out[2], out[3], model) != 0) {
            // Reported and kept out of the records; its search still runs.
            std::printf("The evaluation of pre-inversion sample %d failed.\n", k);
            failed[k] = true;
        } else {
            phis[k][0] = group_sum(pc);
            for (int g = 1; g <= pc.nobsgp; ++g)
                phis[k][g] = pc.obs_groups[g].contribution;
        }
        if (k == 1) {
            std::fprintf(ms_rec, "                        YQ_MS1 CONTROL INFORMATION\n\n");
            std::fprintf(ms_rec, "Input unsigned long random seed                             : %u\n",
                         s.seed);
            std::fprintf(ms_rec, "Number of pre-inversion runs to carry out                   : %d\n", runs);
            std::fprintf(ms_rec, "Name of existing control file : %s\n\n", names.base.c_str());
            std::fprintf(ms_rec, "                   RESULTS OF PRE-INVERSION SAMPLE RUNS\n\n");
            WriteSampleHeading(ms_rec, pc, true);
        }
        WriteSampleRow(ms_rec, pc, values[k], phis[k], failed[k], true, false);
    }
    pc.noptmax = noptmax;

    std::fprintf(ms_rec, "\n\n                   RESULTS OF YQ OPTIMIZATION RUNS\n\n\n");
    int rc = 0;
    for (int k = 1; k <= runs; ++k) {
        pc.lambda = lambda;
        for (int i = 1; i <= pc.npar; ++i)
            pc.params[i].value = values[k][i];
        if (LMInversion(argc, argv, pc, names, out[0], out[1], out[2], out[3], model) != 0) {
            std::printf("The local search from pre-inversion sample %d failed.\n", k);
            std::fprintf(ms_rec, " YQ inversion run number %d failed.\n\n", k);
            rc = 1;
            continue;
        }
        std::fprintf(ms_rec, " Results of YQ inversion run number %d --->\n\n", k);
        WriteSearchResult(ms_rec, pc, values[k], phis[k], false);
    }
    return rc;
}
