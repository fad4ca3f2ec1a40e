// Subsurface water steps called by the run driver.
#pragma once

struct model_state;

void init_soil_state(model_state& state);
void infiltration_step(model_state& state);
void soil_et_step(model_state& state);
void sacramento_step(model_state& state);
void conceptual_gw_step(model_state& state);
void groundwater_step(model_state& state);
