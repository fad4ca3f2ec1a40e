// Rainfall members of the model state: precipitation switches, gauges, the
// current event, the dated rain periods and the event start times.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/arrays.h"
#include "core/containers.h"

struct rain_period_date {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

constexpr int max_rain_periods = 100000;
constexpr int max_rain_events = 2000;

struct rainfall_state {
    int precip_file_on = 0;
    int precip_unif = 0;
    int rain_inv_distance = 0;
    int rain_thiessen = 0;
    int precip_radar = 0;
    int num_gages = 0;
    int num_rain_periods = 0;
    ivec nearest;
    int rain_rows = 0;
    int event_year = 0, event_month = 0, event_day = 0, event_hour = 0, event_minute = 0;
    double event_start_julian = 0.0;
    std::array<rain_period_date, max_rain_periods> rain_period_dates{};
    std::vector<std::string> radar_filenames;
    row_array<double> precip_data;
    std::array<double, max_rain_events> event_start_times{};
    double rain_intensity = 0.0; // mm/h
    double rain_duration = 0.0;  // minutes
    double precip_long_dt = 0.0;
    int rain_period_index = 0;
    dvec rain_rate; // per cell, m/s
    int rain_record_gages = 0;
    int rain_record_rates = 0;
    int rain_record_accum = 0;
    int rain_record_radar = 0;
    int radar_mm = 0;
};
