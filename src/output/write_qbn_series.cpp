// The nutrient module's outlet series: at every time-series output time one
// row of time and outlet concentration in each ".conc" file and of time and
// outlet mass in each ".mass" file that is on (OUT_HYD_ cards).
#include <cstdio>

#include "core/model_state.h"
#include "output/output_steps.h"

void write_qbn_series(model_state& s)
{
    if (!s.nutrients || !s.qbn_object)
        return;
    qbn_model& m = *s.qbn_object;
    const double t = s.long_term ? s.output_time : s.elapsed_min;
    for (int i = 0; i < qbn_constituent_count; ++i) {
        if (m.out_hyd[i].flag != 1)
            continue;
        if (std::FILE* fp = m.conc_files[i].fp)
            std::fprintf(fp, "%16.8lf %11.4lf\n", t, m.series_values[i][qbn_series_conc]);
        if (std::FILE* fp = m.mass_files[i].fp)
            std::fprintf(fp, "%16.8lf %11.4lf\n", t, m.series_values[i][qbn_series_mass]);
    }
}
