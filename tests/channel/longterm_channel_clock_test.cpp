// The channel clock between the storms of a long-term run. Its branches on
// a state without links: a lake above its lowest stage keeps a one-minute
// step, a gaining stream the groundwater step, a drained network sleeps on
// the overland clock; rain, an active surface, a network still holding
// water, an event run or a running outlet leave the clock alone. Then a
// whole long-term run with a channel and two storms: the channel keeps
// routing at its step after the surface has dried, falls asleep once it has
// drained, wakes with the next storm, and its balance closes.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "channel/channel_steps.h"
#include "core/model_state.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

constexpr double now = 2451545.5;
constexpr double minute = 60.0 / 86400.0;

struct clock_case {
    const char* name;
    void (*edit)(model_state&);
    double chan_dt, chan_dt_days, chan_next; // expected; the untouched clock is 30 s
    int routing, dry_steps;
};

std::unique_ptr<model_state> dry_spell()
{
    auto s = std::make_unique<model_state>();
    s->long_term = 1;
    s->current_time = now;
    s->rain_vol = 100.0;
    s->chan_dt = 30.0;
    s->chan_dt_days = 30.0 / 86400.0;
    s->chan_next = now + s->chan_dt_days;
    s->ov_dt_days = 10.0 / 86400.0;
    s->ov_next = now + 0.5; // the next storm
    s->gw_dt = 900.0;
    s->timestep = 10.0;
    s->chan_routing_active = 1;
    s->num_lakes = 1;
    s->lake_elev.assign(1, 99.0);
    s->minwse.assign(1, 100.0);
    // One trapezoid link of two nodes 10 m apart holding 0.8 m3, below 1 %
    // of the rain.
    s->num_links = 1;
    s->ltype.assign(1, 4);
    s->nx.assign(1, 2);
    s->og_nx1.assign(1, 2);
    s->link_dx.assign(1, 10.0);
    s->area.assign(2, 1, 0.04);
    return s;
}

void lake_up(model_state& s)
{
    s.chan_lakes = 1;
    s.lake_elev[1] = 100.5;
}

} // namespace

TEST(LongTermChannelClock, BranchesBetweenStorms)
{
    const double untouched_days = 30.0 / 86400.0;
    const clock_case cases[] = {
        {"drained network sleeps", [](model_state&) {}, 30.0, 10.0 / 86400.0, now + 0.5, 0, 1},
        {"lake above its lowest stage", lake_up, 60.0, minute, now + minute, 1, 1},
        {"lake with groundwater halves its step",
         [](model_state& s) {
             lake_up(s);
             s.gw_simulation = 1;
         },
         56.25, 56.25 / 86400.0, now + 56.25 / 86400.0, 1, 1},
        {"lake with constituents keeps the base step",
         [](model_state& s) {
             lake_up(s);
             s.chan_con_trans = 1;
         },
         10.0, 10.0 / 86400.0, now + 10.0 / 86400.0, 1, 1},
        {"gaining stream keeps the groundwater clock", [](model_state& s) { s.stream_gw_status = 1; }, 56.25,
         900.0 / 86400.0, now + 900.0 / 86400.0, 1, 1},
        {"outlet still running", [](model_state& s) { s.qout = 2e-6; }, 30.0, untouched_days,
         now + untouched_days, 1, 1},
        {"no rain yet", [](model_state& s) { s.rain_vol = 0.0; }, 30.0, 10.0 / 86400.0, now + 0.5, 0, 1},
        {"network holds over 1 % of the rain", [](model_state& s) { s.area[2][1] = 0.08; }, 30.0,
         untouched_days, now + untouched_days, 1, 0},
        {"lake seen on an earlier dry step",
         [](model_state& s) {
             lake_up(s);
             s.dry_chan_steps = 3;
         },
         30.0, untouched_days, now + untouched_days, 1, 3},
        {"raining", [](model_state& s) { s.raining = 1, s.dry_chan_steps = 4; }, 30.0, untouched_days,
         now + untouched_days, 1, 0},
        {"surface active", [](model_state& s) { s.surface_active = 1; }, 30.0, untouched_days,
         now + untouched_days, 1, 0},
        {"surface flowing", [](model_state& s) { s.ov_flowing = 1; }, 30.0, untouched_days,
         now + untouched_days, 1, 0},
        {"pipes discharging", [](model_state& s) { s.superlink_chan_flag = 1; }, 30.0, untouched_days,
         now + untouched_days, 1, 0},
        {"event run", [](model_state& s) { s.long_term = 0; }, 30.0, untouched_days, now + untouched_days, 1,
         0},
    };
    for (const clock_case& c : cases) {
        SCOPED_TRACE(c.name);
        auto s = dry_spell();
        c.edit(*s);
        longterm_channel_clock(*s);
        EXPECT_DOUBLE_EQ(s->chan_dt, c.chan_dt);
        EXPECT_DOUBLE_EQ(s->chan_dt_days, c.chan_dt_days);
        EXPECT_DOUBLE_EQ(s->chan_next, c.chan_next);
        EXPECT_EQ(s->chan_routing_active, c.routing);
        EXPECT_EQ(s->dry_chan_steps, c.dry_steps);
    }
}

