// The soil-water accounting column: a one- or two-layer bucket per cell that
// carries the infiltrated water between events, drains it downwards and
// gives up evapotranspiration. Depths in cm.
#pragma once

struct model_state;

// Water-content limits of one layer of the column.
struct column_layer {
    double ths = 0.0; // saturated
    double thr = 0.0; // residual
    double fc = 0.0;  // field capacity
    double wp = 0.0;  // wilting point
};

// Soil of one column. Drainage conductivities are depths over the step (cm);
// the exponents are 2 + 3/lambda. A second factor of a layer (k2 >= 0) makes
// its drainage the geometric mean of the two forms.
struct column_soil {
    double split = 0.0; // depth of the upper layer, cm
    double full = 0.0;  // full column depth the ET shares are taken over, cm
    column_layer up, low;
    double k_up = 0.0, e_up = 0.0, k_up2 = -1.0, e_up2 = 0.0;
    double k_low = 0.0, e_low = 0.0, k_low2 = -1.0, e_low2 = 0.0;
    bool limit_upper = false;      // upper drainage at most the lower layer's conductivity
    bool own_lower_factor = false; // Deardorff: lower ET factor from the lower layer's own water
};

// The column's state: depth (to the water table or the column's greatest
// depth) and water of the upper and lower layers, cm.
struct column_water {
    double depth = 0.0;
    double top = 0.0;
    double low = 0.0;
};

// What one step did to the column, cm.
struct column_flux {
    double et = 0.0;        // evapotranspiration, including the groundwater share
    double from_gw = 0.0;   // the part of it taken from the recharge
    double top_drain = 0.0; // out of the upper layer
    double bottom = 0.0;    // out of the column bottom
    bool updated = false;   // the column took in its input (false for an exfiltrating cell)
    bool now_exfil = false; // a column of no depth: the cell exfiltrates from now on
};

// One accounting step of one column: input (cm) enters, demand (cm) is the
// potential evapotranspiration left after the pond (0 when none is taken).
column_flux soil_column_step(const column_soil& soil, column_water& water, double input, double demand,
                             bool deardorff, bool exfiltrating);

// The per-cell passes of the two schemes (redistribution: parameters per
// cell; multi-layer: per soil type). Return the evaporated depth, m summed
// over cells (ponded water and soil).
double soil_moisture_et_cells(model_state& s, double dt);
double soil_moisture_et_soiltypes(model_state& s, double dt);
