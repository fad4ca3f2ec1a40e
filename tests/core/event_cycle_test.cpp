// The life of an event: uniform rain through the time-loop steps, event
// initialisation, peak tracking, the progress line and the end of events
// and runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "calibration/calib_capture.h"
#include "core/clock_step.h"
#include "core/julian.h"
#include "core/run_steps.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_fixture.h"
#include "output/analyzer.h"

using namespace rain_test;

namespace
{

const double noon = julian_date(2000, 1, 1, 12, 0, 0.0);

struct recording_analyzer : analyzer {
    std::vector<int>* events;
    explicit recording_analyzer(std::vector<int>* e) : events(e) {}
    void trigger(model_state&, int bits) override { events->push_back(bits); }
};

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

struct EventCycle : testing::Test {
    std::string out;
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }
};

} // namespace

TEST_F(EventCycle, UniformRainPutsIntensityTimesDurationOnEveryCell)
{
    // 50 mm/h for 30 minutes on a 10 s step; the run lasts an hour. The
    // overland clock advances without routing, so depths stay where the
    // rain puts them.
    auto s = grid(2, 2, 10.0);
    s->precip_unif = 1;
    s->rain_intensity = 50.0;
    s->rain_duration = 30.0;
    s->run.timestep = s->timestep = s->timestep_base = 10.0;
    s->tot_time = 60;
    s->cur_year = 2000;
    s->current_time = s->sim_start_jd = s->next_event_time = s->event_start_times[1] = noon;
    s->super_quiet = 1;
    init_sim_clock(*s);
    setup_precipitation(*s);

    int rain_end_step = -1;
    for (int i = 0; i < 1000 && s->keep_running && !error_state.raised; ++i) {
        clock_step(*s);
        precip_event_step(*s);
        event_start_step(*s);
        precip_period_step(*s);
        precip_apply_step(*s);
        if (process_due(*s, s->ov_next)) {
            s->ov_last = s->current_time;
            s->ov_next = s->current_time + s->ov_dt_days;
        }
        peak_q_step(*s);
        progress_step(*s);
        event_end_check_step(*s);
        if (rain_end_step < 0 && s->rain_state == 3)
            rain_end_step = s->step_count;
    }
    ASSERT_EQ(error_state.code, 0);
    for (int i = 1; i <= 4; ++i)
        EXPECT_DOUBLE_EQ(s->ov_depth[i], 0.025) << "cell " << i;
    EXPECT_NEAR(s->rain_vol, 0.025 * 400.0, 1e-12); // 720 sums
    EXPECT_EQ(rain_end_step, 181);                  // 180 overland steps of rain, stopped at the next one
    EXPECT_EQ(s->keep_running, 0);
    EXPECT_DOUBLE_EQ(s->elapsed_min, 60.0);
    EXPECT_EQ(s->event_done, 1);
}