namespace
{

// The long-term example's plot and weather with a channel along its lower
// row and two one-hour storms of 50 mm/h, on the first and second morning.
void write_longterm_channel_project(const scratch_dir& dir)
{
    for (const char* f :
         {"longterm.msk", "longterm.ele", "longterm.hmet", "longterm_alb.map", "longterm_vh.map",
          "longterm_tc.map", "longterm_cr.map", "longterm_wp.map", "longterm_k.map", "longterm_hc.map",
          "longterm_por.map", "longterm_m0.map", "longterm_pi.map", "longterm_rs.map"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/longterm/" + f));
    std::string prj = read_file(std::string(TORVA_EXAMPLES) + "/longterm/longterm.prj");
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"longterm.pre", "storms.pre"},
                                   {"1998 07 03 12 00", "1998 07 02 12 00"}}) {
        const std::size_t at = prj.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        prj.replace(at, from.size(), to);
    }
    write_file(dir.file("longterm.prj"),
               prj + "CHAN_EXPLIC\nCHANNEL_INPUT      row.chn\nSTREAM_CELL        row.gst\n");
    write_file(dir.file("row.chn"), "TORVA_CHAN\nALPHA 1.0\nBETA 1.0\nTHETA 0.5\nLINKS 1\nMAXNODES 4\n"
                                    "CONNECT 1 0 0\nLINK 1\nTRAPEZOID\nMANNINGS_N 0.035\nDX 30\nNODES 4\n"
                                    "NODE 1\nELEV 999.00\nXSEC\nBOTTOM_WIDTH 1.0\nSIDE_SLOPE 1.0\n"
                                    "BANKFULL_DEPTH 0.5\nNODE 2\nELEV 998.95\nNODE 3\nELEV 998.90\n"
                                    "NODE 4\nELEV 998.85\n");
    write_file(dir.file("row.gst"),
               "GRIDSTREAMFILE\nSTREAMCELLS 3\nCELLIJ 3 1\nNUMNODES 1\nLINKNODE 1 1 1.0\n"
               "CELLIJ 3 2\nNUMNODES 1\nLINKNODE 1 2 1.0\n"
               "CELLIJ 3 3\nNUMNODES 1\nLINKNODE 1 3 1.0\n");
    std::string pre;
    for (int day : {1, 2})
        pre += "EVENT storm\nNRGAG 1\nNRPDS 2\nCOORD 45.0 45.0 \"Gauge A\"\n"
               "GAGES 1998 7 " +
               std::to_string(day) +
               " 6 0   0.0\n"
               "GAGES 1998 7 " +
               std::to_string(day) + " 7 0  50.0\n";
    write_file(dir.file("storms.pre"), pre);
}

double summary_value(const std::string& sum, const std::string& label)
{
    const std::size_t at = sum.rfind(label);
    EXPECT_NE(at, std::string::npos) << label;
    double v = -1e30;
    if (at != std::string::npos) {
        EXPECT_EQ(std::sscanf(sum.c_str() + at + label.size(), "%lf", &v), 1) << label;
    }
    return v;
}

} // namespace

TEST(LongTermChannelClock, ChannelDrainsAfterTheStormThenSleepsUntilTheNext)
{
    scratch_dir dir("ltchan");
    write_longterm_channel_project(dir);
    std::string out;
    ASSERT_EQ(
        run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=2 '" + torva_exe() + "' longterm.prj 2>&1",
                    out),
        0)
        << out;

    // One progress line per channel time, by elapsed minute.
    int draining = 0, asleep = 0, second_storm = 0;
    for (std::size_t at = out.find("elapsed time"); at != std::string::npos;
         at = out.find("elapsed time", at + 1)) {
        double minutes = -1.0;
        ASSERT_EQ(std::sscanf(out.c_str() + at, "elapsed time %lf", &minutes), 1);
        if (minutes >= 600.0 && minutes <= 750.0) {
            ++draining;
        } else if (minutes > 840.0 && minutes < 1800.0) {
            ++asleep;
        } else if (minutes >= 1800.0 && minutes <= 1810.0) {
            ++second_storm;
        }
    }
    // From 10:00 to 12:30 of the first day the surface is dry but the
    // channel still routes at its one-minute step; by 14:00 it has drained
    // and sleeps until the second storm starts at 06:00 the next day.
    EXPECT_EQ(draining, 151);
    EXPECT_EQ(asleep, 0);
    EXPECT_EQ(second_storm, 11);

    const std::string sum = read_file(dir.file("longterm.sum"));
    const double lateral = summary_value(sum, "Total lateral inflow into channels=");
    const double discharge = summary_value(sum, "Total amount of discharge=");
    const double left = summary_value(sum, "Final volume in channels=");
    EXPECT_GT(lateral, 400.0);
    EXPECT_NEAR(lateral, discharge + left, 0.02);
    EXPECT_LT(left, 0.01 * 810.0);
    EXPECT_NEAR(summary_value(sum, "Overall mass balance error ="), 0.0, 1e-4);
}
