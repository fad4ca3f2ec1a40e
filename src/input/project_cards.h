// The three card records the project reader fills: the card values, the run
// parameters and the precipitation settings.
#pragma once

#include <memory>
#include <string>

#include "coupling/xy_boundary.h"

struct project_cards {
    int analyzers = 0;
    std::string analyzers_path;
    std::string write_sm_hotstart = "0";
    std::string read_sm_hotstart = "0";
    int calib_comp_data = 1;
    int calib_obj_func = 1;
    std::unique_ptr<double[]> no2_km; // twelve NO2_KM values
    // TODO: the remaining card slots of the project card table.

    xy_output xy_out; // XY boundary output object
    xy_input xy_in;   // XY boundary input object (last)

    project_cards();
    ~project_cards();
    project_cards(const project_cards&) = delete;
    project_cards& operator=(const project_cards&) = delete;
};

struct run_params {
    int units = 0;
    int rows = 0;
    int cols = 0;
    double gridsize = 0.0; // m
    int tot_time = 0;      // minutes
    double timestep = 0.0; // s
    int start_day = 0, start_month = 0, start_year = 0;
    int start_hour = 0, start_minute = 0;
    int outrow = 0, outcol = 0;
    double latitude = 32.0;
    double longitude = -90.0;
    double gmt = 0.0;
    int gmt_given = 0, qout_cfs = 0, quiet = 0;
    double outslope = 0.0;
    double hyd_freq = 0.0; // minutes
    int map_freq = 0, map_type = 0;
    int project_not_found = 0;
    int infil_type = 0;
    int chan_route_type = 0;
    int end_day = 0, end_month = 0, end_year = 0, end_hour = 0, end_minute = 0;
    double st_time_step = 0.0;
    int gw_fluxboundtable = 0;
};

struct precip_settings {
    int kind = 0;         // 0 uniform rain, 1 precipitation file
    int gauge_option = 1; // 0 inverse distance, 1 Thiessen, 2 radar
    double rain_intensity = 0.0;
    int rain_duration = 0;
    std::string precip_file;
};

// Region of the model state holding the three records.
struct card_records {
    project_cards cards;
    run_params run;
    precip_settings precip;
};

void project_cards_construct(project_cards& cards);
void project_cards_destroy(project_cards& cards);
void run_params_construct(run_params& run);
