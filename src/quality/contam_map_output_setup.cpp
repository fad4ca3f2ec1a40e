// The map writers of the contaminant outputs (ALL_CONTAM_OUTPUT): for every
// contaminant of the CONTAMINANT_TRANSPORT table one concentration and one
// mass series over the active cells, named after its output name.
#include <algorithm>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "output/map_series.h"
#include "quality/quality_steps.h"

namespace
{

constexpr int contaminant_kind = 1;
constexpr int first_object_id = 5000;

void bind(map_series& w, const model_state& s, const double* values)
{
    map_series_bind(w, s, values, 1000.0, 6);
}

} // namespace

void contam_map_output_setup(model_state& s)
{
    const int typed = std::min(s.num_constituents, s.constituent_type.cap);
    int k1 = 0;
    for (int i = 1; i <= typed; ++i)
        k1 += s.constituent_type[i] == contaminant_kind;
    s.con_map_count = k1;
    if (k1 == 0)
        return;
    s.con_map_format = map_format_code(s);
    map_series_row_array_add_rows(s.con_map_series, k1);
    if (run_stopped() || s.con_map_series.count < k1)
        return;
    const int c_all = s.num_constituents;
    for (int c = 1; c <= k1; ++c) {
        const double* conc = row_array_get(s.ov_conc, c);
        const double* mass = row_array_get(s.ov_mass, c);
        const std::string name = static_cast<std::size_t>(c) < s.contam_output_names.size()
                                     ? s.contam_output_names[static_cast<std::size_t>(c)]
                                     : std::string();
        char label[16];
        map_series& wc = s.con_map_series[c][1];
        bind(wc, s, conc);
        std::snprintf(label, sizeof label, "conc_%02d", c);
        map_series_open(wc, s.con_map_format, name, ".conc", ".asc", first_object_id + (c - 1) * c_all, label,
                        s);
        if (run_stopped())
            return;
        map_series& wm = s.con_map_series[c][2];
        bind(wm, s, mass);
        std::snprintf(label, sizeof label, "mass_%02d", c);
        map_series_open(wm, s.con_map_format, name, ".mass", ".asc", first_object_id + 1 + (c - 1) * c_all,
                        label, s);
        if (run_stopped())
            return;
    }
}
