// The tracer example end to end: a two-minute pulse fed into the head of
// a steady trapezoidal reach arrives at the outlet node one travel time L / V after it was injected, the
// channel summary books what the point input brought and what left, and with first-order decay a steady
// injection leaves the reach at C exp(-k L / V). The location rows and link/node files of the channel
// constituents hold the node values at every output time and their outlet flux adds up to the outlet mass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "support/golden_compare.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

constexpr double reach = 1000.0;  // m
constexpr double discharge = 1.0; // m3/s

struct tracer_watch {
    double start = 0.0;                   // Julian day of the first step
    double sum_c = 0.0, sum_tc = 0.0;     // outlet concentration moments, t in s
    double sum_m = 0.0, sum_tm = 0.0;     // moments of the mass the point input brought
    double area_at_pulse = 0.0;           // mean node area when the pulse starts
    double last_c = 0.0, last_area = 0.0; // at the last step
    int steps = 0;
} w;

double mean_area(const model_state& s)
{
    double a = 0.0;
    for (int n = 1; n <= s.nx[1]; ++n)
        a += s.area[n][1];
    return a / s.nx[1];
}

void watch(const model_state& s)
{
    if (w.steps++ == 0)
        w.start = s.current_time;
    const double t = (s.current_time - w.start) * 86400.0;
    const double c = s.chan_conc[1][s.node_dim + s.nx[1]];
    w.sum_c += c;
    // The mass booked at this step entered over the channel step before it.
    const double injected = s.chan_point_mass_total[1] - w.sum_m;
    w.sum_m += injected;
    w.sum_tm += (t - 5.0) * injected;
    w.sum_tc += t * c;
    if (injected > 0.0)
        w.area_at_pulse = mean_area(s);
    w.last_c = c;
    w.last_area = mean_area(s);
}

// Runs a copy of the example project in `dir`, with `extra` cards appended,
// the thread count replaced by `threads` and the line `card` (when given)
// replaced by `by`.
std::string run_example(const scratch_dir& dir, const std::string& project, const std::string& extra = "",
                        int threads = 1, void (*observer)(const model_state&) = watch,
                        const std::string& card = "", const std::string& by = "")
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/channel_tracer/";
    for (const char* name : {"tracer.msk", "tracer.ele", "tracer.idx", "tracer.chn", "tracer.gst",
                             "tracer.cmt", "tracer.pts", "steady.pts", "storms.pts", "storms.pre",
                             "storms.hmet", "storms.cmt", "storms_alb.map", "flood.chn", "flood.pts"})
        write_file(dir.file(name), read_file(from + name));
    std::string prj = read_file(from + project);
    prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n");
    const std::string one_thread = "NUM_THREADS       1";
    prj.replace(prj.find(one_thread), one_thread.size(), "NUM_THREADS " + std::to_string(threads));
    if (!card.empty())
        prj.replace(prj.find(card), card.size(), by);
    write_file(dir.file(project), prj + extra);
    w = tracer_watch{};
    reset_file_name_globals();
    error_state_clear();
    run_step_observer = observer;
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file(project), nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    run_step_observer = nullptr;
    reset_file_name_globals();
    error_state_clear();
    EXPECT_EQ(rc, 0) << out.substr(out.size() > 3000 ? out.size() - 3000 : 0);
    return out;
}

double summary_value(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return NAN;
    const std::size_t digits = text.find_first_of("-0123456789", at + label.size());
    return std::atof(text.c_str() + digits);
}

} // namespace

