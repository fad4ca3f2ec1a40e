// Precipitation set-up: counts the events of the precipitation file and
// records their start times, opens the optimisation output and serves the
// host environment's requests for an event summary or a single event.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/clock_state.h"
#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "hydromet/hmet_services.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_services.h"

namespace
{

constexpr int opt_location_minimum = 100;

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

bool screen_on(const model_state& s)
{
    return !s.super_quiet && !s.calib_mode;
}

// The per-cell arrays the rain steps write; the input hub normally makes
// them, this makes sure they fit the cells.
void fit_rain_arrays(model_state& s)
{
    const int n = s.num_cells;
    if (s.rain_rate.size() != n)
        dvector_alloc_zero(s.rain_rate, n, "rain_rate");
    if (s.precip_file_on) {
        if (s.rain_pending.size() != n)
            dvector_alloc_zero(s.rain_pending, n, "rain_pending");
        if (s.rain_step_rate.size() != n)
            dvector_alloc_zero(s.rain_step_rate, n, "rain_step_rate");
    }
    if (!s.interception)
        return;
    if (s.ri_eff.size() != n)
        dvector_alloc_zero(s.ri_eff, n, "ri_eff");
    if (s.icep_dep.size() != n)
        dvector_alloc_zero(s.icep_dep, n, "icep_dep");
}

bool open_optimize_output(model_state& s)
{
    if (s.optimize_name.empty())
        s.optimize_name = "torva_optim.out";
    if (!file_rec_open(s.optimize_file, s.optimize_name, "w")) {
        std::fprintf(stderr, "Problem opening optimization output file named:%s for writing\n",
                     s.optimize_name.c_str());
        stop_run();
        return false;
    }
    // One entry per hydrograph location, at least the customary 100.
    const int n = std::max(opt_location_minimum, s.num_hyd_locations);
    s.opt_peak_q.assign(n, 0.0);
    s.opt_volume.assign(n, 0.0);
    if (screen_on(s))
        std::fprintf(stderr, "writing output for optimization to file %s\n", s.optimize_name.c_str());
    if (s.summary_file.fp)
        std::fprintf(s.summary_file.fp, "writing output for optimization to file %s\n",
                     s.optimize_name.c_str());
    return true;
}

} // namespace

