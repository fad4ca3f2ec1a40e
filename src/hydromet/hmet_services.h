// Hourly hydrometeorology of long-term runs: the weather-file reader, the
// energy-balance evapotranspiration and the frozen-ground index.
#pragma once

struct model_state;

// Scan call (hmet_call_count 1): finds the first and last dates and the
// record count and rewinds; 0, or -1 after a reported format error (code
// 4000). Record call (hmet_call_count >= 2): reads the next hour into the
// hmet_* record fields, repairing missing values (hmet_repaired counts
// them); KTR gives the number of fields read, SAMSON 1; -1 after the last
// hour.
int read_hmet_record(model_state& s);

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
