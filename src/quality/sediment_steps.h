// Overland sediment: the transport capacity of overland flow, the median
// diameter of a cell's material, and the per-step erosion, transport and
// deposition of every size class.
#pragma once

#include "core/arrays.h"

struct model_state;
struct sed_tally;

// Sediment density (kg/m3) that turns detached masses into volumes.
constexpr double sediment_density = 2645.23;

// The size classes seen by the capacity formulas: diameters (mm) and
// specific gravities, entries 1..n.
struct sed_class_set {
    int n = 0;
    const double* diam = nullptr;
    const double* spec_grav = nullptr;
};

// Median diameter (micrometres) of cell c's suspended load, else its
// deposits, else its parent soil; refreshes the class fractions of the
// material used (sed_fract[c][m][2] or [3]). vol is the cell's row of
// volumes, classes 0..n.
double ov_sed_d50(int c, const sed_class_set& cls, const sed_tally* vol, dcube& sed_fract);

// Sediment volume (m3) that overland flow of unit discharge q (m2/s) and
// depth h (m) on slope S can carry out of cell c in a step of dt seconds,
// by erosion method 1..6. K is the cell's capacity coefficient (methods 1
// and 2), V = dt dx / sediment_density and F the blockage factor (1 when
// nothing blocks the flow). Method 1 writes the suspended and deposited
// totals into class 0 of vol; methods 1 and 3..6 refresh sed_fract.
double ov_transport_capacity(int method, int c, double S, double h, double q, double dt, double dx,
                             const sed_class_set& cls, sed_tally* vol, dcube& sed_fract, double K, double V,
                             double F);

// What one cell's detachment works on.
struct sed_detach_cell {
    sed_tally* vol;      // the cell's volumes, classes 0..n
    double* eroded;      // the cell's row of ov_sed_vol_eroded, classes 0..n
    const double* fract; // parent-soil fraction of class m at fract[m * stride]
    int stride;
    int n;
    bool channel; // a channel cell re-suspends deposits but never loses parent soil
};

// Raindrop splash of rain I (mm/h) on water h (m) deep with splash
// coefficient Ks and rain class a, b, over area A (m2) in dt seconds:
// deposits are re-suspended first, parent soil only beyond them.
void ov_splash_detach(const sed_detach_cell& c, double I, double h, double Ks, double a, double b, double dt,
                      double A);

// Detachment by flow on slope S at depth h, limited by the capacity C;
// A is the open area of the cell (m2).
void ov_flow_detach(const sed_detach_cell& c, double S, double h, double coef, double expo, double crit,
                    double C, double dt, double A);

// One overland sediment step of dt seconds after the overland routing:
// detachment, transport across the cell faces, settling, output arrays and
// the check for values that are not numbers (which stops the run).
void ov_sediment_transport(model_state& s, double dt);

// The overland step's follow-up: net deposition into ov_qsvol, the ground
// raised or lowered with ADJUST_ELEV, and the step volumes cleared unless
// soil constituent transport reads them.
void ov_sediment_book_step(model_state& s);

// A channel lake floods cell `cell`: the sediment suspended over it joins
// lake `lake`'s inflow from the land (sand also settles on the cell), as
// with channel sediment transport; nothing without it.
void lake_takes_cell_sediment(model_state& state, int lake, int cell);
