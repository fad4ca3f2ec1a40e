#include "core/run_simulation.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>

#include "calibration/calibration_steps.h"
#include "channel/channel_steps.h"
#include "core/clock_step.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/pending_processes.h"
#include "core/platform.h"
#include "core/proc_group.h"
#include "core/run_steps.h"
#include "coupling/coupling_steps.h"
#include "hydromet/hydromet_steps.h"
#include "input/input_steps.h"
#include "input/replace_params.h"
#include "input/elev_series.h"
#include "input/time_series.h"
#include "output/analyzer.h"
#include "output/output_steps.h"
#include "overland/overland_steps.h"
#include "quality/quality_steps.h"
#include "subsurface/subsurface_steps.h"

void (*run_step_observer)(const model_state&) = nullptr;

namespace {

// Runs one step. A step that runs out of memory stops the run in an orderly
// way; no exception crosses into the driver.
template <class F>
void run_step(F&& step)
{
    try {
        step();
    } catch (const std::bad_alloc&) {
        std::printf("Error: out of memory.\n");
        error_set(err_stop);
    } catch (const std::length_error&) {
        std::printf("Error: out of memory.\n");
        error_set(err_stop);
    }
}

// The check after a step: report a pending code; true when the run stops.
bool stop_after_check()
{
    if (error_state.code > 0) report_error(error_state);
    return error_state.raised != 0;
}

bool toolbox_trial(const std::string& mode)
{
    return mode == "-slm" || mode == "-ms" || mode == "-tr" || mode == "-mlsl";
}

// The initialisation chain; false when the run stops.
bool run_init_chain(model_state& s, const std::string& path, bool have_sink)
{
    run_step([&] { read_run_parameters(s, path); });
    if (stop_after_check()) return false;

    if (have_sink) s.optimize = 1;
    run_step([&] {
        validate_options(s);
        if (error_state.code == 0 && !error_state.raised) refuse_pending_processes(s);
    });
    if (stop_after_check()) return false;

    run_step([&] { open_run_files(s); });
    if (stop_after_check()) return false;

    run_step([&] {
        print_startup_info(s, path);
        set_run_controls(s);
    });
    if (stop_after_check()) return false;

    run_step([&] {
        read_inputs(s);
        if (error_state.code == 0 && !error_state.raised) refuse_pending_boundary_types(s);
    });
    if (stop_after_check()) return false;

    run_step([&] { open_map_outputs(s); });
    if (stop_after_check()) return false;

    run_step([&] { write_linknode_headers(s); });
    if (stop_after_check()) return false;

    run_step([&] {
        if (s.all_contam_output) {
            if (s.ov_con_trans) contam_map_output_setup(s);
            if (s.chan_con_trans) contam_chan_output_setup(s);
        }
    });
    if (stop_after_check()) return false;

    run_step([&] { build_cell_connectivity(s); });
    if (stop_after_check()) return false;

    run_step([&] { compute_cell_slopes(s); });
    if (stop_after_check()) return false;

    run_step([&] { setup_precipitation(s); });
    if (stop_after_check()) return false;

    run_step([&] { init_soil_state(s); });
    if (stop_after_check()) return false;

    run_step([&] { init_channel_state(s); });
    if (stop_after_check()) return false;

    run_step([&] {
        alloc_calib_capture(s);
        read_exchange_maps(s);
    });
    if (stop_after_check()) return false;

    run_step([&] { init_xy_outputs(s); });
    if (stop_after_check()) return false;

    run_step([&] {
        sum_initial_surface_volume(s);
        init_soil_constituents(s);
        init_sim_clock(s);
    });
    if (stop_after_check()) return false;

    // The simulation start is known only once the clock is set.
    run_step([&] { anchor_relative_time_series(s); });
    if (stop_after_check()) return false;

    run_step([&] {
        if (s.cards.analyzers) read_analyzer_file(s, s.cards.analyzers_path);
        if (!run_stopped()) notify_analyzers(s, analyzer_init_done);
    });
    if (error_state.code != 0)
        return true; // the driver reports the analyzers' error end

    // Every file written so far takes its start-up lines, so a file that
    // cannot be written stops the run before its first step.
    run_step([&] { file_rec_flush_all_writes(); });
    return !stop_after_check();
}

// One iteration of the time loop; false when the run stops on an error.
bool run_time_step(model_state& s)
{
    using step_fn = void (*)(model_state&);
    static const step_fn steps[] = {
        clock_step,                // advance the step clock and the calendar
        precip_event_step,         // read a rain event at its start
        event_start_step,          // initialise an event
        precip_period_step,        // load a rain period
        precip_apply_step,         // rain, interception, snow
        ov_point_source_step,      // overland point sources
        infiltration_step,         // infiltration
        longterm_hmet_step,        // hourly record and evapotranspiration
        soil_et_step,              // soil evapotranspiration
        sacramento_step,           // Sacramento
        conceptual_gw_step,        // conceptual groundwater
        soil_contam_step,          // soil contaminants
        overland_step,             // overland flow
        storm_sewer_step,          // pipe network
        sed_contam_step,           // sediment-bound contaminants
        ov_contam_step,            // overland contaminants
        ov_contam_mass_step,       // overland contaminant masses
        groundwater_step,          // saturated groundwater
        olake_step,                // overland lake extent
        channel_step,              // channel routing
        chan_point_input_step,     // channel point inputs
        peak_q_step,               // peak outlet flow
        chan_sed_contam_step,      // contaminants and channel sediment
        chan_contam_kinetics_step, // channel contaminant kinetics
        chan_contam_route_step,    // channel contaminant routing
        progress_step,             // progress line
        event_end_check_step,      // event and run end decision
        event_end_step,            // exchange at an event's end
        event_summary_step,        // event close and summary
        timeseries_output_step,    // time-series outputs
        map_output_step,           // map outputs
    };
    for (step_fn step : steps) {
        run_step([&] { step(s); });
        if (stop_after_check()) return false;
    }
    // A write that failed since the last output time stops the run there,
    // not at the end of it.
    if (s.hyd_freq_steps > 0 && s.step_count % s.hyd_freq_steps == 0) {
        file_rec_writes_ok();
        if (stop_after_check()) return false;
    }
    run_step([&] { notify_analyzers(s, analyzer_step_end); });
    if (run_step_observer)
        run_step_observer(s);
    return true;
}

void append_run_time(double seconds)
{
    file_rec out;
    if (file_rec_open(out, std::string("out_time.out"), "a")) {
        std::fprintf(out.fp, "total time (s): %8.2lf\n", seconds);
        file_rec_close(out);
    }
}

} // namespace

