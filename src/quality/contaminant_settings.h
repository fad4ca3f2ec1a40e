// Contaminant switches and coefficients copied from the project cards.
#pragma once

struct contaminant_settings {
    int ov_con_sub = 0; // overland constituent sub-switch
    int soil_static_conc = 0;
    int sediment_contam = 0;
    double ov_decay_coef = 0.0;
    double ov_disp_coef = 0.0;
    double ov_mass_load = 0.0;
    double ov_uptake_rate = 0.0;
    double kinetics_timestep_factor = 0.0;
    int contam_table_read = 0; // the contaminant table of the mapping table was read
};
