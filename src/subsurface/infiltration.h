// The infiltration schemes called by infiltration_step.
#pragma once

struct model_state;
struct soil_layer_rec;

// Most Newton passes of one cell's Green-Ampt solution.
constexpr int green_ampt_max_passes = 50;

// One plain Green-Ampt pass over all cells for a step of dt seconds. The
// first pass of a run fills psi_dtheta and refuses cells whose parameters
// cannot give a solution. Returns false when the run must stop (the message
// is printed and the error code set).
bool green_ampt_step(model_state& state, double dt);

// One pass of Green-Ampt infiltration with redistribution over all cells for
// a step of dt seconds, the step-th infiltration step of the event. Returns
// false when the run must stop (a cell whose parameters cannot give a
// profile; the message is printed and the error code set).
bool gar_step(model_state& state, double dt, int step);

// One pass of multi-layer Green-Ampt infiltration over all cells for a step
// of dt seconds. Returns false when the run must stop (a cell whose soil
// cannot give a solution; the message is printed and the error code set).
bool layered_green_ampt_step(model_state& state, double dt);

// Moisture deficit of a layer; a saturated layer counts 1 % of its porosity
// so that the front can still move through it.
double layered_deficit(double porosity, double theta);

// Conductivity (cm/h) the front meets at depth `front` (cm) with f_cm of
// water infiltrated: the first layer's while the front is in it, else the
// harmonic mean over the wetted layers; layer receives the front's layer
// (1..3). A front exactly at a boundary belongs to the layer above.
double layered_keff(const soil_layer_rec& soil, const double* deficit, double f_cm, double front, int* layer);

// Clears the redistribution state of every cell for a new event and starts
// both profiles at the initial water content. In long-term runs the
// initial content comes from the accounting column (clipped into its
// residual..porosity range with a warning) and the cell's downward flux and
// direct evaporation move into their run totals; with avg_moisture, the mean
// of initial content / porosity over the cells is stored there (0 in event
// runs).
void reset_redistribution(model_state& state, double* avg_moisture);
// The snowmelt restart of a long-term run: the redistribution state of
// every cell starts again from the accounting column, without the run-total
// moves of an event start.
void restart_redistribution(model_state& state);
// The surface processes wake between events: with the redistribution
// scheme's front state not live (which it becomes) or the layered soils,
// the infiltration state of every cell starts again from the accounting
// column and the direct evaporation kept so far moves into its run total.
void restart_infiltration_from_column(model_state& state);

// The three layer water contents (THETA_ML) of layered-soil cell j from its
// accounting column: each layer's water over that layer's own thickness, a
// column not reaching below the first layer leaving the lower layers
// saturated, a column of no depth saturated throughout; every content is
// kept within its layer's residual and saturated contents. False when the
// cell's soil type is outside the table (nothing is written).
bool layered_moisture_from_column(model_state& state, int cell);

// The Richards columns through the dry gap before an event of a long-term
// run (not at the first step), with the evaporation it gives.
void richards_dry_gap(model_state& state);
// The Richards columns' event counters and the event's initial soil water.
void richards_event_start(model_state& state);

// Which scheme's row of the exfiltration table applies.
enum class exfil_scheme { redistribution, multi_layer, richards };

// Groundwater standing above the ground surface comes out again (or ponded
// water leaks down) over a step of dt seconds.
void exfiltrate(model_state& state, double dt, exfil_scheme scheme);

// The event's newly infiltrated depth of every cell, booked into the run
// total, the map depth and the hand-offs to the lumped models.
void book_infiltration(model_state& state);
