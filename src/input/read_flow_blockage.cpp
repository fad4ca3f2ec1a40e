// Blocked fraction of every cell and of each of its four sides, from the
// OVR_FLOW_BLOCK table.
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"

void read_flow_blockage(model_state& s)
{
    if (!s.ovr_flow_block || !s.mapping_table_given || !s.mapping_table_flags[mt_ovr_flow_block])
        return;
    const int n = s.num_cells;
    dvec sides[4];
    for (dvec& v : sides)
        dvector_alloc_zero(v, n, "blockage side");
    reader_echo(s, echo_rule::normal, "reading overland blockage table and map from master table file\n");
    table_destinations dest{&s.ov_block_frac, &sides[0], &sides[1], &sides[2], &sides[3]};
    read_state_mapping_table(s, tc_ovr_flow_block, dest);
    if (run_stopped() || !s.ovr_flow_block_frac)
        return;
    for (int i = 1; i <= n && i <= s.ovr_flow_block_frac.rows(); ++i)
        for (int side = 1; side <= 4; ++side)
            s.ovr_flow_block_frac[i][side] = sides[side - 1][i];
}
