#include "subsurface/subsurface_steps.h"

#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/infiltration.h"
#include "subsurface/soil_tables.h"

namespace
{

// Between storms of a long-term run with soil accounting, the clock (and the
// constituent clocks that follow it) waits for the next event's first
// overland step.
void park_on_next_event(model_state& s)
{
    if (!s.soil_water_acct || s.surface_active || s.ov_wet || s.gw_exfil_any || s.event_active)
        return;
    // Point sources may start the redistribution state again before the
    // next event.
    if (s.inf_redist)
        s.inf_event_active = s.redist_initialised = 0;
    s.inf_next = event_start_time(s, s.event_num + 1) + s.ov_dt_days;
    if (s.ov_con_trans) {
        s.precip_load_next = s.contam_next = s.inf_next;
        if (s.contam_table_read)
            s.soil_exch_next = s.ov_loss_next = s.inf_next;
    }
}

// The Richards columns over the step, their evaporation and the surface
// water content of every cell outside an overland lake.
bool richards_step(model_state& s, double dt)
{
    s.evap_work = richards_solve(s, dt);
    if (run_stopped())
        return false;
    const double area = s.gridsize * s.gridsize;
    s.evap_event += s.evap_work * area;
    s.evap_total += s.evap_work * area;
    const int n = s.num_cells;
    const bool lakes = s.overland_lake_on && s.oland_lake_new.size() >= n;
    for (int i = 1; i <= n && i <= s.soil_moisture.size(); ++i)
        if (!(lakes && s.oland_lake_new[i] > 0))
            s.soil_moisture[i] = s.THETA[i][1];
    return true;
}

} // namespace

// Moves ponded water into the soil with the one scheme the project selects,
// lets groundwater above the surface out again, books the infiltrated water
// and sets the next infiltration time. The step is the time since the last
// pass, not the nominal interval.
void infiltration_step(model_state& s)
{
    if (!(s.inf_redist == 1 || s.green_ampt == 1 || s.inf_layered_soil == 1 || s.inf_richards == 1))
        return;
    if (!process_due(s, s.inf_next))
        return;
    const double dt = (s.current_time - s.inf_last) * 86400.0;
    const bool exfil = s.gw_exfil_any == 1;
    if (s.inf_redist == 1) {
        if (!gar_step(s, dt, s.inf_step_count))
            return;
        ++s.inf_step_count;
        if (exfil)
            exfiltrate(s, dt, exfil_scheme::redistribution);
    } else if (s.green_ampt == 1) {
        if (!green_ampt_step(s, dt))
            return;
    } else if (s.inf_layered_soil == 1) {
        if (!layered_green_ampt_step(s, dt))
            return;
        if (exfil)
            exfiltrate(s, dt, exfil_scheme::multi_layer);
    } else {
        if (exfil)
            exfiltrate(s, dt, exfil_scheme::richards);
        if (!richards_step(s, dt))
            return;
    }
    book_infiltration(s);

    s.inf_last = s.current_time;
    s.inf_next = next_on_phase(s, s.inf_next, s.inf_dt_days);
    park_on_next_event(s);
}
