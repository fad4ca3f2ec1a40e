// The pipe network's link/node files at an output time: node flows
// (PIPE_FLOW), node depths (PIPE_HEAD) and drain inflows (PIPE_TILE), one
// row per superlink in the link/node layout.
#include <cstdio>

#include "core/model_state.h"
#include "output/output_steps.h"

namespace
{

// One output time of a file. A row states nnodes + 1 entries; a quantity
// that has values only for nodes 1..nnodes fills the last entry as absent.
void write_superlink_step(const model_state& s, file_rec& f, int& step, const dmat& values, bool end_node)
{
    if (!f.fp)
        return;
    std::fprintf(f.fp, "TS    %d\n", step++);
    for (int l = 1; l <= s.num_slink; ++l) {
        const int n = s.nnodes[l];
        std::fprintf(f.fp, "%d   ", n + 1);
        const double* row = values[l];
        for (int j = 1; j <= n; ++j)
            std::fprintf(f.fp, "1  %6.5lf   ", row[j]);
        if (end_node)
            std::fprintf(f.fp, "1  %6.5lf   ", row[n + 1]);
        else
            std::fprintf(f.fp, "0  -999.999   ");
        std::fprintf(f.fp, "\n");
    }
    std::fprintf(f.fp, "\n");
}

} // namespace

void write_superlink_linknode_step(model_state& s)
{
    if (!s.storm_sewer || s.Q_node.empty())
        return;
    if (s.pipe_flow_given)
        write_superlink_step(s, s.pipe_flow_file, s.superlink_flow_ts, s.Q_node, false);
    if (s.pipe_head_given)
        write_superlink_step(s, s.pipe_head_file, s.superlink_head_ts, s.slink_node_depth, true);
    if (s.pipe_tile_given && s.tile_drains == 1)
        write_superlink_step(s, s.pipe_tile_file, s.superlink_tile_ts, s.superlink_tile_flow, false);
}
