// Soil-column constituent transport: the constituent layers of a cell, their
// water contents under the infiltration schemes, decay of the dissolved part
// and the movement of dissolved mass with the water that crossed the layer
// interfaces since the last soil step.
#pragma once

struct model_state;

constexpr int soil_max_layers = 3;

// The constituent layers of one cell: count, thickness (m) and the porosity
// that sorbs and that turns a layer mass into a concentration (slots 1..3).
struct soil_cell_layers {
    int count = 0;
    double thick[soil_max_layers + 1] = {};
    double porosity[soil_max_layers + 1] = {};
};

// One cell's column while one constituent is moved: layer masses (g),
// concentrations (mg/kg), dissolved fractions and water contents.
struct soil_cell_column {
    double mass[soil_max_layers + 1] = {};
    double conc[soil_max_layers + 1] = {};
    double frac[soil_max_layers + 1] = {};
    double theta[soil_max_layers + 1] = {};
};

// What one cell's column passed in one soil step (g): out of the column
// bottom, up from the water table, out of the column top, and the mass a
// negative top layer was given when set to zero.
struct soil_cell_flows {
    double gw_out = 0.0, gw_in = 0.0, exfil = 0.0, clipped = 0.0;
};

// The run's soil constituents sit over Richards columns: one layer, the
// mixing layer, whose water comes from the top nodes of each column.
bool soil_over_richards(const model_state& s);

soil_cell_layers soil_cell_geometry(const model_state& s, int cell);

// Water content of the layer over the top of a cell's Richards column, `depth`
// m deep.
double richards_layer_theta(const model_state& s, int cell, double depth);

// Water content of layer k of m under Green-Ampt with redistribution.
double redist_layer_theta(const model_state& s, int cell, int k, int m);

// Water contents (theta) and saturated contents (thetas), slots 1..count,
// of a cell's layers under the multi-layer scheme.
void layered_layer_theta(const model_state& s, int cell, const soil_cell_layers& g, double* theta,
                         double* thetas);

// Dissolved fraction of a layer holding water content theta.
double soil_dissolved_fraction(double theta, double porosity, double kd);

// Mass of soil concentration: g of a layer to mg/kg.
double soil_layer_conc(const soil_cell_layers& g, int k, double mass, double cell_area);

// Decays the dissolved part of layer k over dt seconds; returns the loss (g).
// With SOIL_STATIC_CONC the mass stays and nothing is lost.
double soil_layer_decay(const model_state& s, int constituent, int cell, int k, const soil_cell_layers& g,
                        double dt, soil_cell_column& col);

// Moves constituent i's dissolved mass of one cell between its layers, out
// of the column bottom and, while the cell exfiltrates, up to the surface.
soil_cell_flows soil_layer_transport(const model_state& s, int constituent, int cell,
                                     const soil_cell_layers& g, soil_cell_column& col);

// THETA of every cell's constituent layers for the nutrient soil pools.
void fill_soil_layer_theta(model_state& s);
