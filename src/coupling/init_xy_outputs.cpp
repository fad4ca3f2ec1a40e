// Opens the XY outputs of nested models when either XY output card is given.
#include "coupling/coupling_steps.h"

#include "core/error_state.h"
#include "core/model_state.h"
#include "coupling/coupling_services.h"

void init_xy_outputs(model_state& s)
{
    xy_output& out = s.cards.xy_out;
    if (!s.cards.xy_out.output_on)
        return;
    // A run without the groundwater process writes no groundwater file.
    const dvec* heads = s.gw_simulation && s.elevgw.size() >= s.num_cells ? &s.elevgw : nullptr;
    xy_output_open(out, s.grid_north, s.grid_west, s.rows, s.cols, s.gridsize, s.mask, &s.ov_depth, heads);
    if (run_stopped())
        return;
    const bool routed = s.chan_explicit && !s.qp.empty();
    find_inset_stream_crossings(out, routed ? s.channel_input_name : std::string(), routed ? &s.qp : nullptr);
}
