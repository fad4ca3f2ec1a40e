// The event close: it acts once per event, balances the event's water with
// (in - out) / in, measures the storages at the close, takes the event's
// share of running totals and hands the event to calibration.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "calibration/calib_capture.h"
#include "core/run_steps.h"
#include "output/output_steps.h"
#include "output/summary_writers.h"
#include "output/summary_fixture.h"

using namespace summary_test;

namespace
{

struct EventClose : SummaryFixture {
    // A 4-cell event without channels: rain in, outlet volume out, water
    // left on the cells (spread evenly).
    void event(double rain, double outflow, double left)
    {
        cells(4, 10.0);
        s->rain_vol = rain;
        s->outflow_vol = outflow;
        for (int m = 1; m <= 4; ++m)
            s->ov_depth[m] = left / 400.0;
        s->event_done = 1;
    }
};

} // namespace

TEST_F(EventClose, ClosesEachEventOnce)
{
    event(450.0, 400.0, 50.0);
    event_summary_step(*s);
    const std::string first = summary();
    EXPECT_EQ(s->event_done, 0);
    EXPECT_EQ(s->events_done, 1);
    EXPECT_TRUE(holds(first, "         TORVA EVENT RUNOFF SIMULATION SUMMARY\n")) << first;

    // A later caller of the same step finds the event closed.
    event_summary_step(*s);
    EXPECT_EQ(summary(), first);
    EXPECT_EQ(s->events_done, 1);
}

TEST_F(EventClose, ErrorSignNotesAndEventsWithoutInput)
{
    struct error_case {
        const char* name;
        int channel;
        double rain, outflow, left;
        double error; // fraction
        const char* error_line;
        const char* note; // none when empty
    };
    const error_case cases[] = {
        {"less water out than in", 0, 100.0, 50.0, 40.0, 0.1,
         "mass conservation error:                         10.000000 percent\n",
         "Note: positive mass conservation error indicates mass was lost.\n"},
        {"more water out than in", 0, 100.0, 70.0, 40.0, -0.1,
         "mass conservation error:                         -10.000000 percent\n",
         "Note: negative mass conservation error indicates mass was gained.\n"},
        {"no rain", 0, 0.0, 0.0, 0.0, -1.0,
         "mass conservation error:                         -100.000000 percent\n", ""},
        {"channel routing, input at the threshold", 1, 1e-16, 0.0, 0.0, -1.0,
         "mass conservation error:                         -100.000000 percent\n", ""},
    };
    for (const error_case& c : cases) {
        SetUp();
        event(c.rain, c.outflow, c.left);
        s->chan_explicit = c.channel;
        const std::string text = written_by([&] { event_summary_step(*s); });
        EXPECT_NEAR(s->mass_error_pct, c.error, 1e-12) << c.name;
        EXPECT_TRUE(holds(text, c.error_line)) << c.name << "\n" << text;
        const bool no_input = c.error == -1.0;
        EXPECT_EQ(holds(text, "indicates mass was"), !no_input) << c.name;
        if (!no_input) {
            EXPECT_TRUE(holds(text, c.note)) << c.name;
        }
        EXPECT_EQ(holds(text, "Note: no rainfall was input.\n"), no_input) << c.name;
        // Without rain there is no error to warn about.
        EXPECT_EQ(holds(text, "-Mass conservation error (absolute)"), !no_input) << c.name;
        EXPECT_FALSE(has_bad_number(text)) << c.name;
    }
}

TEST_F(EventClose, ChannelRoutedBalanceCountsEveryTerm)
{
    // Every term a power of two, so the sums show any term dropped, doubled
    // or moved to the other side. In: 1 + 2 + ... + 32768 = 65535. Out:
    // the powers 1 to 16384, the channel's 32 m3 (one link of two nodes of
    // 0.5 m2 every 32 m) among them, and 0.5 from the pipes: 32767.5. So
    // half the input is lost: an error of exactly 0.5.
    model_state& m = *s;
    m.chan_explicit = 1;
    m.num_links = 1;
    m.nx.assign(1, 2);
    m.ltype.assign(1, 0);
    m.link_dx.assign(1, 32.0);
    m.area.assign(2, 1, 0.5);
    double* in[] = {&m.event_lake_rain_vol,     &m.rain_vol,           &m.event_exfil_vol,
                    &m.init_chan_vol,           &m.init_surface_vol,   &m.gw_to_chan_event,
                    &m.gw_to_lake_event,        &m.lake_initial_volume, &m.snow_initial_volume,
                    &m.ov_point_vol,            &m.head_bc_in_event,   &m.lake_point_source_event,
                    &m.stream_point_source_event, &m.discharge_bc_in_event, &m.superlink_to_chan_event,
                    &m.superlink_to_ov_event};
    double* out[] = {&m.infil_vol,           &m.surface_vol,           &m.event_outflow_vol,
                     &m.et_volume_event,     &m.snow_final_volume,     nullptr, // the channel
                     &m.lake_final_volume,   &m.chan_to_gw_event,      &m.lake_to_gw_event,
                     &m.head_bc_out_event,   &m.slope_bc_out_event,    &m.lake_point_sink_event,
                     &m.stream_point_sink_event, &m.lake_evap_event,   &m.discharge_bc_out_event};
    double power = 1.0;
    for (double* v : in) {
        *v = power;
        power *= 2.0;
    }
    power = 1.0;
    for (double* v : out) {
        if (v)
            *v = power;
        power *= 2.0;
    }
    m.superlink_ov_in_event = 0.5;
    event_water_balance(m);
    EXPECT_DOUBLE_EQ(m.chan_vol, 32.0);
    EXPECT_DOUBLE_EQ(m.event_mass_in, 65535.0);
    EXPECT_DOUBLE_EQ(m.event_mass_out, 32767.5);
    EXPECT_DOUBLE_EQ(m.mass_error_pct, 0.5);
}