TEST_F(EventCycle, LayeredSoilMoistureDividesEachLayerByItsOwnThickness)
{
    // Layers of 10, 20 and 50 cm; saturated 0.4, 0.45, 0.5; residual 0.05.
    auto s = grid(1, 4, 10.0);
    s->inf_layered_soil = 1;
    s->long_term = 1;
    s->current_time = s->next_event_time = noon;
    soil_layer_rec& soil = s->soil_layers[1];
    const double depth[3] = {10, 20, 50}, sat[3] = {0.4, 0.45, 0.5};
    for (int k = 0; k < 3; ++k) {
        soil.depth[k] = depth[k];
        soil.porosity[k] = sat[k];
        soil.residual_sat[k] = 0.05;
    }
    s->soiltype.assign(4, 1);
    s->THETA_ML.assign(4, 4, 0.0);
    s->soil_depth.assign(4, 0.0);
    s->soil_water_top.assign(4, 0.0);
    s->soil_water_low.assign(4, 0.0);
    s->unsat_down_flux.assign(4, 0.0);
    s->direct_evap.assign(4, 0.0);
    // Cell 1 reaches into layer 2, cell 2 ends at the bottom of layer 1,
    // cell 3 reaches below layer 2, cell 4 has no column.
    const double column[] = {0, 25, 10, 40, 0}, top[] = {0, 3, 2, 3, 0}, low[] = {0, 6, 0, 8, 0};
    for (int j = 1; j <= 4; ++j) {
        s->soil_depth[j] = column[j];
        s->soil_water_top[j] = top[j];
        s->soil_water_low[j] = low[j];
    }
    s->unsat_down_flux[1] = 1.0; // cm
    s->direct_evap[2] = 2.0;

    testing::internal::CaptureStdout();
    event_start_step(*s);
    out = testing::internal::GetCapturedStdout();
    const double expected[5][3] = {{}, {0.3, 0.4, 0.5}, {0.2, 0.45, 0.5}, {0.3, 0.4, 0.4}, {0.4, 0.45, 0.5}};
    for (int j = 1; j <= 4; ++j)
        for (int k = 1; k <= 3; ++k)
            EXPECT_NEAR(s->THETA_ML[j][k], expected[j][k - 1], 1e-12) << "cell " << j << " layer " << k;
    EXPECT_NEAR(s->init_avg_moisture, (0.75 + 0.5 + 0.75 + 1.0) / 4.0, 1e-12);
    EXPECT_NEAR(s->unsat_down_flux_total, 1.0, 1e-12); // 1 cm over 100 m2
    EXPECT_NEAR(s->direct_evap_total, 2.0, 1e-12);
    EXPECT_EQ(s->unsat_down_flux[1], 0.0);
    EXPECT_EQ(out.find("bad initial value"), std::string::npos) << out;

    // A run whose layered-soil arrays are absent is left alone.
    auto bare = grid(1, 2, 10.0);
    bare->inf_layered_soil = 1;
    bare->long_term = 1;
    bare->current_time = bare->next_event_time = noon;
    testing::internal::CaptureStdout();
    event_start_step(*bare);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(bare->init_avg_moisture, 0.0);
}

