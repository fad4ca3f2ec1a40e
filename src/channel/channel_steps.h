// Channel and pipe-network steps called by the run driver and the input hub.
#pragma once

struct model_state;

void setup_channels(model_state& state);
void connect_superlink_outlets(model_state& state);
void init_channel_state(model_state& state);
void storm_sewer_step(model_state& state);
void channel_step(model_state& state);
void chan_point_input_step(model_state& state);