TEST_F(EventClose, SacramentoBalanceHasTheCommonSignAndRefreshesItsSides)
{
    // 100 m3 of rain: 50 leave at the outlet and 40 are stored in the
    // lumped soil at the close, so 10 are lost.
    event(100.0, 50.0, 0.0);
    s->chan_explicit = 1;
    s->sacramento = 1;
    s->sac_area = 400.0;
    s->sac.uztwc = 100.0; // mm over 400 m2: 40 m3
    s->event_mass_in = s->event_mass_out = 999.0;
    event_summary_step(*s);
    EXPECT_NEAR(s->sac_subsurface_end_event, 40.0, 1e-12);
    EXPECT_NEAR(s->event_mass_in, 100.0, 1e-12);
    EXPECT_NEAR(s->event_mass_out, 90.0, 1e-12);
    EXPECT_NEAR(s->mass_error_pct, 0.1, 1e-12);
}

TEST_F(EventClose, EventValuesAreRunTotalsLessTheirEventStartCopies)
{
    // Three events; each adds k to the running totals. Every close reports
    // that event's own share.
    cells(2, 10.0);
    s->time_tol = process_time_tol;
    s->ov_boundary = 1;
    s->interception = 1;
    s->stream_pointsource.assign(1, 1, nullptr);
    for (int k = 1; k <= 3; ++k) {
        s->current_time = s->next_event_time = 2451545.0 + k;
        testing::internal::CaptureStdout();
        event_start_step(*s);
        testing::internal::GetCapturedStdout();
        s->stream_point_sink_total += k;
        s->ov_cleanup_volume += 0.25 * k;
        s->head_bc_out_total += 2.0 * k;
        s->interception_total += 3.0 * k;
        s->rain_vol = 10.0;
        s->event_done = 1;
        const std::string text = written_by([&] { event_summary_step(*s); });
        EXPECT_DOUBLE_EQ(s->stream_point_sink_event, k);
        EXPECT_DOUBLE_EQ(s->ov_cleanup_vol_event, 0.25 * k);
        EXPECT_DOUBLE_EQ(s->head_bc_out_event, 2.0 * k);
        EXPECT_DOUBLE_EQ(s->interception_event, 3.0 * k);
        char line[128];
        std::snprintf(line, sizeof line, "mass cleanup error from overland:     %9.6lf m3\n", 0.25 * k);
        EXPECT_TRUE(holds(text, line)) << text;
        std::snprintf(line, sizeof line, "Volume to specified head (out):      %16.1lf\n", 2.0 * k);
        EXPECT_TRUE(holds(text, line)) << text;
    }
}

TEST_F(EventClose, SurfaceVolumeWithBothKindsOfLake)
{
    // Cell 1 lies in a perennial lake, cell 2 in an overland lake that holds
    // 50 m3 (its running volume, whatever the cell's own depth), cell 3 holds
    // 0.2 m of water.
    cells(3, 10.0);
    s->chan_lakes = 1;
    s->lake_mask.assign(3, 0);
    s->lake_mask[1] = 1;
    s->ov_depth[1] = 7.0;
    s->overland_lake_on = 1;
    s->oland_lake_new.assign(3, 0);
    s->oland_lake_new[2] = 1;
    s->oland_lakes.resize(2);
    s->oland_lakes[1].stage = 10.5;
    s->oland_lakes[1].volume = 50.0;
    s->ground_elev[2] = 10.0;
    s->ov_depth[2] = 3.0;
    s->ov_depth[3] = 0.2;
    s->event_done = 1;
    testing::internal::CaptureStdout();
    event_summary_step(*s);
    const std::string screen = testing::internal::GetCapturedStdout();
    EXPECT_NEAR(s->surface_vol, 70.0, 1e-9);
    EXPECT_NEAR(s->oland_lake_volume, 50.0, 1e-9);
    // Each kind counts apart; the combination is named once per close, not
    // once per cell.
    const std::string warning = "You are simulating overland lakes and perennial lakes, not recommended "
                                "presently. Contact your TORVA developer for further advice\n\n";
    ASSERT_TRUE(holds(screen, warning)) << screen;
    EXPECT_EQ(screen.find(warning, screen.find(warning) + 1), std::string::npos) << screen;
}