TEST_F(EventCycle, RedistributionStartsEachEventFromTheAccountingColumn)
{
    // Porosity 0.45, residual 0.05, top layer 20 cm. Cell 1 holds 6 cm in
    // its top 20 cm, cell 2 has no column (the table at the surface), cell 3
    // is wetter than porosity and cell 4 drier than residual.
    auto s = grid(1, 4, 10.0);
    s->inf_redist = 1;
    s->long_term = 1;
    s->top_layer_depth = 20.0;
    s->current_time = s->next_event_time = noon;
    s->dist_porosity.assign(4, 0.45);
    s->dist_resid_sat.assign(4, 0.05);
    for (dvec* v : {&s->dist_init_moisture, &s->redist_theta_1, &s->redist_theta_2, &s->redist_aux,
                    &s->event_inf_depth, &s->inf_depth_mark, &s->soil_depth, &s->soil_water_top,
                    &s->unsat_down_flux, &s->direct_evap})
        v->assign(4, 0.7);
    for (ivec* v : {&s->iter_pond_1, &s->iter_n, &s->no_wat_prof, &s->iter_i_less_k})
        v->assign(4, 3);
    const double column[] = {0, 40, 0, 20, 20}, top[] = {0, 6, 0, 10, 0.2};
    for (int j = 1; j <= 4; ++j) {
        s->soil_depth[j] = column[j];
        s->soil_water_top[j] = top[j];
    }
    testing::internal::CaptureStdout();
    event_start_step(*s);
    out = testing::internal::GetCapturedStdout();

    const double expected[] = {0, 0.3, 0.45, 0.44, 0.06};
    for (int j = 1; j <= 4; ++j) {
        EXPECT_NEAR(s->dist_init_moisture[j], expected[j], 1e-12) << j;
        EXPECT_EQ(s->redist_theta_1[j], s->dist_init_moisture[j]) << j;
        EXPECT_EQ(s->redist_theta_2[j], s->dist_init_moisture[j]) << j;
        for (const dvec* v : {&s->redist_aux, &s->event_inf_depth, &s->inf_depth_mark, &s->unsat_down_flux,
                              &s->direct_evap})
            EXPECT_EQ((*v)[j], 0.0) << j;
        for (const ivec* v : {&s->iter_pond_1, &s->iter_n, &s->no_wat_prof, &s->iter_i_less_k})
            EXPECT_EQ((*v)[j], 0) << j;
    }
    EXPECT_TRUE(has(out, "cell: 3  thi: 0.500000  thr: 0.050000   phi: 0.450000\n"
                        "Problem initializing inf_redist in main loop, thi>phi at grid cell 3, decreasing it to "
                        "0.440000\n"))
        << out;
    EXPECT_TRUE(has(out, "Problem initializing inf_redist in main loop, thi<thr at grid cell 4, increasing it to "
                        "0.060000\n"))
        << out;
    EXPECT_NEAR(s->init_avg_moisture, (0.3 + 0.45 + 0.44 + 0.06) / 0.45 / 4.0, 1e-12);
    EXPECT_NEAR(s->unsat_down_flux_total, 4 * 0.7, 1e-12); // 0.7 cm over 100 m2, four cells
    EXPECT_NEAR(s->direct_evap_total, 4 * 0.7, 1e-12);
    EXPECT_EQ(s->redist_initialised, 1); // point sources leave the state alone in the event

    // An event run keeps its initial contents and copies them.
    auto e = grid(1, 2, 10.0);
    e->inf_redist = 1;
    e->current_time = e->next_event_time = noon;
    e->dist_init_moisture.assign(2, 0.2);
    e->redist_theta_1.assign(2, 0.4);
    e->redist_theta_2.assign(2, 0.4);
    e->iter_n.assign(2, 9);
    testing::internal::CaptureStdout();
    event_start_step(*e);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(e->redist_theta_1[2], 0.2);
    EXPECT_EQ(e->redist_theta_2[1], 0.2);
    EXPECT_EQ(e->iter_n[1], 0);
    EXPECT_EQ(e->init_avg_moisture, 0.0);
}

TEST_F(EventCycle, RichardsColumnsStartTheEventFromTheirWater)
{
    // Two columns of three nodes (two solved, the bottom one not counted),
    // 5 cm each; the long-term mean moisture over the top 10 cm.
    auto s = grid(1, 2, 10.0);
    s->inf_richards = 1;
    s->long_term = 1;
    s->soil_moist_depth = 10.0;
    s->ov_dt = 60.0; // the infiltration interval follows the overland one
    s->current_time = s->next_event_time = noon;
    s->clock_passes = 1; // the first iteration: no dry gap
    s->numcells.assign(2, 3);
    s->bound_type.assign(2, 2);
    s->THETA.assign(2, 3, 0.2);
    s->THETAS.assign(2, 3, 0.4);
    s->DZ.assign(2, 3, 5.0);
    for (dvec* v : {&s->inf_rate, &s->event_inf_depth, &s->inf_depth_mark, &s->inf_rich, &s->direct_evap,
                    &s->unsat_down_flux})
        v->assign(2, 3.0);
    s->dtr.assign(2, 1.0);
    testing::internal::CaptureStdout();
    event_start_step(*s);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s->event_cell_count, 4);
    EXPECT_NEAR(s->soil_initial_volume_event, 4 * 0.2 * 0.05 * 100.0, 1e-12);
    // Node 1 weighs 0.5 x 5 cm, then the counter grows by node 2's 5 cm,
    // and so on to 10 cm: (2.5 + 2.5) / 10.
    EXPECT_NEAR(s->init_avg_moisture, 0.5, 1e-12);
    for (int j = 1; j <= 2; ++j) {
        EXPECT_EQ(s->bound_type[j], 1);
        EXPECT_NEAR(s->dtr[j], 60.0 / 3600.0, 1e-15);
        for (const dvec* v : {&s->inf_rate, &s->event_inf_depth, &s->inf_depth_mark, &s->inf_rich, &s->direct_evap,
                              &s->unsat_down_flux})
            EXPECT_EQ((*v)[j], 0.0);
    }
    EXPECT_NEAR(s->direct_evap_total, 2 * 3.0, 1e-12); // 3 cm over 100 m2, two cells
    EXPECT_NEAR(s->unsat_down_flux_total, 2 * 3.0, 1e-12);
}

