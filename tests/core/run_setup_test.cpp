// From the project file to a running clock: option checks, run controls,
// the simulation clock and the opening of the run files, through whole runs
// on small projects and through the steps themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "core/run_steps.h"
#include "input/input_steps.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct RunSetup : testing::Test {
    scratch_dir dir{"setup"};
    std::string out, err;

    void SetUp() override
    {
        reset_file_name_globals();
        error_state_clear();
        write_tiny_project(dir.path());
    }
    void TearDown() override
    {
        reset_file_name_globals();
        error_state_clear();
    }

    // Runs a project made of the base cards and extra cards; the project
    // folder card keeps every file inside the scratch folder.
    void run(const std::string& extra, const std::string& cards = tiny_project_cards)
    {
        write_file(dir.file("p.prj"), "TORVAPROJECT\nPROJECT_PATH " + dir.path() + "\n" + cards + extra);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        run_simulation(dir.file("p.prj"), nullptr, "");
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        reset_file_name_globals();
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }
};

} // namespace

TEST_F(RunSetup, ExampleStyleProjectReachesRunning)
{
    run("");
    EXPECT_TRUE(printed("reading run parameters from project file: " + dir.file("p.prj") + "\n")) << out;
    EXPECT_TRUE(printed("\nfinished reading project file\n")) << out;
    EXPECT_TRUE(printed("Running....\n")) << out;
    const std::string summary = read_file(dir.file("run.sum"));
    EXPECT_EQ(summary.rfind("\n\n_________TORVA start-up information________\n"
                            "Run parameters read from VKS project file: " +
                                dir.file("p.prj") + "\n",
                            0),
              0u)
        << summary;
    EXPECT_NE(summary.find("Running.... \n\n"), std::string::npos);
    EXPECT_TRUE(file_exists(dir.file("run.otl")));
}