TEST(ChannelTracerExample, PulseTravelsTheReachAndTheBalanceCloses)
{
    scratch_dir dir("channel_tracer");
    run_example(dir, "tracer.prj");
    ASSERT_GT(w.steps, 600);
    ASSERT_GT(w.area_at_pulse, 0.0);
    const double travel = reach * w.area_at_pulse / discharge; // L / V
    const double injected = w.sum_tm / w.sum_m;                // centroid of what the input brought
    const double arrived = w.sum_tc / w.sum_c;
    EXPECT_NEAR(arrived - injected, travel, 0.03 * travel) << arrived << " " << travel;

    const std::string whole = read_file(dir.file("tracer.sum"));
    const std::string sum = whole.substr(whole.find("Channel Contaminant Transport Summary"));
    const double gain = summary_value(sum, "Point source mass gain");
    const double out = summary_value(sum, "Outlet mass flux");
    const double final_mass = summary_value(sum, "Final Dissolved Mass in Channels");
    const double error = summary_value(sum, "Contam mass balance error");
    EXPECT_NEAR(gain, discharge * 100.0 * 120.0 / 1000.0, 0.03 * 12.0) << sum;
    EXPECT_NEAR(out + final_mass, gain, 0.005 * gain) << sum;
    EXPECT_LT(std::fabs(error), 0.1) << sum;
}

TEST(ChannelTracerExample, SteadyInjectionDecaysAlongTheReach)
{
    scratch_dir dir("channel_decay");
    run_example(dir, "decay.prj");
    const double k = 26.0 / 86400.0;
    const double expected = 10.0 * std::exp(-k * reach * w.last_area / discharge);
    EXPECT_NEAR(w.last_c, expected, 0.02 * expected);
    const std::string whole = read_file(dir.file("decay.sum"));
    const std::string sum = whole.substr(whole.find("Channel Contaminant Transport Summary"));
    EXPECT_LT(std::fabs(summary_value(sum, "Contam mass balance error")), 0.1) << sum;
    EXPECT_GT(summary_value(sum, "Mass decay loss"), 0.0) << sum;
}

namespace
{

// The numbers of every line of a text, one vector per line.
std::vector<std::vector<double>> number_rows(const std::string& text)
{
    std::vector<std::vector<double>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<double> row;
        double v;
        while (words >> v)
            row.push_back(v);
        rows.push_back(row);
    }
    return rows;
}

// The node values of the single link at every step of a link/node file:
// each step is "TS n", then the node count and a (flag, value) pair per node.
std::vector<std::vector<double>> linknode_steps(const std::string& text)
{
    std::vector<std::vector<double>> steps;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, 3, "TS ") != 0 || !std::getline(lines, line))
            continue;
        std::istringstream words(line);
        int nodes = 0;
        words >> nodes;
        std::vector<double> values(1, 0.0);
        double flag, v;
        for (int n = 1; n <= nodes && (words >> flag >> v); ++n)
            values.push_back(v);
        steps.push_back(values);
    }
    return steps;
}

} // namespace