TEST_F(EventClose, FinalSoilMoistureOfLayeredSoils)
{
    // Layer 1 of 10 cm with porosity 0.4. Cell 1's column reaches below it,
    // cell 2's ends inside it, cell 3 has no column (it counts as p).
    cells(3, 10.0);
    s->inf_layered_soil = 1;
    s->soil_layers[1].depth[0] = 10.0;
    s->soil_layers[1].porosity[0] = 0.4;
    s->soiltype.assign(3, 1);
    s->soil_depth.assign(3, 0.0);
    s->soil_water_top.assign(3, 0.0);
    s->soil_depth[1] = 30.0;
    s->soil_water_top[1] = 2.0; // 0.2 / 0.4
    s->soil_depth[2] = 5.0;
    s->soil_water_top[2] = 1.0; // 0.2 / 0.4
    s->event_done = 1;
    event_summary_step(*s);
    EXPECT_NEAR(s->final_avg_moisture, (0.5 + 0.5 + 0.4) / 3.0, 1e-12);

    // Richards infiltration in an event run reports 0.
    SetUp();
    cells(3, 10.0);
    s->inf_richards = 1;
    s->event_done = 1;
    event_summary_step(*s);
    EXPECT_EQ(s->final_avg_moisture, 0.0);
}

TEST_F(EventClose, OptimisationLineAndCalibrationCapture)
{
    struct capture_case {
        const char* name;
        int cfs, locations, event_num;
        const char* line;
        double outlet_peak; // stored at the event's first slot
    };
    const capture_case cases[] = {
        {"m3/s, outlet only", 0, 0, 2, "2     1.000          10.0\n", 1.0},
        {"cubic feet, outlet only", 1, 0, 2, "2    35.32         353.2\n", 35.32},
        {"m3/s, two locations", 0, 2, 2,
         "2     1.000          10.0    2.000          20.0    3.000          30.0\n", 1.0},
        {"event 0", 0, 0, 0, "0     1.000          10.0\n", 0.0},
    };
    for (const capture_case& c : cases) {
        SetUp();
        event(10.0, 10.0, 0.0);
        ASSERT_TRUE(file_rec_open(s->optimize_file, dir.file("optim.out"), "w"));
        s->optimize = 1;
        s->qout_cfs = c.cfs;
        s->event_num = c.event_num;
        s->peak_q = 1.0;
        s->in_hyd_location_given = c.locations > 0;
        s->num_hyd_locations = c.locations;
        s->opt_peak_q.assign(2, 0.0);
        s->opt_volume.assign(2, 0.0);
        for (int m = 1; m <= 2; ++m) {
            s->opt_peak_q[m] = m + 1.0;
            s->opt_volume[m] = 10.0 * (m + 1);
        }
        calib_sink sink;
        sink.nevents = 2;
        sink.stride = c.locations + 1;
        sink.peaks.assign(static_cast<std::size_t>(sink.stride * 2 + 2), 0.0);
        sink.volumes = sink.peaks;
        sink.loc_peak.assign(static_cast<std::size_t>(sink.stride + 1), 0.0);
        sink.loc_volume = sink.loc_peak;
        s->calib_capture = &sink;

        event_summary_step(*s);
        file_rec_close(s->optimize_file);
        EXPECT_EQ(torva_test::read_file(dir.file("optim.out")), c.line) << c.name;
        const std::size_t first = static_cast<std::size_t>(sink.stride + 1); // event 2
        EXPECT_NEAR(sink.peaks[first], c.outlet_peak, 1e-9) << c.name;
        if (c.event_num == 0) {
            for (double v : sink.volumes)
                EXPECT_EQ(v, 0.0) << c.name;
        }
        for (int m = 1; m <= c.locations; ++m) {
            EXPECT_EQ(sink.loc_peak[static_cast<std::size_t>(m)], m + 1.0) << c.name;
            EXPECT_EQ(sink.volumes[first + static_cast<std::size_t>(m)], 10.0 * (m + 1)) << c.name;
        }
        s->calib_capture = nullptr;
    }
}