void setup_precipitation(model_state& s)
{
    if (s.long_term) {
        setup_hmet(s);
        if (run_stopped())
            return;
    }
    s.event_num = 0;
    s.events_done = 0;
    fit_rain_arrays(s);
    if (run_stopped())
        return;
    if (s.optimize && !open_optimize_output(s))
        return;

    const bool host_summary = s.qnt_mode && s.qnt_event_num && s.qnt_event_num_value == 0;
    if (!s.quiet && s.precip_file_on) {
        rain_echo(s, "using precipitation data from file: %s\n", s.precip_file_name.c_str());
        if (host_summary)
            std::printf("\n\nReading precip file to write QNT summary in file: QNT_PRECIP.SUM\n");
    }
    if (!s.precip_file_on) {
        if (s.qnt_mode)
            s.long_term = 0;
        return;
    }

    file_rec summary;
    if (host_summary && !file_rec_open(summary, std::string("exchange/QNT_PRECIP.SUM"), "w")) {
        std::printf("Unable to open file QNT_PRECIP.SUM for writing. Program terminated\n");
        stop_run();
        return;
    }

    // Counting pass: every event's first date is its start.
    s.event_start_times.assign(1, 0.0);
    std::vector<rain_period_date> starts;
    bool radar_files = false;
    int result = 0;
    rain_period_date prev_end;
    double prev_end_time = 0.0;
    while ((result = read_rain_event(s.precip_event_file, s)) == 1) {
        const rain_period_date& d = s.rain_period_dates[1];
        const double start = julian_date(d.year, d.month, d.day, d.hour, d.minute, 0.0);
        // The next event is read only once the rain of the one before has
        // ended, so an event starting before then would never fall.
        if (!starts.empty() && s.long_term && !s.qnt_mode && start <= prev_end_time + process_time_tol) {
            std::printf("Error: file %s: rain event %d starts at %04d-%02d-%02d %02d:%02d, not after the last line "
                        "of event %d (%04d-%02d-%02d %02d:%02d); its rain would never fall. Start each event after "
                        "the event before it has ended.\n",
                        s.precip_file_name.c_str(), static_cast<int>(starts.size()) + 1, d.year, d.month, d.day,
                        d.hour, d.minute, static_cast<int>(starts.size()), prev_end.year, prev_end.month,
                        prev_end.day, prev_end.hour, prev_end.minute);
            stop_run();
            return;
        }
        prev_end = s.rain_period_dates[s.num_rain_periods];
        prev_end_time = julian_date(prev_end.year, prev_end.month, prev_end.day, prev_end.hour, prev_end.minute, 0.0);
        s.event_year = d.year;
        s.event_month = d.month;
        s.event_day = d.day;
        s.event_hour = d.hour;
        s.event_minute = d.minute;
        starts.push_back(d);
        s.event_start_times.push_back(start);
        if (s.precip_radar == 2)
            radar_files = true;
    }
    const int count = static_cast<int>(starts.size());
    if (result == -1) {
        std::printf("Unexpected end of file in rain gage data file.\n");
        std::printf("Check the format of the data file.\nProgram terminated.");
        std::printf("Check rain event %d, event after %d %d %d \n", count + 1, s.event_year, s.event_month,
                    s.event_day);
        stop_run();
        return;
    }
    if (run_stopped())
        return; // the reader refused an event
    if (count == 0) {
        std::printf("\n**********************************\n");
        std::printf("Data was not correctly read from the rainfall input file.\n");
        std::printf("Verify the file format.\n");
        std::printf("***********************************\n");
        stop_run();
        return;
    }
    if (!s.quiet && screen_on(s)) {
        std::printf("End of precipitation input file reached.\n");
        if (s.qnt_mode) {
            std::printf("Precip. file contains %d events.\n", count);
        } else if (s.long_term) {
            std::printf("Precip. file contains %d events\n", count);
        } else {
            std::printf("Precip. file contains %d events, simulating first event only\n", count);
            std::printf("because LONG_TERM project file card not set in project file.\n");
        }
    }
    s.num_events = s.long_term || s.qnt_mode ? count : 1;

    if (radar_files) {
        radar_grid& r = s.radar;
        r.model_cols = s.num_cols;
        r.model_rows = s.num_rows;
        r.model_west = s.grid_west;
        r.model_north = s.grid_north;
        r.model_cell = s.gridsize;
        r.num_cells = s.num_cells;
        if (!ivector_alloc_zero(r.torva_to_precip, s.num_cells, "torva_to_precip")) {
            stop_run();
            return;
        }
    }
    std::rewind(s.precip_event_file.fp);

    if (host_summary) {
        std::fprintf(summary.fp, "%d\n", count);
        for (const rain_period_date& d : starts)
            std::fprintf(summary.fp, "%4d %2d %2d %2d %2d\n", d.year, d.month, d.day, d.hour, d.minute);
        file_rec_close(summary);
        std::printf("TORVA wrote precipitation data event summary to file: exchange/QNT_PRECIP.SUM\n");
        std::printf("No simulations performed.  TORVA terminated.\n\n");
        stop_run();
        return;
    }
    if (s.qnt_mode && s.qnt_event_num && s.qnt_event_num_value > s.num_events) {
        std::printf("\n\nQNT has requested that TORVA run event %d.\n", s.qnt_event_num_value);
        std::printf("The precip file specified in the project file: %s\n", s.precip_file_name.c_str());
        std::printf("contains only %d events.  PROGRAM TERMINATED.\n\n", s.num_events);
        stop_run();
        return;
    }
    if (s.qnt_mode)
        s.long_term = 0;
}
