// The dissolved channel routing's members of the model state: the step
// accumulators of each process (g), their run totals (kg), the outlet
// accumulator, the sub-step lengths of the processes that fill the
// routing's loads, and the routing scheme's arrays.
#pragma once

#include "core/arrays.h"
#include "quality/chan_wq_route.h"

struct chan_route_state : chan_wq_state {
    // Step accumulators per constituent (g), booked and cleared at the end
    // of each constituent's routing step.
    dvec chan_outlet_dmt, chan_point_dmt, chan_decay_dmt, chan_ov_dmt, chan_gw_dmt, chan_sed_exchange_dmt;
    dvec chan_qbn_gain_dmt, chan_qbn_loss_dmt, chan_to_lake_dmt, lake_outlet_dmt;
    dvec lake_precip_dmt, lake_gw_dmt, lake_decay_dmt, lake_qbn_dmt, lake_ov_dmt, lake_chan_exchange_dmt;
    dvec lake_point_dmt, lake_sed_contam_dmt;
    // Run totals per constituent (kg).
    dvec chan_outlet_flux_total, chan_point_mass_total, chan_decay_mass_total, chan_ov_mass_total;
    dvec chan_gw_mass_total, chan_sed_exchange_total, chan_qbn_gained_total, chan_qbn_lost_total;
    dvec chan_to_lake_mass_total, lake_outlet_mass_total, lake_point_mass_total, lake_decay_mass_total;
    dvec lake_gw_mass_total, lake_precip_mass_total, lake_chan_exchange_total, lake_ov_mass_total;
    dvec lake_qbn_gained_total, lake_qbn_lost_total; // LAKE_SED_CONTAM_SOURCE_MASS is with the attached phase
    // Mass taken out of the channels and lakes where a node dries or a
    // negative mass is set to zero (kg, net: positive when mass was removed),
    // for the run and the event.
    dvec chan_clip_mass_total, chan_clip_mass_event, lake_clip_mass_total, lake_clip_mass_event;
    // Attached mass the emptying of the channel at an event start took from
    // the nodes (kg), for the run.
    dvec chan_attached_clip_total;
    // Mass that left through the outlet node since the last routing step (g).
    dvec chan_outlet_acc;
    // Lengths of the last sub-steps of the processes that fill the loads (s;
    // chan_load_dt and ov_chan_exch_dt are kept by the processes themselves).
    double chan_outlet_dt = 0.0, chan_kin_dt = 0.0;
    double chan_qbn_dt = 0.0; // days
};

// Sizes the accumulators and totals of `constituents` constituents and the
// routing scheme's arrays for the network of the current run. False when
// memory ran out (the run stops).
bool chan_route_alloc(model_state& state, int constituents);
