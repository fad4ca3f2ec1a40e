// Constituents in the channels beside the dissolved routing: the mass
// attached to the wash load, its split between water and sediment at the
// nodes and in the lakes, and the loads exchanged with the aquifer through
// the stream and lake beds.
#pragma once

struct model_state;

// Link kinds of the channel constituent steps: a lake-like link is a lake
// link or a section link a lake has captured; a routed link is neither
// lake-like nor a structure.
bool con_lake_like_link(const model_state& s, int link);
bool con_routed_link(const model_state& s, int link);

// Moves constituent i's attached mass with the wash load over dt seconds:
// leaves in chan_sed_con_out the attached mass (g) that left each node,
// updates the nodes' total masses, books what the channels carry into and
// out of each lake in chan_lake_sed_source, and brings each lake's total
// up to date with its inputs and the attached mass settled in the step.
void chan_sed_con_route(model_state& s, double dt, int i);

// Splits constituent i's total mass between the water and the wash load of
// every routed node (Kd of the channels) and of every lake.
void chan_con_partition(model_state& s, int i);
void lake_con_partition(model_state& s, int i);

// Constituent i's mass attached to the lakes' suspended sediment (g): each
// lake's total of both phases less its dissolved mass, as the dissolved
// routing leaves them.
double lake_attached_mass(const model_state& s, int i);

// Constituent i's exchange with the aquifer through the stream beds over
// dt seconds (g, positive into the channel): with a water table by the
// exchanged volume of each stream cell at the aquifer's concentration when
// it enters and the node's when it leaves; without one by the node's
// river-aquifer flow at the node's concentration.
void chan_gw_con_exchange(model_state& s, double dt, int i);

// Constituent i's exchange through the beds of the lakes that exchange with
// the aquifer, from each lake cell's exchanged volume.
void lake_gw_con_exchange(model_state& s, int i);
