// Water-quality steps called by the run driver.
#pragma once

struct model_state;

void contam_map_output_setup(model_state& state);
void contam_chan_output_setup(model_state& state);
void init_soil_constituents(model_state& state);
void soil_contam_step(model_state& state);
void sed_contam_step(model_state& state);
void ov_contam_step(model_state& state);
void ov_contam_mass_step(model_state& state);
void chan_sed_contam_step(model_state& state);
void chan_contam_kinetics_step(model_state& state);
void chan_contam_route_step(model_state& state);
void alloc_channel_constituents(model_state& state);
void open_qbn_series_files(model_state& state);