TEST_F(RunSetup, OptionConflictsStopWithTheirMessages)
{
    struct conflict {
        std::string cards;
        std::string message;
    };
    const std::string lt = "LONG_TERM\nLATITUDE 40\nLONGITUDE -105\nGMT -7\n";
    const conflict cases[] = {
        {"MANNING_N 0.03\nROUGHNESS r.map\n",
         "Error: You have specified both spatially-varied and uniform Manning roughness\n"},
        {lt + "ET_CALC_PENMAN\nET_CALC_DEARDORFF\n", "Error: You have specified both the Penman Montieth"},
        {lt + "HMET_KTR a\nHMET_SAMSON b\n", "Error: You have specified two of either the Surface Airways"},
        {lt + "INF_REDIST\n", "Error: You have specified neither the Penman Montieth or Deardorff"},
        {"RAIN_INTENSITY 0\n", "Error: You have an error in your input due to one of the following:"},
        {lt + "ET_CALC_DEARDORFF\nGREEN_AMPT\n", "Error: For long-term simulations, you must specify"},
        {lt + "ET_CALC_DEARDORFF\nINF_REDIST\n", "Error: Albedo values not specified for long term"},
        {lt + "ET_CALC_PENMAN\nINF_REDIST\nALBEDO a.map\n", "Error: Vegetation height values not specified"},
        {lt + "ET_CALC_PENMAN\nINF_REDIST\nALBEDO a\nVHEIGHT v\nTCOEFF t\nCANOPY c\n",
         "Error: Wilting point values not specified"},
        // The later selector wins: no conflict, the Richards scheme is asked for.
        {"GREEN_AMPT\nINF_RICHARDS\n", "Error: Richards infiltration needs its soil water retention model"},
        {"INF_RICHARDS\n", "Error: Richards infiltration needs its soil water retention model: give "
                           "RICHARDS_C_OPTION brooks or RICHARDS_C_OPTION havercamp\n"},
        {"CHAN_DRAIN\n", "Error: Preissmann implicit channel routing is not supported by TORVA.\n"},
        {"CHAN_BACKWATER\n", "Error: Preissmann implicit channel routing is not supported by TORVA.\n"},
        {"WATER_TABLE w.map\nGW_SIMULATION\nGW_POROSITY_MAP p\nGW_UNIF_POROSITY 0.3\n",
         "You have specified both spatially-varied and uniform porosity for\n"},
        {"WATER_TABLE w.map\nGW_SIMULATION\nGW_UNIF_POROSITY 0.3\nGW_HYCOND_MAP k\nGW_UNIF_HYCOND 1\n",
         "You have specified both spatially-varied and uniform hydraulic\n"},
        {"WATER_TABLE w.map\nGW_SIMULATION\nSACRAMENTO s.sac\n",
         "Error: You have specified both groundwater routing and Sacramento soil moisture\n"},
        {"QNT\n", "Running TORVA in QNT environment\n\nError: You have specified that TORVA is being run "
                  "within QNT, but you did\n"},
        {"QNT\nZEBO z.ctl\nQNT_EVENT_NUM -2\n", "This is an event call of TORVA by QNT, qnt_event_num=-2\n"
                                                "\nError: TORVA is running within QNT in event mode."},
        {"ZEBO z.ctl\n", "Error: You have specified that TORVA is being run with ZEBO, but you did\n"},
        // Exchange grids the model keeps no map for are refused by card.
        {"QNT\nZEBO z.ctl\nEROSIVITY_TO_ZEBO e.asc\n",
         "Error: TORVA cannot write the ZEBO exchange grid of the EROSIVITY_TO_ZEBO card.\n"
         "Remove the card from the project file.\n"},
        {"QNT\nZEBO z.ctl\nMOIST_FROM_ZEBO m.asc\nET_DEMAND_FROM_ZEBO d.asc\n",
         "Error: TORVA cannot read the ZEBO exchange grid of the ET_DEMAND_FROM_ZEBO card.\n"},
        {"QNT\nZEBO z.ctl\nNET_EROSION_TO_ZEBO n.asc\n", "grid of the NET_EROSION_TO_ZEBO card"},
    };
    for (const auto& c : cases) {
        run(c.cards);
        if (c.message.empty()) {
            EXPECT_TRUE(printed("Running....")) << c.cards << out;
            continue;
        }
        EXPECT_TRUE(printed(c.message)) << c.cards << "\n---\n" << out;
        EXPECT_FALSE(printed("Running....")) << c.cards;
        EXPECT_EQ(error_state.raised, 1) << c.cards;
    }
}

TEST_F(RunSetup, GroundwaterWithoutSourcesWarnsAndGoesOn)
{
    run("WATER_TABLE w.map\nGW_SIMULATION\nAQUIFER_BOTTOM b.map\n");
    EXPECT_TRUE(printed("\nWarning: You have specified neither spatially-varied, uniform, or mapping table "
                        "porosity for\n"));
    EXPECT_TRUE(printed("\nWarning: You have specified neither spatially-varied, uniform, or mapping table "
                        "hydraulic \n"));
    // The run went on past the warnings, to the boundary file it lacks.
    EXPECT_TRUE(printed("Error: Unable to open groundwater boundary file.\n")) << out;
}

TEST_F(RunSetup, FilesThatCannotBeOpenedStopTheRun)
{
    std::string cards = tiny_project_cards;
    const auto without = [&](const std::string& line) {
        std::string c = cards;
        c.erase(c.find(line), line.size());
        return c;
    };
    run("", without("SUMMARY run.sum\n"));
    EXPECT_TRUE(printed("\nError: Unable to open output summary file.\n  (File: )\n")) << out;

    run("", without("OUTLET_HYDRO run.otl\n"));
    EXPECT_TRUE(printed("\nError: Unable to open output hydrograph file.\n  (File: )\n")) << out;
    // The summary file was open by then and received the message too.
    EXPECT_NE(read_file(dir.file("run.sum")).find("Error: Unable to open output hydrograph file."),
              std::string::npos);

    run("INIT_SWE_DEPTH missing.swe\nREAD_OV_HOTSTART missing.ovh\n");
    EXPECT_TRUE(printed("Error: Unable to open SWE input hotstart file.\n  (File: missing.swe)\n")) << out;
    EXPECT_FALSE(printed("overland hotstart"));
}

