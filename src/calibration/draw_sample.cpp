// The random samples of the global strategies: drawing one between the
// bounds, the phi of the run just made, and the sample heading and search
// results of a strategy's record.
#include <cmath>
#include <cstdio>
#include <vector>

#include "calibration/global_search.h"
#include "calibration/slm_routines.h"

int DrawSample(pest_control& pc, sample_seeds& seeds)
{
    int seed = 0;
    if (NextSampleSeed(seeds, seed) != 0)
        return 1;
    RandomStartPoint(pc, seed);
    // Tied parameters take their parent's new value times their ratio.
    for (int i = 1; i <= pc.npar; ++i) {
        pest_param& p = pc.params[i];
        if (is_tied(p) && p.parent > 0) {
            const double v = p.tie_ratio * natural_value(pc.params[p.parent], pc.params[p.parent].value);
            p.value = is_log(p) ? std::log10(v) : v;
        }
    }
    return 0;
}

double group_sum(const pest_control& pc)
{
    double phi = 0.0;
    for (int g = 1; g <= pc.nobsgp; ++g)
        phi += pc.obs_groups[g].contribution;
    return phi;
}

void WriteSampleHeading(std::FILE* rec, const pest_control& pc, bool groups)
{
    for (int i = 1; i <= pc.npar; ++i)
        if (is_adjustable(pc.params[i]))
            std::fprintf(rec, "%s\t", pc.params[i].name.c_str());
    std::fprintf(rec, "Total\t");
    if (groups)
        for (int g = 1; g <= pc.nobsgp; ++g)
            std::fprintf(rec, "%s\t", pc.obs_groups[g].name.c_str());
    std::fprintf(rec, "\n");
}

void WriteSearchResult(std::FILE* rec, const pest_control& pc, const std::vector<double>& start,
                       const std::vector<double>& start_phis, bool precise)
{
    const char* const value_row = precise ? "\t%s\t%.10E\t%.10E\n" : "\t%s\t%lf\t%lf\n";
    const char* const phi_row = precise ? "\t%s\t%lE\t%lE\n" : "\t%s\t%lf\t%lf\n";
    std::fprintf(rec, "     Parameter values:-\n\n");
    std::fprintf(rec, "         Parameter           Starting parameter  Optimised parameter\n");
    std::fprintf(rec, "         name                value               value\n");
    for (int i = 1; i <= pc.npar; ++i) {
        const pest_param& p = pc.params[i];
        if (is_adjustable(p))
            std::fprintf(rec, value_row, p.name.c_str(), natural_value(p, start[i]),
                         natural_value(p, p.value));
    }
    std::fprintf(rec, "\n\n     Objective function(s):-\n\n");
    std::fprintf(rec, "         Observation         Starting objective  Optimised objective\n");
    std::fprintf(rec, "         group name          function value      function value\n");
    std::fprintf(rec, phi_row, "total", start_phis[0], group_sum(pc));
    for (int g = 1; g <= pc.nobsgp; ++g)
        std::fprintf(rec, phi_row, pc.obs_groups[g].name.c_str(), start_phis[g],
                     pc.obs_groups[g].contribution);
    std::fprintf(rec, "\n\n");
}

void WriteSampleRow(std::FILE* rec, const pest_control& pc, const std::vector<double>& values,
                    const std::vector<double>& phis, bool failed, bool groups, bool precise)
{
    for (int i = 1; i <= pc.npar; ++i)
        if (is_adjustable(pc.params[i]))
            std::fprintf(rec, precise ? "%.10E\t" : "%lf\t", natural_value(pc.params[i], values[i]));
    if (failed)
        std::fprintf(rec, "failed\t");
    else
        for (int g = 0; g <= (groups ? pc.nobsgp : 0); ++g)
            std::fprintf(rec, "%lf\t", phis[g]);
    std::fprintf(rec, "\n");
}
