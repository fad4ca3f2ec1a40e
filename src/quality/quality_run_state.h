// Water-quality members of the run bookkeeping: the nutrient object, the
// soil constituent work record, the overland sediment work record and the
// nutrient total files.
#pragma once

#include <memory>

#include "core/containers.h"
#include "core/file_rec.h"
#include "quality/qbn_model.h"
#include "quality/sediment_block.h"

// Work record of the soil constituent step, sized on its first call: the
// layer water contents of every cell ([cell][layer]) and, for the
// constituent being moved, its per-cell masses of the step (g: decay,
// leaching out of the column bottom, rise from the water table, negative
// layer masses set to zero, exfiltrated, infiltrated, exchanged with the
// surface water each way, handed by the sediment), summed in cell order so
// the totals do not depend on the thread count.
struct soil_layer_work {
    row_array<double> table;
    int row_count = -1; // -1: not yet sized
    int col_count = 0;
    int redist = 0; // the infiltration scheme the record was sized for
    checked_array<double> decay, gw_out, gw_in, clipped;
    checked_array<double> exfil, infil, to_ov, to_soil, sed;
};

// Empties the tables and arrays, clears the column count and switch and
// sets the row count to -1 (not yet sized).
void array_bundle_construct(soil_layer_work& w);
// Destroys the arrays, then the tables.
void soil_layer_work_destroy(soil_layer_work& w);

struct quality_run_state {
    int nutrients = 0;
    std::unique_ptr<qbn_model, qbn_model_deleter> qbn_object;
    int first_qbn_constituent = 0;
    std::unique_ptr<sediment_table> ov_sed;
    soil_layer_work soil_work;
};

// Destroys the nutrient object and frees it.
void qbn_object_free(quality_run_state& q);