TEST_F(RunSetup, RunControlsAndClock)
{
    auto s = std::make_unique<model_state>();
    s->run.timestep = 30;
    s->run.st_time_step = 10;
    s->run.tot_time = 60;
    s->run.hyd_freq = 1;
    s->run.map_freq = 0;
    s->run.outslope = 0.01;
    testing::internal::CaptureStdout();
    set_run_controls(*s);
    const std::string printed_text = testing::internal::GetCapturedStdout();
    EXPECT_DOUBLE_EQ(s->timestep, 10.0);
    EXPECT_EQ(s->hyd_freq_steps, 6);
    EXPECT_EQ(s->map_freq_steps, 2160);
    EXPECT_EQ(printed_text, "Warning: Write solution time step not specified, defaulting to 6 hours.\n");

    // ST_TIME_STEP absent: the card takes TIMESTEP; 7 s steps and one minute
    // give 8 steps.
    s = std::make_unique<model_state>();
    s->run.timestep = 7;
    s->run.tot_time = 60;
    s->run.hyd_freq = 1;
    s->run.map_freq = 10;
    s->run.outslope = 0.01;
    set_run_controls(*s);
    EXPECT_DOUBLE_EQ(s->run.st_time_step, 7.0);
    EXPECT_EQ(s->hyd_freq_steps, 8);

    // The clock: overland every 30 s on a 10 s base step, uniform rain.
    s = std::make_unique<model_state>();
    s->run.timestep = 30;
    s->timestep = s->timestep_base = 10;
    s->precip_unif = 1;
    s->rain_duration = 10;
    s->cur_year = 2000;
    s->current_time = s->sim_start_jd = 2451545.0;
    init_sim_clock(*s);
    EXPECT_EQ(s->keep_running, 1);
    EXPECT_DOUBLE_EQ(s->time_origin, 2451545.0);
    EXPECT_NEAR(s->ov_dt_days * 86400.0, 30.0, 1e-9);
    EXPECT_EQ(s->num_rain_periods, 20);
    EXPECT_EQ(s->event_num, 1);
    EXPECT_EQ(s->rain_state, 1);
}

TEST_F(RunSetup, IntervalShorterThanTheStepIsRefused)
{
    auto s = std::make_unique<model_state>();
    s->run.timestep = 120;
    s->run.tot_time = 60;
    s->run.hyd_freq = 1; // one minute on a two-minute step
    s->run.map_freq = 10;
    s->run.outslope = 0.01;
    testing::internal::CaptureStdout();
    set_run_controls(*s);
    const std::string text = testing::internal::GetCapturedStdout();
    EXPECT_EQ(text, "Error: the HYD_FREQ interval of 1 minutes is shorter than the time step of 120 "
                    "seconds.\nGive HYD_FREQ a value of at least one time step.\n");
    EXPECT_EQ(error_state.raised, 1);
}

