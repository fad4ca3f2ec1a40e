// Channel sand: the sediment arrays of the network, the sand transport
// capacity of the flow (Yang's unit-stream-power equation), the sand moved
// between nodes, into lakes and out of the outlet, and the bed change of
// erodible trapezoidal links.
#pragma once

struct model_state;

// Sand concentration (parts per million by weight) that flow of mean
// velocity V (m/s) carries on energy slope S over hydraulic radius R (m),
// for sand of diameter d (m) settling at ws (m/s) in water of kinematic
// viscosity nu (m2/s); 0 below the critical velocity or the smooth-bed
// limit. vc_ratio receives the critical-velocity ratio Vc / ws.
double yang_sand_concentration(double R, double S, double V, double d, double nu, double ws,
                               double& vc_ratio);

// Area and wetted perimeter of the break-point section of a node at depth
// (m), interpolated in its depth table.
void bp_table_lookup(const model_state& s, int node, int link, double depth, double& A, double& P);

// Creates the channel and lake sediment arrays and the initial erodible
// sand layer of every erodible node (channel set-up, with channel sediment).
void alloc_channel_sediment(model_state& s);

// Lateral sediment of the overland-channel exchange (channel step): the
// suspended and deposited volumes of every channel cell, by its share of
// each grid-stream entry, are taken from the cell and added to the node's
// lateral sediment and the channel inflow totals. Lateral sand waits in
// the node until the node is wet. A volume that is not a number stops the
// run. Water leaving a node over the bank (OVERBANK_FLOW) takes the node's
// wash load at its concentration back onto the cell over the step of dt
// seconds. With SEDIMENT_CONTAM the constituent mass attached to the
// sediment moves with it (chan_qlat_sed_mass, signed, and the attached
// inflow totals), and what channel cells' deposits held for the channels
// and did not give joins the soil exchange (sed_con_work).
void chan_lateral_sediment(model_state& s, double dt);

// One channel step of dt seconds: capacity at every node, sand moved up to
// it slot by slot, node totals and the bed elevation of erodible
// trapezoidal links. A transport rate that is not a number stops the run.
void chan_sed_transport(model_state& s, double dt);

// Event start: clears the channel sediment totals of the event and sums the
// sand and wash load the channels hold.
void chan_sediment_event_start(model_state& s);

// Wash load of one channel step of dt seconds: the fine classes' lateral
// inflow joins the nodes, moves downstream with the water volumes
// qp_vol_sed (upwind predictor-corrector, never more than a node holds),
// and gives each node's wash-load discharge (qsmax), the outlet's
// (chan_wash_outlet) and the mass concentrations (chan_sed_conc).
void chan_constituent_transport(model_state& s, double dt);
