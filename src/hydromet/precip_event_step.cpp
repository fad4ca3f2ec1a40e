// The rain-event step: when the next event is due, read it from the
// precipitation file, check its date against the hourly data and turn its
// values into one rain rate per gauge and period.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_services.h"
#include "output/analyzer.h"
#include "output/output_steps.h"

namespace
{

constexpr double seconds_per_day = 86400.0;

double line_julian(const rain_period_date& d)
{
    return julian_date(d.year, d.month, d.day, d.hour, d.minute, 0.0);
}

// Whole minutes between two data lines, from their Julian dates, so that
// periods across month and year ends come out right.
double period_seconds(const rain_period_date& a, const rain_period_date& b)
{
    return std::round((line_julian(b) - line_julian(a)) * 1440.0) * 60.0;
}

// GAGES depths, ACCUM totals and RADAR end-of-interval rates become the rate
// of each period (column i for the period from line i to line i + 1). A
// period of zero length adds no rain.
bool convert_to_rates(model_state& s)
{
    const int m = s.num_rain_periods;
    const int n = s.num_gages;
    for (int i = 1; i < m; ++i) {
        const double length = period_seconds(s.rain_period_dates[i], s.rain_period_dates[i + 1]);
        const double hours = length / 3600.0;
        for (int g = 1; g <= n; ++g) {
            if (length > seconds_per_day)
                std::printf("WARNING: you have a long delta t in your precip file\n");
            double* v = s.rain_rows[g];
            if (s.precip_radar)
                v[i] = v[i + 1];
            else if (s.precip_accum)
                v[i] = hours > 0.0 ? (v[i + 1] - v[i]) / hours : 0.0;
            else
                v[i] = hours > 0.0 ? v[i + 1] / hours : 0.0;
            if (v[i] < -1e-16) {
                std::printf("You have a negative precip value for gage %d, rain period %d\n", g, i);
                std::printf("Check your rainfall inputs for event %d \n", s.event_num);
                error_set(err_stop);
                return false;
            }
        }
    }
    return true;
}

void start_read_event(model_state& s)
{
    const rain_period_date& d = s.rain_period_dates[1];
    s.event_year = d.year;
    s.event_month = d.month;
    s.event_day = d.day;
    s.event_hour = d.hour;
    s.event_minute = d.minute;
    s.event_start_julian = s.current_time;
    s.next_event_time = s.rain_period_next = line_julian(d);
    s.event_num = s.qnt_event_num ? s.qnt_event_num_value : s.event_num + 1;
    s.rain_state = 1;
}

} // namespace

void precip_event_step(model_state& s)
{
    if (s.rain_state != 0 || s.event_num >= s.num_events)
        return;
    if (!s.qnt_event_num && !process_due(s, event_start_time(s, s.event_num + 1)))
        return;

    notify_analyzers(s, analyzer_rain_start);
    if (s.long_term && !s.explicit_start && s.events_done < s.event_num) {
        // The previous event is still open: close it first.
        s.event_done = 1;
        event_summary_step(s);
        if (run_stopped())
            return;
    }
    s.raining = 1;
    s.event_active = 1;
    if (!s.precip_file_on)
        return;

    const char* file = s.precip_file_name.c_str();
    if (!s.qnt_event_num) {
        if (!s.long_term) {
            rain_echo(s, "reading precip data from file: %s\n", file);
        } else {
            if (!s.super_quiet && !s.calib_mode)
                std::printf("reading precip. data for event %3d from file: %s\n", s.event_num + 1, file);
            if (s.summary_file.fp)
                std::fprintf(s.summary_file.fp, "---reading precip. data for event %3d from file: %s\n",
                             s.event_num + 1, file);
        }
        if (s.summary_file.fp) {
            std::fprintf(s.summary_file.fp, "\n\n");
            std::fflush(s.summary_file.fp);
        }
    } else {
        std::printf("Searching through precip input file for QNT event %d\n", s.qnt_event_num_value);
        s.event_num = s.qnt_event_num_value;
    }

    // Events before the one to run are passed over.
    int reads = 1;
    if (s.qnt_event_num)
        reads = s.qnt_event_num_value;
    else if (s.explicit_start && s.rain_events_read == 0)
        reads = s.event_num + 1;
    reads = std::max(reads, 1);
    int result = 0;
    for (int k = 0; k < reads; ++k) {
        result = read_rain_event(s.precip_event_file, s);
        if (result != 1)
            break;
        ++s.rain_events_read;
    }
    s.rain_period_index = 1;

    if (result == 1) {
        start_read_event(s);
        if (s.precip_radar == 2) {
            if (s.radar_filenames.empty() ||
                map_cells_to_radar(s.radar_filenames.front(), s.radar, s.mask) != 0) {
                if (!run_stopped())
                    error_set(err_stop);
                return;
            }
        }
        s.event_read_ok = 1;
    } else if (result == -1) {
        std::printf("Unexpected end of file in rain gauge data file.\n");
        std::printf("Check the format of the data file.\nProgram terminated.");
        error_set(err_stop);
        return;
    } else {
        if (run_stopped())
            return; // the reader refused the event
        s.rain_state = 2;
        s.event_year = 1000;
        if (s.event_num == 0) {
            std::printf("\n**********************************\n");
            std::printf("Data was not correctly read from the rainfall input file.\n");
            std::printf("Verify the file format.\n");
            std::printf("***********************************\n");
        }
        if (s.long_term && !s.quiet) {
            std::printf("Precip data for event %d was not found in file: %s\n", s.event_num + 1, file);
            std::printf("TORVA assumes this means all events have been simulated.\n");
            std::printf("Program terminating normally.\n");
        }
        s.event_read_ok = 0;
        return;
    }

    if (s.long_term) {
        const int* f = s.hmet_first_date;
        const int* l = s.hmet_last_date;
        if (!check_rain_hmet_dates(f[0], f[1], f[2], f[3], l[0], l[1], l[2], l[3], s.event_year,
                                   s.event_month, s.event_day, s.event_hour)) {
            std::printf("Error: TORVA failed on date check for precip event %d\n", s.event_num);
            error_set(err_stop);
            return;
        }
    }

    if (s.event_read_ok && (s.precip_gages || s.precip_accum || s.precip_radar == 1) && !convert_to_rates(s))
        return;

    if (s.num_gages > 1 && s.rain_thiessen) {
        if (s.nearest.size() != s.num_cells && !ivector_alloc_zero(s.nearest, s.num_cells, "nearest")) {
            error_set(err_stop);
            return;
        }
        if (!find_neighbor(s.num_gages, s.mask, s.gage_x, s.gage_y, s.grid_north, s.grid_west, s.nearest,
                           s.gridsize, s.num_rows, s.num_cols))
            return;
    }
    s.event_read_ok = 0;
}