TEST_F(EventCycle, EventStartClearsTheEventAndMeasuresItsStartingStorage)
{
    auto s = grid(1, 2, 10.0);
    s->current_time = s->next_event_time = s->sim_start_jd = noon;
    s->time_tol = process_time_tol;
    s->ov_dt = 30.0;
    s->ov_dt_days = 30.0 / 86400.0;
    s->tot_time = 30;
    s->interception = 1;
    s->icep_dep.assign(2, 1.5);
    s->wetlands_on = 1; // water may stand on the cells at the start
    s->ov_depth[1] = 0.01;
    s->rain_vol = s->peak_q = 7.0;
    s->optimize = 1;
    s->in_hyd_location_given = 1;
    s->num_hyd_locations = 2;
    s->opt_peak_q.assign(100, 3.0);
    s->opt_volume.assign(100, 3.0);
    calib_sink sink;
    sink.loc_peak.assign(3, 0.0);
    sink.loc_volume.assign(3, 0.0);
    s->calib_capture = &sink;

    testing::internal::CaptureStdout();
    event_start_step(*s);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Initialized Arrays\nsimulation duration 30 minutes\n");
    EXPECT_DOUBLE_EQ(s->event_end_time, noon + 30.0 / 1440.0);
    EXPECT_DOUBLE_EQ(s->ov_next, noon + 30.0 / 86400.0);
    EXPECT_EQ(s->icep_dep[1], 0.0);
    EXPECT_EQ(s->rain_vol, 0.0);
    EXPECT_EQ(s->peak_q, 0.0);
    EXPECT_EQ(s->rain_period, 1);
    EXPECT_NEAR(s->init_surface_vol, 1.0, 1e-12);
    EXPECT_EQ(s->awaiting_rain, 0);
    EXPECT_EQ(s->opt_peak_q[2], 0.0);
    EXPECT_EQ(s->opt_volume[1], 0.0);
    EXPECT_EQ(sink.loc_peak[2], -999.99);
    EXPECT_EQ(sink.loc_volume[1], -999.99);
    s->calib_capture = nullptr;
}