// The pulse run with every channel constituent output switched on: the rows
// at the middle and outlet nodes and the link/node files hold one entry per
// output time and agree with each other, the dissolved flux at the outlet
// integrated over time is the outlet mass of the summary, and the outputs do
// not depend on the thread count.
TEST(ChannelTracerExample, LocationAndLinkNodeOutputsAgreeWithTheSummary)
{
    const std::string cards = "ALL_CONTAM_OUTPUT\nMAP_TYPE 1\nIN_HYD_LOCATION h.loc\nOUT_HYD_LOCATION h.out\n"
                              "OUT_CON_LOCATION c.out\nOUT_MASS_LOCATION m.out\n";
    scratch_dir one("channel_outputs_1"), four("channel_outputs_4");
    for (const scratch_dir* dir : {&one, &four})
        write_file(dir->file("h.loc"), "2 1 13 1 25\n");
    run_example(one, "tracer.prj", cards, 1);
    run_example(four, "tracer.prj", cards, 4);

    const int times = 111; // 0 to 110 minutes, every minute
    const auto conc = number_rows(read_file(one.file("c.out")));
    const auto flux = number_rows(read_file(one.file("m.out")));
    const auto nodes = linknode_steps(read_file(one.file("tracer.chan.conc")));
    ASSERT_EQ(static_cast<int>(conc.size()), times);
    ASSERT_EQ(static_cast<int>(flux.size()), times);
    ASSERT_EQ(static_cast<int>(nodes.size()), times);
    EXPECT_EQ(static_cast<int>(linknode_steps(read_file(one.file("tracer.chan.mass"))).size()), times);

    double outlet_mass = 0.0, carried = 0.0, peak = 0.0; // g
    for (int t = 0; t < times; ++t) {
        ASSERT_EQ(conc[t].size(), 3u) << t;
        ASSERT_EQ(flux[t].size(), 3u) << t;
        ASSERT_EQ(nodes[t].size(), 26u) << t;
        EXPECT_DOUBLE_EQ(conc[t][0], t);
        EXPECT_NEAR(conc[t][1], nodes[t][13], 1e-5) << t;
        EXPECT_NEAR(conc[t][2], nodes[t][25], 1e-5) << t;
        outlet_mass += flux[t][2] * 60.0;
        carried += conc[t][2] * discharge * 60.0; // 1 m3/s carries C mg/L as C g/s
        peak = std::max(peak, conc[t][2]);
    }
    EXPECT_GT(peak, 1.0);
    const std::string whole = read_file(one.file("tracer.sum"));
    const std::string sum = whole.substr(whole.find("Channel Contaminant Transport Summary"));
    const double out = summary_value(sum, "Outlet mass flux");
    EXPECT_NEAR(outlet_mass / 1000.0, out, 0.01 * out) << sum;
    EXPECT_NEAR(carried / 1000.0, out, 0.01 * out) << sum;

    for (const char* name : {"c.out", "m.out", "tracer.chan.conc", "tracer.chan.mass"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
    const golden_tolerance printed{1e-6, 2e-6};
    EXPECT_TRUE(matches_golden("channel_tracer_locations.conc", read_file(one.file("c.out")), printed));
    EXPECT_TRUE(matches_golden("channel_tracer_locations.mass", read_file(one.file("m.out")), printed));
}

namespace
{

// What the long-term run shows at the start of its second event.
struct storm_watch {
    double mass = 0.0;           // channel mass (g) at the end of the last step
    int event = 0;               // event of the last step
    double mass_before = -1.0;   // channel mass at the end of the first event's last step
    double initial_event = -1.0; // the second event's initial channel mass (g)
    bool clocks_restarted = false;
} storms;

void watch_storms(const model_state& s)
{
    if (s.event_num == 2 && storms.event == 1) {
        storms.mass_before = storms.mass;
        storms.initial_event = s.chan_initial_dissolved_event[1] * 1000.0;
        // The constituent clocks start again with the channel clock.
        storms.clocks_restarted = s.chan_con_last == s.current_time && s.chan_con_next == s.chan_next &&
                                  s.chan_con_next > s.current_time;
    }
    storms.event = s.event_num;
    storms.mass = 0.0;
    for (int n = 1; n <= s.nx[1]; ++n)
        storms.mass += s.chan_node_mass[1][s.node_dim + n];
}

// The value after `label` in the part of `text` that begins at `title`.
double section_value(const std::string& text, std::size_t from, const std::string& title,
                     const std::string& label)
{
    const std::size_t at = text.find(title, from);
    return at == std::string::npos ? NAN : summary_value(text.substr(at), label);
}

} // namespace

// Two storms in one long-term run, with each way of spending the time
// between them: with INF_REDIST the model steps on and the tracer the first
// event leaves in the reach drains on, with INF_LAYERED_SOIL the clocks jump
// to the next storm and the reach holds still. Either way the second event
// starts from exactly what the reach holds, the constituent clocks restart
// with the channel clock, and the channel balances of both events and of the
// run close with decay on.
TEST(ChannelTracerExample, TracerLeftByOneStormCarriesIntoTheNext)
{
    struct gap_case {
        const char* infiltration;
        bool drains;
    };
    const gap_case cases[] = {
        {"INF_REDIST\n", true},
        {"INF_LAYERED_SOIL\nSOIL_TYPE_MAP soils.map\nSOIL_LAYER_INPUT_FILE layers.tab\n", false},
    };
    for (const gap_case& c : cases) {
        SCOPED_TRACE(c.infiltration);
        scratch_dir dir("channel_storms");
        std::string ones;
        for (int j = 0; j < 25; ++j)
            ones += "1 ";
        write_file(dir.file("soils.map"),
                   "north: 40.0\nsouth: 0.0\neast: 1000.0\nwest: 0.0\nrows: 1\ncols: 25\n" + ones + "\n");
        // One soil of three layers: 10 and 20 cm over the rest.
        write_file(
            dir.file("layers.tab"),
            "1\nconductivity(cm/h) pore-index capillary-head(cm) porosity field-capacity wilting-point "
            "residual initial thickness(cm)\n1\n0.01 0.25 11.0 0.45 0.30 0.12 0.05 0.30 10.0\n"
            "0.01 0.20 21.0 0.46 0.35 0.20 0.08 0.30 20.0\n0.01 0.15 27.0 0.47 0.38 0.25 0.10 0.35\n");
        storms = storm_watch{};
        run_example(dir, "storms.prj", "", 1, watch_storms, "INF_REDIST\n", c.infiltration);
        ASSERT_EQ(storms.event, 2);
        ASSERT_GT(storms.mass_before, 100.0); // the first storm leaves tracer behind
        EXPECT_NEAR(storms.initial_event, storms.mass_before, 1e-9 * storms.mass_before);
        EXPECT_TRUE(storms.clocks_restarted);

        const std::string sum = read_file(dir.file("storms.sum"));
        const std::string event = "Channel Contaminant Transport Summary for Tracer";
        const std::size_t first = sum.find(event), second = sum.find(event, first + 1);
        ASSERT_NE(second, std::string::npos) << sum;
        const std::size_t run = sum.find("Channel Contaminant Transport Summary for Contaminant");
        ASSERT_NE(run, std::string::npos) << sum;
        const double left = section_value(sum, first, event, "Final Dissolved Mass in Channels");
        const double carried = section_value(sum, second, event, "Initial Dissolved Mass in Channels");
        if (c.drains)
            EXPECT_GT(left, carried + 0.1);
        else
            EXPECT_EQ(left, carried);
        EXPECT_NEAR(carried, storms.initial_event / 1000.0, 0.005);
        for (std::size_t at : {first, second})
            EXPECT_LT(std::fabs(section_value(sum, at, event, "Contam mass balance error")), 0.1) << sum;

        // 1 m3/s for 30 minutes at 10 mg/L, then for 10 minutes at 5 mg/L.
        const std::string title = "Channel Contaminant Transport Summary for Contaminant";
        EXPECT_NEAR(section_value(sum, run, title, "Point source mass gain"), 21.0, 0.01 * 21.0) << sum;
        EXPECT_GT(section_value(sum, run, title, "Mass decay loss"), 0.0) << sum;
        EXPECT_LT(std::fabs(section_value(sum, run, title, "Dissolved mass balance error")), 0.1) << sum;
    }
}

namespace
{

// The tracer that overbank flow puts on the land.
struct flood_watch {
    double most_water = 0.0; // m3 on the land
    double most_mass = 0.0;  // g on the land
    double worst = 0.0;      // largest departure of the land's concentration from 10 mg/L
} flood;

void watch_flood(const model_state& s)
{
    double water = 0.0, mass = 0.0;
    for (int j = 1; j <= s.num_cells; ++j) {
        water += s.ov_depth[j] * s.gridsize * s.gridsize;
        mass += s.ov_mass[1][j];
    }
    // The volumes the last channel step exchanged move their mass at the
    // next constituent step.
    for (int m = 1; m <= s.gst_ncells; ++m)
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e)
            water += s.gst_Vlat[m][e];
    flood.most_water = std::max(flood.most_water, water);
    flood.most_mass = std::max(flood.most_mass, mass);
    if (water > 50.0)
        flood.worst = std::max(flood.worst, std::fabs(mass / (10.0 * water) - 1.0));
}

} // namespace

// Overbank flow carries the tracer both ways: the spill takes the channel's
// 10 mg/L onto the land, the water running back brings it home, the land's
// water holds the concentration of its source throughout, and what the land
// books as sent to the channel is what the channel books as received, so
// the overland, channel and whole-run balances all close.
TEST(ChannelTracerExample, OverbankFlowCarriesTheTracerBothWays)
{
    scratch_dir dir("channel_flood");
    flood = flood_watch{};
    run_example(dir, "flood.prj", "", 1, watch_flood);
    ASSERT_GT(flood.most_water, 500.0);
    EXPECT_GT(flood.most_mass, 0.9 * 10.0 * flood.most_water);
    EXPECT_LT(flood.worst, 0.005);

    const std::string sum = read_file(dir.file("flood.sum"));
    EXPECT_GT(summary_value(sum, "lateral flow out of channel"), 1000.0) << sum;
    EXPECT_GT(summary_value(sum, "lateral flow into channel"), 1000.0) << sum;
    const std::string land = "Overland Contaminant Transport Summary for Tracer";
    const std::string channel = "Channel Contaminant Transport Summary for Tracer";
    EXPECT_EQ(section_value(sum, 0, land, "Lateral flow to streams"),
              section_value(sum, 0, channel, "Mass gain from overland"))
        << sum;
    EXPECT_LT(std::fabs(section_value(sum, 0, land, "Dissolved mass balance error")), 0.1) << sum;
    EXPECT_LT(std::fabs(section_value(sum, 0, channel, "Contam mass balance error")), 0.1) << sum;
    const std::size_t run = sum.find("Amounts are total for simulations");
    ASSERT_NE(run, std::string::npos) << sum;
    for (const char* label : {"Contam mass balance error", "Dissolved mass balance error"}) {
        std::size_t at = run;
        while ((at = sum.find(label, at)) != std::string::npos) {
            EXPECT_LT(std::fabs(summary_value(sum.substr(at), label)), 0.1) << sum.substr(at, 80);
            at += 1;
        }
    }
}

// Contaminant maps as one grid per map time go into the folder named by
// the contaminant's output name ("tracer"); the folder is made at start-up
// when it is missing, instead of the run stopping at the first map time.
TEST(ChannelTracerExample, ContaminantGridsGoIntoTheirFolderMadeAtStartUp)
{
    scratch_dir dir("tracer_grids");
    run_example(dir, "tracer.prj", "ALL_CONTAM_OUTPUT\nMAP_TYPE 0\n", 1, watch, "MAP_FREQ          600",
                "MAP_FREQ 60");
    for (const char* kind : {"conc", "mass"})
        for (int t = 1; t <= 2; ++t) {
            char name[64];
            std::snprintf(name, sizeof name, "tracer/%s_01.%s.%04d.asc", kind, kind, t);
            EXPECT_TRUE(file_exists(dir.file(name))) << name;
        }
}

// A whole run with an analyzer on the concentration of the channel point
// input (pointconc): the tracer example's input at link 1, node 1 carries
// 100 from 12:40 to 12:42, so of the reports made every minute only those of
// 12:40 and 12:41 find that node above 50, and no other node ever.
TEST(ChannelTracerExample, PointInputConcentrationAnalyzerSeesThePulse)
{
    scratch_dir dir("tracer_analyzer");
    write_file(dir.file("an.txt"), "1DS pointconc_1 t > 50 tcf 60 pc.txt\n");
    const std::string out = run_example(dir, "tracer.prj", "ANALYZERS an.txt\n");
    EXPECT_NE(out.find("Set up 1 analyzers...\n"), std::string::npos) << out;
    const std::string pc = read_file(dir.file("pc.txt"));
    int reports = 0, passing = 0;
    for (std::size_t at = pc.find("====>"); at != std::string::npos; at = pc.find("====>", at + 1)) {
        ++reports;
        if (pc.compare(at, 8, "====> 1 ") == 0)
            ++passing;
    }
    EXPECT_EQ(reports, 111) << "one report a minute from 12:00 to 13:50";
    EXPECT_EQ(passing, 2) << pc;
    for (const char* minute : {"12:40: 0", "12:41: 0"}) {
        const std::size_t at = pc.find(std::string("pointconc_1 at 01-01-2000, ") + minute);
        ASSERT_NE(at, std::string::npos) << minute;
        EXPECT_EQ(pc.compare(pc.find(":\n", at) + 2, 37, "Link   1, Node   1\n====> 1 out of 25 "), 0)
            << pc.substr(at, 200);
    }
}