// Runs the clocks could not keep: an event run without an end, a step longer
// than the run or than the hour of the hourly processes, a groundwater step
// within the clocks' tolerance. Each names the card at fault.
TEST_F(RunSetup, RunsTheClocksCannotKeepAreRefused)
{
    struct clock_case {
        double timestep, st_time_step;
        int tot_time, long_term, sacramento, gw;
        double gw_timestep;
        const char* message; // "" when the controls pass
    };
    const clock_case cases[] = {
        {10, 0, 0, 0, 0, 0, 1, "Error: Total simulation time not specified.\nAn event run needs its length "
                               "in minutes: give it with the card TOT_TIME.\n"},
        {1e308, 0, 30, 0, 0, 0, 1,
         "Error: the time step of 1e+308 seconds (TIMESTEP) is longer than the run of 30 minutes "
         "(TOT_TIME).\n"},
        {7200, 3000, 30, 0, 0, 0, 1,
         "Error: the time step of 3000 seconds (ST_TIME_STEP) is longer than the run of 30 minutes "
         "(TOT_TIME).\n"},
        {7200, 0, 0, 1, 0, 0, 1,
         "Error: the time step of 7200 seconds (TIMESTEP) is longer than an hour; LONG_TERM runs hour by "
         "hour and needs a time step of at most 3600 seconds.\n"},
        {7200, 0, 600, 0, 1, 0, 1, "SACRAMENTO runs hour by hour"},
        {60, 0, 30, 0, 0, 1, 0.01,
         "Error: the groundwater step GW_TIMESTEP of 0.01 seconds is not longer than the 0.01 seconds to "
         "which the process clocks keep time.\n"},
        {60, 0, 30, 0, 0, 1, 0.02, ""},
        {3600, 0, 0, 1, 0, 0, 1, ""}, // a long-term run ends with its weather
        {1800, 0, 30, 0, 0, 0, 1, ""},
    };
    for (const clock_case& c : cases) {
        error_state_clear();
        auto s = std::make_unique<model_state>();
        s->run.timestep = c.timestep;
        s->run.st_time_step = c.st_time_step;
        s->run.tot_time = c.tot_time;
        s->run.hyd_freq = 60;
        s->run.map_freq = 60;
        s->run.outslope = 0.01;
        s->long_term = c.long_term;
        s->sacramento = c.sacramento;
        s->gw_simulation = c.gw;
        s->cards.gw_timestep = c.gw_timestep;
        s->run.latitude_given = s->run.longitude_given = s->run.gmt_given = 1;
        testing::internal::CaptureStdout();
        set_run_controls(*s);
        const std::string text = testing::internal::GetCapturedStdout();
        if (*c.message) {
            EXPECT_NE(text.find(c.message), std::string::npos) << c.timestep << "\n" << text;
            EXPECT_EQ(error_state.raised, 1) << c.message;
        } else {
            EXPECT_EQ(text, "") << c.timestep;
            EXPECT_EQ(error_state.raised, 0) << c.timestep;
        }
    }
    error_state_clear();
}

// A process is due when its next time lies within the tolerance of now or
// fell inside the base step that ends now; a clock parked at or before the
// previous step is not.
TEST(ProcessClock, DueWhenItsTimeCameWithinTheLastBaseStep)
{
    const double tol = 0.01 / 86400.0, step = 300.0 / 86400.0, now = 2451545.0;
    struct due_case {
        double next_seconds; // next time relative to now
        bool due;
    };
    const due_case cases[] = {
        {0.0, true},     {0.009, true},   {-0.009, true}, {0.02, false}, {-1.0, true},
        {-299.0, true},  {-299.995, false}, {-300.0, false}, {-900.0, false}, {60.0, false},
    };
    for (const due_case& c : cases)
        EXPECT_EQ(process_due(now + c.next_seconds / 86400.0, now, tol, step), c.due) << c.next_seconds;

    clock_state k;
    k.current_time = now;
    k.time_tol = tol;
    k.dt_days = step;
    // Due on time: the planned interval and the usual next time, to the bit.
    const double last = now - 60.0 / 86400.0;
    EXPECT_EQ(process_step_seconds(k, now, last), (now - last) * 86400.0);
    EXPECT_EQ(next_on_phase(k, now, 3600.0 / 86400.0), now + 3600.0 / 86400.0);
    // Due late: the time since the last run, and the next hour on its phase.
    const double due_at = now - 120.0 / 86400.0;
    EXPECT_NEAR(process_step_seconds(k, due_at, last), 60.0, 1e-4);
    EXPECT_NEAR((next_on_phase(k, due_at, 3600.0 / 86400.0) - now) * 86400.0, 3480.0, 1e-4);
    // An interval shorter than the base step: one interval from now.
    EXPECT_NEAR((next_on_phase(k, due_at, 1.0 / 86400.0) - now) * 86400.0, 1.0, 1e-4);
}

