// The loads of the dissolved channel routing: the source rates of nodes
// and lakes drawn from the accumulated loads, and first-order decay.
#pragma once

struct model_state;

// The parts of the loads a constituent's nodes took in one routing step (g),
// summed over the nodes before they join the step accumulators.
struct chan_source_terms {
    double point = 0.0, outlet = 0.0, ov = 0.0, gw = 0.0, decay = 0.0;
    double qbn_gain = 0.0, qbn_loss = 0.0, sed = 0.0;
};

// Net source rate (g/s) of node j (flat index) of constituent i over a
// routing step of dt seconds; outlet marks the outlet node. The parts taken
// are added to `taken`.
double chan_con_sources(model_state& state, int i, int j, double dt, bool outlet, chan_source_terms& taken);

// Net source rate (g/s) of lake k of constituent i over a routing step of dt
// seconds; every lake load is taken whole into its step accumulator.
double lake_con_sources(model_state& state, int i, int k, double dt);

// First-order decay of constituent i over dt seconds: the decay mass of
// every node of the routed links into chan_mass and of every lake into
// lake_decay_mass. Returns false when a node area was negative.
bool chan_con_decay(model_state& state, int i, double dt);
