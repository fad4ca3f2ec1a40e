// Start of a run inside the host environment: the process clocks start at
// the event, and the maps the co-run model wrote first replace the soil and
// surface parameters.
#include "coupling/coupling_steps.h"

#include "core/error_state.h"
#include "core/model_state.h"
#include "coupling/host_exchange.h"

void read_exchange_maps(model_state& s)
{
    if (s.qnt_event_num) {
        s.ov_next = s.inf_last = s.chan_last = s.current_time;
        s.inf_next = s.chan_next = s.current_time + s.dt_days;
        s.ov_last = s.current_time - s.dt_days;
        if (s.ov_con_trans) {
            s.contam_next = s.current_time;
            s.contam_last = s.current_time - s.dt_days;
        }
    }
    if (!(s.qnt_mode && s.zebo_exchange && s.zebo_first))
        return;
    if (s.moist_from_zebo &&
        !read_exchange_grid(s, s.moist_from_zebo_name, "soil moisture", 1, s.dist_init_moisture))
        return;
    if (s.rough_from_zebo && !read_exchange_grid(s, s.rough_from_zebo_name, "roughness", 1, s.dist_rough))
        return;
    if (s.ksat_from_zebo) {
        if (!read_exchange_grid(s, s.ksat_from_zebo_name, "Ksat", 1, s.dist_ksat))
            return;
        for (int i = 1; i <= s.num_cells; ++i)
            s.dist_ksat[i] /= 360000.0;
    }
}