void anchor_relative_time_series(model_state& s)
{
    for (auto& ts : time_series_list) {
        if (!ts.relative) continue;
        for (int i = 0; i < ts.count && i < static_cast<int>(ts.times.size()); ++i)
            ts.times[static_cast<size_t>(i)] += s.time_origin;
    }
}

int run_simulation(const std::string& project_path, calib_sink* sink, const std::string& mode)
{
    const double start = processor_clock_seconds();
    const bool trial = toolbox_trial(mode);
    std::unique_ptr<model_state> state(new (std::nothrow) model_state);
    error_state_clear();

    if (!state) {
        std::printf("Error allocating memory for variable model_state\n");
        error_set(err_stop);
        report_error(error_state);
    } else if (project_path.size() > static_cast<size_t>(project_path_capacity)) {
        std::printf("Error: the project file path is longer than %d characters.\n",
                    project_path_capacity);
        error_set(err_stop);
        report_error(error_state);
    } else {
        model_state& s = *state;
        s.calib_mode = trial ? 1 : 0;
        if (sink) {
            s.optimize = 1;
            s.calib_capture = sink;
        }
        s.run_project_path = project_path;

        if (run_init_chain(s, project_path, sink != nullptr)) {
            const double init_time = processor_clock_seconds() - start;
            if (replace_on) print_replace_usage(s.summary_file, s.calib_mode == 0);
            if (!s.super_quiet && !s.calib_mode) std::printf("total time to init(s): %8.1lf\n", init_time);
            if (error_state.code != 0) {
                notify_analyzers(s, analyzer_run_error);
            } else {
                if (!s.super_quiet && !s.calib_mode) std::printf("Running....\n");
                if (s.summary_file.fp) std::fprintf(s.summary_file.fp, "Running.... \n\n");
                for (;;) {
                    if (!run_time_step(s)) break;
                    if (error_state.code != 0) {
                        notify_analyzers(s, analyzer_run_error);
                        break;
                    }
                    if (s.keep_running) continue;
                    run_step([&] { write_final_summary(s); });
                    if (!stop_after_check()) notify_analyzers(s, analyzer_run_done);
                    break;
                }
            }
        }
    }

    if (state) close_run_files(*state);
    std::fflush(stdout);
    std::fflush(stderr);
    summary_log = nullptr;
    if (state) {
        model_state_destroy(*state);
        state.reset();
    }

    const double run_time = processor_clock_seconds() - start;
    append_run_time(run_time);
    if (!trial) {
        if (group_ctx.num_threads >= 2)
            std::printf("%d: Run time: %6.2lf(s) \n", group_ctx.rank, run_time);
        else
            std::printf("Run time: %6.2lf(s) \n", run_time);
        std::fflush(stdout);
    }
    // A reported error leaves the raised flag set (warnings clear it); a code
    // still pending was never reported. Either way the run failed.
    return error_state.raised != 0 || error_state.code != 0 ? 1 : 0;
}
