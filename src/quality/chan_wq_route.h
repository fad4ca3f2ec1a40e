// The Courant-limited routing scheme of the dissolved channel constituents:
// upwind advection and dispersion between consecutive nodes, iterated flux
// averaging within each sub-step, node areas and lake volumes interpolated
// across the step, lakes fed by their upstream links and drained through
// their downstream link.
//
// Node vectors use the flat numbering link x node_dim + node. The network
// view (chan_wq_net) is filled once per routing step and read by every
// constituent; each thread routes its constituents in its own work record
// (chan_wq_work). Both are sized per run, so a step allocates nothing.
#pragma once

#include <vector>

struct model_state;

// Link kinds of the routing.
enum chan_wq_kind : int { wq_routed = 0, wq_lake = 1, wq_structure = 2 };

// What every constituent of one routing step reads: the link kinds and node
// counts, the water that left each node downstream over the step, the node
// areas at the start and end of the step and the lake volumes.
struct chan_wq_net {
    int links = 0, node_dim = 0, lakes = 0;
    std::vector<int> kind;     // per link
    std::vector<int> nodes;    // nodes routed per link
    std::vector<int> lake;     // lake of a lake-like link (0 when none)
    std::vector<double> dx;    // node spacing per link, m
    std::vector<double> qv;    // flat: m3 that left the node downstream over the step
    std::vector<double> a_old; // flat: node area at the start of the step, m2
    std::vector<double> a_new; // flat: node area at the end of the step, m2
    std::vector<double> v_old; // per lake: volume at the start of the step, m3
    std::vector<double> v_new; // per lake: volume at the end of the step, m3
};

// One constituent's routing: its node and lake vectors (in and out) and
// the scheme's own arrays.
struct chan_wq_work {
    // Filled by the caller, read back after the routing.
    std::vector<double> C, M, K, S;             // flat: g/m3, g, m2/s, g/s
    std::vector<double> lake_C, lake_M, lake_S; // per lake: g/m3, g, g/s
    // The scheme's arrays.
    std::vector<double> area_adt;       // flat: interpolated node area
    std::vector<double> c0, m0;         // flat: state at the start of the sub-step
    std::vector<double> c_step, m_step; // flat: state at the start of the step
    std::vector<double> lake_C_step, lake_M_step;
    std::vector<double> F, Fd;              // flat: face fluxes of the latest concentrations
    std::vector<double> Fa, Fda;            // flat: averaged face fluxes
    std::vector<double> c_it, m_it, c_prev; // flat: iterates
    std::vector<double> lost;               // flat: mass dropped by an update at a dry node
    std::vector<double> V;                  // per lake: interpolated volume
    // Results of the step beside the vectors.
    std::vector<double> lake_in, lake_out; // per lake: g from and to the channels
    double to_lake = 0.0;                  // g the channels gave to lakes
    double lake_outlet = 0.0;              // g the lakes gave to the channels
    double removed = 0.0;                  // g taken out at dry nodes, net of clipped negatives
    int substeps = 0;                      // accepted sub-steps of the step
    int iterations = 0;                    // flux iterations of the step
    double last_h = 0.0;                   // length of the last accepted sub-step, s
};

// The routing's arrays of one run: the network view and one work record per
// thread.
struct chan_wq_state {
    chan_wq_net wq_net;
    std::vector<chan_wq_work> wq_work;
};

// Sizes the network view and `threads` work records for the network of the
// current run. False (after "Error allocating memory for variable %s") when
// the memory cannot be had.
bool chan_wq_setup(model_state& state, int threads);

// True when the arrays hold the network of the current run.
bool chan_wq_sized(const model_state& state);

// Fills the network view for a routing step from the state's node areas,
// qp_vol and lake volumes.
void chan_wq_net_fill(const model_state& state, chan_wq_net& net);

// Routes one constituent over dt seconds. 0 when done, -1 when the sub-step
// collapsed below 0.01 s (the caller prints the three lines and stops the
// run with code 4000).
int chan_wq_route(const chan_wq_net& net, const model_state& state, chan_wq_work& w, double dt);

// Face fluxes from the concentrations c over a sub-step h of the step dt:
// F, the advective mass from a node to the next node downstream, and Fd, the
// dispersive rate (g/s) of the same face, both stored at the face's upstream
// node.
void chan_wq_fluxes(const chan_wq_net& net, const model_state& state, const std::vector<double>& c,
                    const std::vector<double>& K, const std::vector<double>& lake_C, double h, double dt,
                    std::vector<double>& F, std::vector<double>& Fd);

// Node masses and concentrations after a sub-step h from the start masses
// m_start and the fluxes; a node of no volume holds nothing (its mass goes to
// lost). Returns the smallest node mass before any clipping.
double chan_wq_update(const chan_wq_net& net, const model_state& state, const std::vector<double>& area_adt,
                      const std::vector<double>& m_start, const std::vector<double>& F,
                      const std::vector<double>& Fd, const std::vector<double>& S, double h,
                      std::vector<double>& m, std::vector<double>& c, std::vector<double>& lost);

// Lake masses and concentrations after the sub-step h: the averaged
// advective masses of the faces into and out of each lake and its source
// rate; the exchanges are added to the work record's lake totals. A lake of
// no volume has concentration 0.
void lake_wq_update(const chan_wq_net& net, const model_state& state, chan_wq_work& w, double h);
