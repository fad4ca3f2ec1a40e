#include "core/model_state.h"

#include "calibration/calib_capture.h"
#include "coupling/kz_data.h"
#include "input/elev_series.h"
#include "input/replace_params.h"
#include "input/time_series.h"
#include "subsurface/wells.h"

model_state::model_state()
{
    model_state_construct(*this);
}

model_state::~model_state() = default;

model_state& model_state_construct(model_state& s)
{
    sediment_block_construct(s.sed);
    project_cards_construct(s.cards);
    run_params_construct(s.run);
    for (auto& rec : s.soil_layers) soil_layer_rec_clear(rec);
    array_bundle_construct(s.soil_work);
    map_series_construct(s.snow_temp_series);
    s.precip.kind = 0;
    s.precip.gauge_option = 1;
    constituent_state_name_arrays(s);

    s.qout_cfs_factor = 35.314667;
    s.float_maps_flag = 1;
    s.snow_darcy_f = -1.0;
    s.sweep_order = 1;
    s.ov_con_sweep = 1;
    s.lake_first_step = 1;
    s.overbank_factor = 0.01;
    s.chan_con_output_name = "con_output";
    s.rain_period_index = 1;
    s.snow_param_a = 3.0;
    s.snow_param_b = 0.67;
    s.snow_period_s = 3600;
    s.snow_param_c = 80.0;
    s.snow_param_d = 27.0;
    s.gw_sweep_order = 1;
    s.num_contam = -1;
    s.flush_buffer_lines = 5000;
    return s;
}

void model_state_destroy(model_state& s)
{
    if (s.calib_capture) calib_capture_release(*s.calib_capture);
    s.ov_sed.reset();
    kz_coupling_free(s.kz_coupling);
    ts_free_all();
    elev_series_free_all();
    wells_free();
    free_replace_params();
    qbn_object_free(s);
}
