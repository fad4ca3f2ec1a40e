// Hourly hydrometeorology of long-term runs: the weather-file reader, the
// energy-balance evapotranspiration and the frozen-ground index.
#pragma once

struct model_state;

// Scan call (hmet_call_count 1): finds the first and last dates and the
// record count and rewinds; 0, or -1 after a reported format error (code
// 4000; NCDC gives 1). Record call (hmet_call_count >= 2): reads the next hour into the
// hmet_* record fields, repairing missing values (hmet_repaired counts
// them); KTR gives the number of fields read, SAMSON 1, NCDC 0 (the
// day's hours one per call), hourly grids 1 (per-cell values in the
// hmet_cell_* arrays); -1 after the last hour or a reported error.
int read_hmet_record(model_state& s);

// Warns ("ERROR!! in the conversion of X/Y coordinates in the ASCII HMET")
// when the centre of model cell (row, col) lies more than 1.3 grid cells
// from the hourly-grid cell (grid_col, grid_row) it was given; returns the
// larger of the x and y differences.
double check_hmet_grid_coords(int row, int col, double north, double west, double cell_size, double grid_lly,
                              double grid_llx, double grid_cell, int grid_col, int grid_row, int grid_rows);

// Mean of hmet_cell_temp over the cells with data (above -9990), and how
// many there are; 0 when none has.
double hmet_cell_temp_mean(const model_state& s, int& cells_with_data);

// True when hourly-grid cell i has every quantity the evapotranspiration
// uses (none is -9999).
bool hmet_cell_has_weather(const model_state& s, int i);

// Reads the three header lines of the orographic temperature file (the
// gauge elevations A and B); false after a reported error.
bool read_hmet_orog_header(model_state& s);

// The long-term set-up: orographic header, scan of the weather file, the
// run's start date and time fields from its first record, call count 2.
void setup_hmet(model_state& s);

// True when the station temperature is spread over the cells by elevation.
bool orog_hmet_on(const model_state& s);

// Potential and actual evapotranspiration rates of every cell (pet_rate,
// et_rate, cm/s) from the current hourly record by a surface energy balance
// on the ground temperature; Penman-Monteith with ET_CALC_PENMAN, else bulk
// transfer. Returns the air temperature for the rest of the hour.
double evapo_trans(model_state& s);

// Advances the frozen-ground index of every non-lake cell by one hour.
void update_cfgi(model_state& s);
