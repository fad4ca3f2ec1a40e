// Readers of the input hub that build the watershed and fill its per-cell
// surface parameters. Each takes the model state, reports failures through
// the error record and returns nothing.
#pragma once

struct model_state;

// WATERSHED_MASK: cell numbering, cell locations, "maskmap", watershed area.
void read_watershed_mask(model_state& state);

// ELEVATION and the outlet cell (OUTROW, OUTCOL).
void read_elevation_map(model_state& state);

// Zeroed per-cell working arrays of the processes that are on, and the
// overland output location lists.
void alloc_cell_arrays(model_state& state);

// DIKE_MAP (EMBANKMENT) and its LOWSPOT_FILE.
void read_dike_map(model_state& state);

// The WETLAND_PROPERTIES table of the mapping table.
void read_wetland_map(model_state& state);

// OV_BOUNDARY: the OVERLAND_BOUNDARY table and the rating curves.
void read_overland_boundary(model_state& state);

// OVERLAND_LAKE_MAP and OVERLAND_LAKE_FILE: lakes, stages and volumes.
void read_overland_lakes(model_state& state);

// Interception storage and coefficient, retention depth, roughness, the
// roughness of snow-covered cells and the flow blockage.
void read_interception_params(model_state& state);
void read_retention_params(model_state& state);
void read_roughness(model_state& state);
void set_snow_roughness(model_state& state);
void read_flow_blockage(model_state& state);

// Initial snow, overland depth hotstart and water level; soil moisture hotstart.
void read_hotstart_maps(model_state& state);
void read_soil_moisture_hotstart(model_state& state);
