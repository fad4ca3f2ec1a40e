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
// Groundwater flow into the leaky pipes over dt seconds; 1 when it ran.
int tile_gw_exchange(model_state& state, double dt);
void init_channel_state(model_state& state);
void storm_sewer_step(model_state& state);
void channel_step(model_state& state);
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

