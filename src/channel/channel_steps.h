// Channel and pipe-network steps called by the run driver and the input hub.
#pragma once

struct model_state;

void setup_channels(model_state& state);
// The IN_SED_LOC list of channel nodes (with channel sediment), checked
// against the network and echoed to the OUT_SED_LOC file; false after a
// stop.
bool sed_location_list_read(model_state& state);
void connect_superlink_outlets(model_state& state);
void read_superlink_input(model_state& state);
// The superjunction and superlink-node output lists; false after a refusal.
bool read_superlink_locations(model_state& state);
// Inflow rate from the pipe network's outlets into a channel node over the
// channel time (m3/s), and the totals of those outlets after routing.
double superlink_chan_inflow(const model_state& state, int link, int node);
void superlink_chan_totals(model_state& state);
// Seepage between channels and aquifer: fills qriv per node and gst_qriv
// per grid-stream entry (m2/s, positive into the channel) with STREAM_LOSS,
// and lake_gw_rate per lake cell when lake beds exchange. 1 when a node
// gains from the aquifer, 2 when only wet nodes lose, else 0 (also after a
// break-point table error, reported).
int stream_gw_exchange(model_state& state);
// The lake-bed exchange of dt seconds at the rates stream_gw_exchange left
// in lake_gw_rate: every flooded cell of a lake with a bed (MLAKE) adds
// rate x dt x dx to its lake's volume (booked as lake inflow or outflow)
// and to the cell's lake_source for the groundwater step.
void lake_bed_volumes(model_state& state, double dt);
// Groundwater flow into the leaky pipes: adds each drain entry's inflow
// (m3/s) to Q_tile_grid of its cell and superlink_tile_flow of its node.
// 1 when it ran or stopped on an error (code 131 or 133, raised), 0 when no
// head stands above its pipe's water surface.
int tile_gw_exchange(model_state& state, double dt);
// Inflow (m3/s) into a drain of wall conductivity k (m/h), spacing and
// diameter (m), above_bottom metres over the aquifer bottom, under a head
// rise metres above its water surface; share is the pipe length in the
// cell (m). moody 1: Moody's equivalent depth, else the series form.
double tile_drain_inflow(int moody, double k, double spacing, double diameter, double above_bottom, double rise,
                         double share);
void init_channel_state(model_state& state);
void storm_sewer_step(model_state& state);
void channel_step(model_state& state);
// The channel clock between the storms of a long-term run, set at the end of
// a channel time: shortened while a lake or a gaining stream needs routing,
// put on the overland clock with the routing asleep once the network has
// drained.
void longterm_channel_clock(model_state& state);
void chan_point_input_step(model_state& state);
// The channel of a new event: emptied unless storage carries over, then
// its sections and the event's initial channel volume.
void channel_event_start(model_state& state);
// The bed change of every erodible break-point node since its reference
// sand volume: a new section profile and bed elevation, kept with
// ADJUST_CHANNEL_BED. Stops go through the error record.
void xsec_update(model_state& state);
// True when some link has an erodible break-point section.
bool has_erodible_breakpoint_link(const model_state& state);

