// Channel and pipe-network steps called by the run driver and the input hub.
#pragma once

struct model_state;

void setup_channels(model_state& state);
// The IN_SED_LOC list of channel nodes (with channel sediment), checked
// against the network and echoed to the OUT_SED_LOC file; false after a
// stop.
bool sed_location_list_read(model_state& state);
void connect_superlink_outlets(model_state& state);
void init_channel_state(model_state& state);
void storm_sewer_step(model_state& state);
void channel_step(model_state& state);
void chan_point_input_step(model_state& state);
// The channel of a new event: emptied unless storage carries over, then
// its sections and the event's initial channel volume.
void channel_event_start(model_state& state);

// Stops the run (true) when the network holds lake or structure links,
// whose routing is not built yet.
bool refuse_pending_links(model_state& state);
