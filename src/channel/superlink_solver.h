// The pipe-network solver (the superlink method) and its parts.
#pragma once

struct model_state;

// Totals of one solver call.
struct superlink_call_totals {
    double vin = 0.0;      // m3 into the network from inlets and drains
    double vout = 0.0;     // m3 out through outlets and releases
    double captured = 0.0; // m3 taken from the overland cells (the caller's accumulator)
    bool failed = false;   // a depth routine stopped the run
};

// Advances the network over dt seconds. call is 0 for the first call of
// the run, 1 for the first call of a later event. Returns 0; -9 when the
// first call cannot create "superlink_flows.out"; -1 when a depth routine
// or the junction matrix failed (code 4000 set).
int superlink_solve(model_state& s, int call, double dt, double& captured);

// Inlets and releases of superjunctions and interior nodes before the
// sub-steps, and the drains' inflow.
void superlink_surface_inlets(model_state& s, double dt, superlink_call_totals& tot);

// One sub-step of dtau seconds over every superlink and the junction
// matrix. False after a failure that stops the run.
bool superlink_substep(model_state& s, double dtau, superlink_call_totals& tot);

// Sub-step length for a Courant limit of pc seconds over a step of dt
// seconds (at least 1 s unless the step is shorter), and the length of the
// sub-step that starts at tau.
double superlink_first_substep(double pc, double dt);
double superlink_substep_length(double dtau, double tau, double dt);

// Volume held in the pipes, the nodes and the superjunctions, m3.
double superlink_network_volume(const model_state& s);
