// Infiltration members of the model state that belong to one run: the
// Green-Ampt suction term, the infiltration handed to the lumped models and
// the exfiltration of the groundwater-fed schemes.
#pragma once

#include "core/arrays.h"

struct infiltration_state {
    // Capillary head x (porosity - initial water content) per cell, m. Sized
    // with the cell arrays and filled at the run's first Green-Ampt pass, so
    // every run (batch, calibration) computes its own.
    dvec psi_dtheta;
    int psi_dtheta_ready = 0;
    int inf_event_active = 0;   // cleared when the clock is parked on the next event
    double sac_inf_acc = 0.0;   // m summed over cells, for the Sacramento model
    double cgw_inf_acc = 0.0;   // m summed over cells, for the conceptual groundwater model
    dvec exfil_cell_depth;      // exfiltrated depth per cell for the groundwater step, m
    double gw_exfil_volume = 0.0; // exfiltrated depth of the cell in hand, m
    dvec gw_spec_yield;
    double evap_work = 0.0;     // evaporation of the last Richards step, m over the cells         // aquifer specific yield per cell (Richards exfiltration)
};
