#include "output/output_steps.h"

#include "core/error_state.h"
#include "core/model_state.h"
#include "output/linknode_series.h"
#include "output/map_series.h"
#include "quality/qbn_steps.h"

namespace
{

// After a grid that could not be opened the run stops: the remaining
// series of the output time are not written.
void total_ov_n(model_state& s)
{
    if (run_stopped())
        return;
    map_series_write(s.qbn_object->maps.total_n, s.elapsed_min);
}

void total_ov_p(model_state& s)
{
    if (run_stopped())
        return;
    map_series_write(s.qbn_object->maps.total_p, s.elapsed_min);
}

// The mass series of a water constituent, then its concentration series.
void species_maps(model_state& s, int k)
{
    row_array<map_series>& rows = s.qbn_object->maps.rows;
    if (k + 1 > rows.count || run_stopped())
        return;
    map_series_write(rows[k + 1][1], s.elapsed_min);
    if (!run_stopped())
        map_series_write(rows[k + 1][2], s.elapsed_min);
}

void write_linknode(linknode_series& w)
{
    if (!run_stopped())
        linknode_series_write(w);
}

void total_chan_n(model_state& s)
{
    write_linknode(s.qbn_object->linknodes.total_n);
}

void total_chan_kn(model_state& s)
{
    write_linknode(s.qbn_object->linknodes.kjeldahl_n);
}

void total_chan_p(model_state& s)
{
    write_linknode(s.qbn_object->linknodes.total_p);
}

// The stream mass series of a water constituent, then its concentration
// series.
void species_linknodes(model_state& s, int k)
{
    row_array<linknode_series>& rows = s.qbn_object->linknodes.rows;
    if (k + 1 > rows.count)
        return;
    write_linknode(rows[k + 1][1]);
    write_linknode(rows[k + 1][2]);
}

} // namespace

// One map output time of the nutrient module: the derived values are
// refreshed in their order, each series written as soon as its values are.
void write_qbn_outputs(model_state& s)
{
    if (!s.nutrients || !s.qbn_object)
        return;
    qbn_output_writers w;
    w.total_ov_n = total_ov_n;
    w.total_ov_p = total_ov_p;
    w.species_maps = species_maps;
    w.total_chan_n = total_chan_n;
    w.total_chan_kn = total_chan_kn;
    w.total_chan_p = total_chan_p;
    w.species_linknodes = species_linknodes;
    qbn_derived_outputs(s, w);
}