TEST_F(EventCycle, PeakAndProgressLine)
{
    auto s = grid(1, 1, 10.0);
    s->event_num = 1;
    s->cur_year = 2000;
    s->cur_month = 1;
    s->cur_day = 1;
    s->cur_hour = 12;
    s->cur_minute = 10;
    s->current_time = s->ov_last = noon + 10.0 / 1440.0;
    s->elapsed_min = 10.0;
    s->qout = 1.5;
    peak_q_step(*s);
    s->qout = 1.0;
    s->cur_minute = 11;
    peak_q_step(*s);
    EXPECT_EQ(s->peak_q, 1.5);
    EXPECT_EQ(s->peak_q_date[4], 10);
    s->qout = 1.5;
    s->cur_minute = 10;

    struct progress_case {
        const char* name;
        int quiet, super_quiet, cfs, ran;
        const char* line;
        int counted; // flush counter afterwards
    };
    const progress_case cases[] = {
        {"cms", 0, 0, 0, 1, "event  1 elapsed time    10.00   1/01/2000 12:10:00 Qout=    1.50 cms\n", 1},
        {"cfs", 0, 0, 1, 1, "event  1 elapsed time    10.00   1/01/2000 12:10:00 Qout=      53.0 cfs\n", 1},
        {"no process ran", 0, 0, 0, 0, "", 0},
        {"quiet", 1, 0, 0, 1, "", 0},
        {"super quiet", 0, 1, 0, 1, "", 1},
    };
    for (const progress_case& c : cases) {
        SCOPED_TRACE(c.name);
        s->quiet = c.quiet;
        s->super_quiet = c.super_quiet;
        s->qout_cfs = c.cfs;
        s->ov_last = c.ran ? s->current_time : s->current_time - 1.0;
        s->flush_buffer = 1;
        s->flush_line_count = 0;
        testing::internal::CaptureStdout();
        progress_step(*s);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
        EXPECT_EQ(s->flush_line_count, c.counted);
    }

    // Stream extremes of a one-link network, printed even when super quiet.
    s->stream_info = 1;
    s->num_links = 1;
    s->nx.assign(1, 3);
    s->yp.assign(3, 1, 0.0); // [node][link]
    s->qp.assign(3, 1, 0.0);
    s->bel.assign(3, 1, 0.0);
    const double depth[] = {0, 0.5, 2.0, 0.5}, q[] = {0, 3.0, 1.0, 4.0};
    for (int n = 1; n <= 3; ++n) {
        s->bel[n][1] = 100.0 - n;
        s->yp[n][1] = s->bel[n][1] + depth[n];
        s->qp[n][1] = q[n];
    }
    s->ov_last = s->current_time;
    testing::internal::CaptureStdout();
    progress_step(*s);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "    ==> Max Yp (N 2, L 1) = 2.000000\n"
                                                      "    ==> Min Yp (N 1, L 1) = 0.500000\n"
                                                      "    ==> Max Qp (N 3, L 1) = 4.000000\n"
                                                      "    ==> Min Qp (N 2, L 1) = 1.000000\n");
}

TEST_F(EventCycle, EventAndRunEndDecisions)
{
    std::vector<int> events;
    auto fresh = [&events] {
        auto s = grid(1, 1, 10.0);
        s->analyzers_head = std::make_unique<recording_analyzer>(&events);
        s->keep_running = 1;
        s->event_active = 1;
        s->current_time = noon;
        events.clear();
        return s;
    };

    // END_TIME already passed: the run stops without an analyzer event.
    auto s = fresh();
    s->end_time_on = 1;
    s->end_time_julian = noon - 1.0;
    s->event_end_time = noon + 1.0;
    event_end_check_step(*s);
    EXPECT_EQ(s->keep_running, 0);
    EXPECT_EQ(s->run_ended, 1);
    EXPECT_TRUE(events.empty());

    // An event run ends at its end time and tells the analyzers.
    s = fresh();
    s->event_end_time = noon + 1e-9;
    event_end_check_step(*s);
    EXPECT_EQ(s->keep_running, 1);
    s->event_end_time = noon;
    event_end_check_step(*s);
    EXPECT_EQ(s->keep_running, 0);
    EXPECT_EQ(events, std::vector<int>{analyzer_event_end});

    // Long-term recession, last event of one, outlet 0.05 m3/s threshold.
    struct recession_case {
        const char* name;
        double qout, peak, surface_depth; // surface depth over the 100 m2 cell, m
        int ended;
        const char* message;
    };
    const recession_case cases[] = {
        {"surface still holds water", 0.01, 1.0, 0.006, 0, ""},
        {"outlet at the threshold", 0.05, 1.0, 0.0, 0, ""},
        {"peak never reached", 0.01, 0.02, 0.0, 1,
         "simulation ended normally; peak flow after last event fell below cutoff value.\n"},
        {"peak reached", 0.01, 1.0, 0.0, 1,
         "simulation ended normally; end of data for last event reached\n"},
    };
    for (const recession_case& c : cases) {
        SCOPED_TRACE(c.name);
        s = fresh();
        s->long_term = 1;
        s->event_min_q = 0.05;
        s->event_num = s->num_events = 1;
        s->rain_vol = 10.0; // 5 % of it is 0.5 m3
        s->qout = c.qout;
        s->peak_q = c.peak;
        s->ov_depth[1] = c.surface_depth;
        testing::internal::CaptureStdout();
        event_end_check_step(*s);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        EXPECT_EQ(s->event_active, c.ended ? 0 : 1);
        EXPECT_EQ(s->keep_running, c.ended ? 0 : 1);
        EXPECT_EQ(events.size(), c.ended ? 1u : 0u);
    }

    // An event before the last ends quietly and the surface clocks wait for
    // the next event.
    s = fresh();
    s->long_term = 1;
    s->event_min_q = 0.05;
    s->event_num = 1;
    s->num_events = 2;
    s->event_start_times = {0.0, noon, noon + 2.0};
    s->ov_dt_days = 30.0 / 86400.0;
    s->peak_q = 1.0;
    s->qout = 0.01;
    event_end_check_step(*s);
    EXPECT_EQ(s->event_active, 0);
    EXPECT_EQ(s->keep_running, 1);
    EXPECT_DOUBLE_EQ(s->ov_next, noon + 2.0);
    EXPECT_DOUBLE_EQ(s->ov_last, noon + 2.0 - 30.0 / 86400.0);
}

