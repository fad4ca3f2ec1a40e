// Records of the lumped subsurface models.
#pragma once

#include "core/arrays.h"

struct model_state;

// Sacramento soil-moisture accounting: capacities and contents in mm,
// drainage fractions per step.
struct sac_model {
    int num_basins = 0;
    double uztwm = 0.0; // upper-zone tension water capacity
    double uzfwm = 0.0; // upper-zone free water capacity
    double uzk = 0.0;   // upper-zone free water drainage fraction
    double zperc = 0.0; // percolation multiplier
    double rexp = 0.0;  // percolation exponent
    double lztwm = 0.0; // lower-zone tension water capacity
    double lzfsm = 0.0; // lower-zone supplementary free water capacity
    double lzfpm = 0.0; // lower-zone primary free water capacity
    double lzsk = 0.0;  // supplementary drainage fraction
    double lzpk = 0.0;  // primary drainage fraction
    double pfree = 0.0; // share of percolation going straight to free water
    double saved = 0.0; // lower-zone free water kept out of the tension transfer
    double uztwc = 0.0, uzfwc = 0.0, lztwc = 0.0, lzfsc = 0.0, lzfpc = 0.0; // contents
    double residual = 0.0;                                                  // balance residual, accumulated
    double outflow = 0.0;                                                   // outflow of the last step
    double pbase = 0.0;                                                     // lzfpm lzpk + lzfsm lzsk
};

// One Sacramento step: demand is the potential ET in (mm) and the actual
// ET out; input the infiltrated depth (mm). The outflow is left in the
// record.
void sac_land_phase(sac_model& model, double& demand, double input);

// Conceptual groundwater model: a slow and a fast store (mm), each draining
// a fixed fraction per step.
struct cgw_model {
    double slow_max = 0.0, fast_max = 0.0, slow_rate = 0.0, fast_rate = 0.0;
    double slow_content = 0.0, fast_content = 0.0, underflow_percent = 0.0;
    double spare = 0.0;
    double outflow = 0.0; // outflow of the last step, mm
    double max_out = 0.0; // fast_max fast_rate + slow_max slow_rate
};

// One reservoir step with input (mm): returns the outflow (mm), the slow
// and fast parts in the two outputs.
double congw_reservoir_step(double input, cgw_model& model, double& slow_out, double& fast_out);

// Topographic index ln(a / sum(tan b L)) and upslope contributing area (m2)
// of every cell, by multiple-flow-direction accumulation over the
// elevation grid; mask holds the cell number of each row and column. Both
// print their failure and set code 4000; upslope_area also writes the
// diagnostic "upslope.out".
bool topodex(const dvec& elev, const imat& mask, dvec& out, int rows, int cols, double dx);
bool upslope_area(const dvec& elev, const imat& mask, dvec& out, int rows, int cols, double dx);

// Channel weights of the lumped models' discharge, called by the channel
// set-up; failures print their lines and set code 4000.
void compute_sacramento_weights(model_state& state);
void compute_cgw_weights(model_state& state);
