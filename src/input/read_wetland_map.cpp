// Wetlands from the WETLAND_PROPERTIES table of the mapping table.
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"

void read_wetland_map(model_state& s)
{
    if (!s.mapping_table_given || !s.mapping_table_flags[mt_wetlands])
        return;
    ivector_alloc_zero(s.wetland_mask, s.num_cells, "wetland_mask");
    if (!read_wetland_table(s, s.mapping_table_name, s.wetland_count, s.wetland_props, s.wetland_mask))
        return;
    reader_echo(s, echo_rule::with_trials, "Simulating wetlands\n");
}
