// The explicit channel routing and the overland-channel exchange.
#pragma once

#include "core/node_arrays.h"

struct model_state;

// Discharges between nodes from the current stages and conveyances, into q
// ([node][link]). Returns 0, or -1 after the negative outlet slope stop.
int chan_link_flows(model_state& state, dnode_mat& q, double dt_sub);

// New node areas from the discharges q and the lateral terms over one
// sub-step (area holds the old areas and receives the new). Returns the
// lateral inflow volume; lateral outflow (negative) is added to out_sum.
double chan_node_continuity(model_state& state, const dnode_mat& q, dnode_mat& area, double dt_sub,
                            double& out_sum);

// Lakes and channel nodes, once per routing call: a node whose cells a
// lake floods completely joins the lake (from the downstream end of its
// link), a node whose cells are dry again comes back (from the upstream
// end). Returns 0, or -1 after a stop.
int capture_lake_nodes(model_state& state);

// The lake volumes of one accepted sub-step: what the channels deliver
// into each lake and what leaves it through its structure.
void lake_substep_volumes(model_state& state, double dt_sub);

// Volumes of one routing call, m3.
struct route_volumes {
    double outlet = 0.0;
    double lateral_in = 0.0;
    double lateral_out = 0.0; // negative
    double bc_in = 0.0;
    double bc_out = 0.0; // overbank water withdrawn at specified-head cells
    double point_in = 0.0;   // point inputs and POINTSOURCE inflows
    double point_sink = 0.0; // POINTSOURCE outflows (positive)
};

// Routes the network over one channel time of dt seconds. Returns the
// stream-aquifer status of the last sub-step (stream_gw_exchange; 0 without
// STREAM_LOSS) or -1 after a stop.
int ex_flow_route(model_state& state, double dt, route_volumes& out);

// Sizes and clears the routing's work arrays for the current network.
void chan_route_work_reset(model_state& state);

// Moves water between the grid cells and the channel nodes over dt seconds.
// Returns the volume the lumped soil models delivered. Specified-head
// boundary cells keep their depth: what they give the channel grows bc_in,
// what the channel spills into them grows bc_out (m3).
double overland_channel_exchange(model_state& state, double dt, double& bc_in, double& bc_out);
// Adds the lumped models' discharge (Sacramento, conceptual groundwater) to
// the lateral inflow of the channel nodes; returns the volume over dt (m3).
double lumped_channel_inflow(model_state& state, double dt);

// Weir submergence factor of the ratio x = (downstream / upstream head)^1.5.
double weir_submergence_factor(double x);

// Puts the boundary depth on the outlet node. Returns 0.
int stream_head_boundary(model_state& state);
