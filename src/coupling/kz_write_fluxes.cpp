// One row of the KZ segment flux file: the relative day and the mean flow of
// every active segment since the last row.
#include <cstdio>

#include "coupling/kz_data.h"

void kz_write_fluxes(kz_data& kz, double day)
{
    if (kz.nsteps <= 0 || !kz.out.fp)
        return;
    if (!kz.day_base_set) {
        kz.day_base = day;
        kz.day_base_set = 1;
    }
    std::fprintf(kz.out.fp, "%-8.3lf  ", day - kz.day_base + 1.0);
    for (int seg = 1; seg <= kz.nseg; ++seg) {
        if (kz.active_array.size() >= seg && kz.active_array[seg] == 1)
            std::fprintf(kz.out.fp, "%-8.2lf  ", kz.flux[static_cast<std::size_t>(seg)] / kz.nsteps);
        kz.flux[static_cast<std::size_t>(seg)] = 0.0;
    }
    std::fprintf(kz.out.fp, "\n");
    kz.nsteps = 0;
}
