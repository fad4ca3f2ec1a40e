#include "quality/quality_run_state.h"

void qbn_object_free(quality_run_state& q)
{
    q.qbn_object.reset();
}

void array_bundle_construct(soil_layer_work& w)
{
    soil_layer_work_destroy(w);
    w.row_count = -1;
    w.col_count = 0;
    w.redist = 0;
}

void soil_layer_work_destroy(soil_layer_work& w)
{
    for (checked_array<double>* a :
         {&w.sed, &w.to_soil, &w.to_ov, &w.infil, &w.exfil, &w.clipped, &w.gw_in, &w.gw_out, &w.decay})
        checked_array_destroy(*a);
    row_array_destroy(w.table);
}
