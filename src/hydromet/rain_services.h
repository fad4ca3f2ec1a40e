// Readers and per-cell routines behind the precipitation steps: the
// precipitation file, radar grids, the spreading of gauge rain over the
// cells, interception and the date check against the hourly data.
#pragma once

#include <string>

#include "core/arrays.h"
#include "core/containers.h"

struct model_state;
struct file_rec;
struct radar_grid;

// Prints a line on the screen unless SUPER_QUIET is set or the run is a
// toolbox trial, and always to the run summary.
void rain_echo(model_state& s, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Reads the next event of the precipitation file into the rainfall fields.
// 1: an event was read; 0: the file ended before another event, or the event
// was refused (reported with code 4000, the error record is raised); -1: the
// file ended inside an event or a gauge value could not be read.
int read_rain_event(file_rec& rec, model_state& s);

// 1 when the event's start (year, month, day, hour) lies within the
// hydrometeorological data from first to last; 0 after printing why not.
int check_rain_hmet_dates(int first_year, int first_month, int first_day, int first_hour, int last_year,
                          int last_month, int last_day, int last_hour, int year, int month, int day,
                          int hour);

// Radar grids. Each returns 0, or -1 after printing what went wrong
// (read_radar_header and map_cells_to_radar leave the printing of an
// unreadable header to their callers).
int read_radar_header(radar_grid& radar, const std::string& name);
int map_cells_to_radar(const std::string& name, radar_grid& radar, const imat& mask);
int read_radar_grid(const std::string& name, radar_grid& radar, int millimetres);
int apply_radar_grid(const radar_grid& radar, dvec& rain_rate);

// The six header lines of a radar grid file, each a label and a value:
// columns, rows, lower-left x and y, cell size, no-data value. False when a
// line is missing or its value is not a number.
bool read_radar_header_lines(file_rec& rec, int& cols, int& rows, double& llx, double& lly, double& cell,
                             double& nodata);

// Gauge rain over the cells. Cell centres come from the grid's north and
// west edges and the cell size; rates[g][period] is gauge g's rate.
// find_neighbor returns false after printing the failure and setting code 4000.
bool find_neighbor(int num_gages, const imat& mask, const dvec& gage_x, const dvec& gage_y, double north,
                   double west, ivec& nearest, double dx, int rows, int cols);
void spread_rain_inverse_distance(double dx, int period, const imat& mask, int num_gages, const dvec& gage_y,
                                  const dvec& gage_x, double north, double west,
                                  const row_array<double>& rates, dvec& rain_rate, int rows, int cols);
void spread_rain_nearest_gage(int period, int num_gages, const ivec& nearest, const row_array<double>& rates,
                              dvec& rain_rate, int num_cells);

// The canopy's season: the divisor of the storage capacity and coefficient
// (1 full canopy, 4 bare).
struct interception_season {
    int month = 1;
    int seasonal_rs = 0;
    double latitude = 0.0; // degrees
    int spring = 0;
    int fall = 0;
    int summer_start = 0;
    int summer_end = 0;
};
double seasonal_canopy_factor(const interception_season& season);

// Interception of every cell 1..num_cells over a step of t seconds: fills
// the net rate, adds to the held depth (mm) and to the total (m3).
void intercept_rain(int num_cells, double t, const dvec& capacity, const dvec& coefficient,
                    const dvec& gross_rate, dvec& net_rate, dvec& held, double& total, double dx,
                    const interception_season& season, int chan_lakes, const ivec& lake_mask);

// Seconds from Julian day a to Julian day b; a difference within 1e-4 s of a
// whole number of milliseconds is taken as exactly that.
double seconds_between(double a, double b);

// Banks the rain of the current rates from the rain mark up to time t.
void bank_rain_until(model_state& state, double t);
