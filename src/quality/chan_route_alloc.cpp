// The dissolved routing's accumulators, totals and scheme arrays, sized once
// per run for its constituents, network and threads.
#include <omp.h>

#include "core/model_state.h"
#include "quality/chan_route_state.h"

bool chan_route_alloc(model_state& s, int c)
{
    dvec* rows[] = {&s.chan_outlet_dmt,
                    &s.chan_point_dmt,
                    &s.chan_decay_dmt,
                    &s.chan_ov_dmt,
                    &s.chan_gw_dmt,
                    &s.chan_sed_exchange_dmt,
                    &s.chan_qbn_gain_dmt,
                    &s.chan_qbn_loss_dmt,
                    &s.chan_to_lake_dmt,
                    &s.lake_outlet_dmt,
                    &s.lake_precip_dmt,
                    &s.lake_gw_dmt,
                    &s.lake_decay_dmt,
                    &s.lake_qbn_dmt,
                    &s.lake_ov_dmt,
                    &s.lake_chan_exchange_dmt,
                    &s.lake_point_dmt,
                    &s.lake_sed_contam_dmt,
                    &s.chan_outlet_flux_total,
                    &s.chan_point_mass_total,
                    &s.chan_decay_mass_total,
                    &s.chan_ov_mass_total,
                    &s.chan_gw_mass_total,
                    &s.chan_sed_exchange_total,
                    &s.chan_qbn_gained_total,
                    &s.chan_qbn_lost_total,
                    &s.chan_to_lake_mass_total,
                    &s.lake_outlet_mass_total,
                    &s.lake_point_mass_total,
                    &s.lake_decay_mass_total,
                    &s.lake_gw_mass_total,
                    &s.lake_precip_mass_total,
                    &s.lake_chan_exchange_total,
                    &s.lake_ov_mass_total,
                    &s.lake_qbn_gained_total,
                    &s.lake_qbn_lost_total,
                    &s.LAKE_SED_CONTAM_SOURCE_MASS,
                    &s.chan_clip_mass_total,
                    &s.chan_clip_mass_event,
                    &s.chan_attached_clip_total,
                    &s.lake_clip_mass_total,
                    &s.lake_clip_mass_event,
                    &s.chan_outlet_acc};
    for (dvec* v : rows)
        if (!dvector_alloc_zero(*v, c, "channel constituent accumulator"))
            return false;
    // The nutrient gains and losses of the whole run, shared with the land.
    for (checked_array<double>* a : {&s.global_qbn_gain_mass, &s.global_qbn_loss_mass})
        if (a->cap < c)
            checked_array_grow(*a, c - a->cap);
    return chan_wq_setup(s, omp_get_max_threads());
}