TEST_F(EventCycle, SacramentoStoresAtAnEventStartAreItsSubsurfaceVolume)
{
    // The five stores in mm over the model's area give the event's starting
    // subsurface volume in m3.
    auto s = grid(2, 2, 10.0);
    s->run.timestep = s->timestep = s->timestep_base = 10.0;
    s->tot_time = 60;
    s->cur_year = 2000;
    s->current_time = s->sim_start_jd = s->next_event_time = s->event_start_times[1] = noon;
    s->super_quiet = 1;
    init_sim_clock(*s);
    s->sacramento = 1;
    s->sac.uztwc = 10.0;
    s->sac.uzfwc = 5.0;
    s->sac.lztwc = 40.0;
    s->sac.lzfsc = 20.0;
    s->sac.lzfpc = 25.0;
    s->sac_area = 2.0e6;
    event_start_step(*s);
    ASSERT_EQ(error_state.code, 0);
    EXPECT_NEAR(s->sac_subsurface_start_event, 100.0 * 2.0e6 / 1000.0, 1e-9);
}

// Sediment still suspended at an event's start settles into the soil with
// its attached mass, which leaves the cell's attached total; a cell never
// gives the soil more than it holds.
TEST_F(EventCycle, SuspendedSedimentSettlesWithItsAttachedMassAtAnEventStart)
{
    auto s = grid(1, 2, 10.0);
    s->current_time = s->next_event_time = s->sim_start_jd = noon;
    s->ov_dt_days = 30.0 / 86400.0;
    s->super_quiet = 1;
    s->sed.soil_erosion = 1;
    s->sed.num_sed = 1;
    s->sediment_contam = 1;
    s->num_constituents = 1;
    s->ov_sed_vol_susp.assign(2, 1, 0.0);
    s->ov_sed_vol_susp[1][1] = 0.5;
    s->ov_sed_vol_susp[2][1] = 2.0;
    matrix_stack_add(s->sed_con_class, 1, 10.0, 2, 1); // g per m3 of sediment
    for (row_array<double>* r : {&s->sed_con_mass, &s->sed_con_work})
        row_array_add_rows(*r, 1, 2);
    s->sed_con_mass[1][1] = 8.0;
    s->sed_con_mass[1][2] = 6.0;

    event_start_step(*s);
    EXPECT_DOUBLE_EQ(s->sed_con_work[1][1], 5.0);
    EXPECT_DOUBLE_EQ(s->sed_con_mass[1][1], 3.0);
    EXPECT_DOUBLE_EQ(s->sed_con_work[1][2], 6.0) << "only what the cell held";
    EXPECT_DOUBLE_EQ(s->sed_con_mass[1][2], 0.0);
    EXPECT_DOUBLE_EQ(s->sed_con_work[1][0], 11.0);
    EXPECT_EQ(s->sed_con_class.table[1][1][1], 0.0);
    EXPECT_EQ(s->sed_con_class.table[1][2][0], 0.0);
    EXPECT_EQ(s->ov_sed_vol_susp[2][1], 0.0);
}
