// The link/node writers of the contaminant outputs (ALL_CONTAM_OUTPUT with
// channel transport): for every contaminant of the CONTAMINANT_TRANSPORT
// table a concentration and a mass series over the channel nodes, each
// lake link bound to the contaminant's own lake row.
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "output/linknode_series.h"
#include "quality/quality_steps.h"

namespace
{

constexpr int mass_kind = 26;
constexpr int concentration_kind = 27;

// Binds and opens one writer; false when the run stops.
bool open_series(model_state& s, linknode_series& w, int kind, const double* nodes, const double* lakes,
                 const std::string& name, const char* ext)
{
    const lake_values_view lake_row(lakes, s.chan_lakes ? s.num_lakes : 0);
    linknode_series_init_flat(w, kind, nodes, s.nx1, s.og_nx1, s.ltype, s.lake2link, lake_row, s.link_dim - 1,
                              s.node_dim);
    return linknode_series_open(w, name, ".chan", ext, 1.0, linknode_run_times(s)) && !run_stopped();
}

} // namespace

void contam_chan_output_setup(model_state& s)
{
    const int count = s.con_map_count;
    if (count == 0 || !s.chan_con_trans)
        return;
    if (s.chan_conc.count < count || s.chan_node_mass.count < count) {
        std::printf("Error: the channel contaminant rows are missing for the link/node outputs.\n");
        error_set(err_stop);
        return;
    }
    linknode_series_row_array_add_rows(s.con_linknode_series, count);
    if (run_stopped() || s.con_linknode_series.count < count)
        return;
    for (int i = 1; i <= count; ++i) {
        const std::string name = static_cast<std::size_t>(i) < s.contam_output_names.size()
                                     ? s.contam_output_names[static_cast<std::size_t>(i)]
                                     : std::string();
        const double* lake_conc = s.chan_lakes ? row_array_get(s.lake_conc, i) : nullptr;
        const double* lake_mass = s.chan_lakes ? row_array_get(s.lake_mass, i) : nullptr;
        if (!open_series(s, s.con_linknode_series[i][1], concentration_kind, s.chan_conc[i], lake_conc, name,
                         ".conc") ||
            !open_series(s, s.con_linknode_series[i][2], mass_kind, s.chan_node_mass[i], lake_mass, name,
                         ".mass"))
            return;
    }
}
