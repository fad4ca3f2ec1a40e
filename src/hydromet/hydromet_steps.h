// Precipitation and hydrometeorology steps called by the run driver.
#pragma once

struct model_state;

void setup_precipitation(model_state& state);
void precip_event_step(model_state& state);
void precip_period_step(model_state& state);
void precip_apply_step(model_state& state);
void longterm_hmet_step(model_state& state);
