// Rainfall members of the model state: precipitation switches, gauges, the
// current event, the dated rain periods, the event start times, the radar
// grid and the rain totals.
#pragma once

#include <string>
#include <vector>

#include "core/arrays.h"
#include "core/containers.h"

struct rain_period_date {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// The radar grid of a radar-file event and its map onto the model cells.
struct radar_grid {
    // Model grid, filled by the precipitation set-up.
    int model_cols = 0;
    int model_rows = 0;
    double model_west = 0.0;  // m
    double model_north = 0.0; // m
    double model_cell = 0.0;  // cell size, m
    int num_cells = 0;
    // Radar grid, from the header of the event's first grid.
    int cols = 0;
    int rows = 0;
    double llx = 0.0;
    double lly = 0.0;
    double cell = 0.0;
    double nodata = 0.0;
    double west = 0.0;
    double north = 0.0;
    ivec torva_to_precip;            // per cell: position of its radar value
    std::vector<double> precip_data; // rows x cols, northern row first, mm/h
};

struct rainfall_state {
    int precip_file_on = 0;
    int precip_unif = 0;
    int rain_inv_distance = 0;
    int rain_thiessen = 0;
    int precip_radar = 0; // event of RADAR lines: 1 gauge values, 2 radar files
    int num_gages = 0;
    int num_rain_periods = 0; // data lines of the event (uniform rain: overland steps)
    ivec nearest;             // per cell: nearest gauge
    int event_year = 0, event_month = 0, event_day = 0, event_hour = 0, event_minute = 0;
    double event_start_julian = 0.0;
    // Dates of the event's data lines 1..num_rain_periods (entry 0 unused).
    std::vector<rain_period_date> rain_period_dates;
    // Radar grid file of data line l at index l - 1.
    std::vector<std::string> radar_filenames;
    row_array<double> precip_data;
    // Start of event k at index k (entry 0 unused); uniform rain sets entry 1
    // from the start date, the precipitation set-up one entry per event.
    std::vector<double> event_start_times = std::vector<double>(2, 0.0);
    double rain_intensity = 0.0; // mm/h
    double rain_duration = 0.0;  // minutes
    double precip_long_dt = 0.0;
    int rain_period_index = 0;
    dvec rain_rate; // per cell, mm/h
    // Rain of a precipitation file between two rain steps: at each period
    // boundary the rate of the period that ends is banked (mm/h x s) up to
    // the boundary, so the rain step integrates every period exactly.
    dvec rain_pending;
    dvec rain_step_rate; // mean rate of the rain step's interval, mm/h
    double rain_mark = 0.0; // time up to which the rain is banked or applied
    int rain_pending_on = 0;
    int rain_record_gages = 0;
    int rain_record_rates = 0;
    int rain_record_accum = 0;
    int rain_record_radar = 0;
    int radar_mm = 0;

    // Record type of the event read last (one of them is set).
    int precip_gages = 0;
    int precip_rates = 0;
    int precip_accum = 0;
    dvec gage_x; // gauge coordinates 1..num_gages, m
    dvec gage_y;
    row_array<double> rain_rows; // value of gauge g on data line l at [g][l]
    std::string event_title;     // rest of the EVENT line
    int event_word_count = 0;    // EVENT words met, for the file's first message
    int rain_events_read = 0;    // events read by the rain-event step
    radar_grid radar;

    // Interception and the rain totals.
    dvec ri_eff;                     // per cell, net rain rate after interception, mm/h
    dvec icep_dep;                   // per cell, intercepted depth held, mm
    double interception_total = 0.0; // m3
    double precip_total = 0.0;       // m3
    double lake_rain_vol = 0.0;      // m3 fallen on channel lakes
    double event_lake_rain_vol = 0.0;
    dvec opt_volume; // per hydrograph location, the event's volume
};

// Start time of rain event k (Julian days); 0 outside the table.
inline double event_start_time(const rainfall_state& r, int k)
{
    if (k < 1 || static_cast<std::size_t>(k) >= r.event_start_times.size())
        return 0.0;
    return r.event_start_times[static_cast<std::size_t>(k)];
}