TEST_F(RunSetup, LongTermLocationChecksUseTheGivenFlags)
{
    auto s = std::make_unique<model_state>();
    s->long_term = 1;
    s->run.timestep = 30;
    s->run.hyd_freq = 60;
    s->run.map_freq = 60;
    s->run.outslope = 0.01;
    s->run.latitude = -33.9; // south of the equator and west of Greenwich
    s->run.longitude = -70.6;
    s->run.latitude_given = s->run.longitude_given = 1;
    s->run.gmt = -4;
    s->run.gmt_given = 1;
    set_run_controls(*s);
    EXPECT_EQ(error_state.code, 0);
    EXPECT_EQ(error_state.raised, 0);
    EXPECT_DOUBLE_EQ(s->latitude, -33.9);

    s->run.gmt_given = 0;
    set_run_controls(*s);
    EXPECT_EQ(error_state.code, err_lt_no_gmt);
    error_state_clear();

    s->run.longitude_given = 0;
    set_run_controls(*s);
    EXPECT_EQ(error_state.code, err_lt_no_latlon);
}

TEST_F(RunSetup, CardCopies)
{
    auto s = std::make_unique<model_state>();
    write_file(dir.file("q.prj"), "TORVAPROJECT\nSOIL_MOIST_DEPTH 0.4\nEVENT_MIN_Q 0.3\nCHAN_PREISS\n"
                                  "END_TIME 0 1 1 0 0\nZEBO z.ctl\nREAD_CHAN_HOTSTART stem\nCHAN_EXPLIC\n"
                                  "RATE_OF_INFIL r.map\n");
    testing::internal::CaptureStdout();
    read_run_parameters(*s, dir.file("q.prj"));
    testing::internal::GetCapturedStdout();
    EXPECT_DOUBLE_EQ(s->soil_moist_depth, 40.0);
    EXPECT_DOUBLE_EQ(s->event_min_q, 0.05); // event runs do not copy EVENT_MIN_Q
    EXPECT_EQ(s->end_time_on, 0);
    EXPECT_EQ(s->zebo_path, "exchange/z.ctl");
    EXPECT_EQ(s->chan_depth_hotstart_in_name, "stem.dht");
    EXPECT_EQ(s->chan_flow_hotstart_in_name, "stem.qht");
    EXPECT_EQ(s->chan_explicit, 1);
    EXPECT_EQ(s->rate_of_infil, 0); // no infiltration card

    // Groundwater settings not given take their defaults; a relaxation
    // factor of 0 would never move a head.
    write_file(dir.file("g.prj"), "TORVAPROJECT\nWATER_TABLE w.map\nGW_SIMULATION\n");
    s = std::make_unique<model_state>();
    testing::internal::CaptureStdout();
    read_run_parameters(*s, dir.file("g.prj"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(s->gw_relax_coeff, 1.0);
    EXPECT_EQ(s->gw_lsor_con, 1e-5);
    EXPECT_EQ(s->stream_loss, 1);
}

TEST_F(RunSetup, KzInflowFileGetsItsHeaderEvenWhenTheRunStops)
{
    run("KZ_INPUT kz.inf\nROUGHNESS r.map\nMANNING_N 0.03\n");
    EXPECT_TRUE(printed("Error: You have specified both spatially-varied and uniform Manning roughness"));
    EXPECT_EQ(read_file(dir.file("kz.inf")), "  output from TORVA\n\n    JDAY     QIN\n");

    run("KZ_INPUT kz2.inf\nMAP_TYPE 4\n");
    EXPECT_TRUE(printed("Error: TORVA not compiled with ZENF, but ZENF file format specified\n"));
    EXPECT_FALSE(file_exists(dir.file("kz2.inf")));
}
