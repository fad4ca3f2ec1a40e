// Stream boundary points of a nested run: placed on the channel network by
// position or by link and node, their discharges enter their nodes and the
// channel balance books them with the stream point sources.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "support/test_support.h"

#include "channel/chan_routing.h"
#include "channel/channel_fixture.h"
#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"

using namespace torva_test;

namespace
{

// One trapezoidal link of five nodes; node point k lies at x = 10 (k - 1),
// y = 15, so node n's reach runs from x = 10 (n - 1) to 10 n.
std::string one_link(bool positions)
{
    std::string net = "TORVA_CHAN\nALPHA 1\nBETA 1\nTHETA 0.5\nLINKS 1\nMAXNODES 6\nCONNECT 1 0 0\nLINK 1\n"
                      "TRAPEZOID\nMANNINGS_N 0.03\nDX 10\nNODES 6\n";
    for (int k = 1; k <= 6; ++k) {
        net += "NODE " + std::to_string(k) + "\nELEV " + std::to_string(100.0 - 0.1 * (k - 1)) + "\n";
        if (positions)
            net += "X_Y " + std::to_string(10 * (k - 1)) + " 15\n";
        if (k == 1)
            net += "XSEC\nBOTTOM_WIDTH 1\nSIDE_SLOPE 1\nBANKFULL_DEPTH 2\n";
    }
    return net;
}
const char* gst = "GRIDSTREAMFILE\nSTREAMCELLS 1\nCELLIJ 2 2\nNUMNODES 1\nLINKNODE 1 1 1.0\n";

// An outer model's stream hydrograph file with the given points and one
// discharge per point, held for the whole day.
std::string hydrographs(const std::string& xs, const std::string& ys, const std::string& qs, int n)
{
    return "XY_STREAM_HYDROGRAPHS\n" + std::to_string(n) + "\nX                 \t" + xs +
           "\nY                 \t" + ys + "\n2000 01 01 00 00\t" + qs + "\n2000 01 02 00 00\t" + qs +
           "\nEND_TS\n";
}

struct StreamBoundary : ChannelProject {
    bool load_points(const std::string& xy_file, const std::string& ts_file, bool positions = true)
    {
        std::string cards;
        if (!xy_file.empty()) {
            file("st.xy", xy_file);
            cards += "XYBDYINPUT_STFLOW st.xy\n";
        }
        if (!ts_file.empty()) {
            file("st.ts", ts_file);
            cards += "XYBDYINPUT_STTIMESERIES st.ts\n";
        }
        return load_network(one_link(positions), gst, cards);
    }
};

} // namespace

TEST_F(StreamBoundary, PointsByPositionTakeTheNearestReachAndExplicitOnesAreChecked)
{
    struct placement {
        double x, y;
        int node;
    } cases[] = {
        {25.0, 16.0, 3},  // inside node 3's reach
        {-7.0, 15.0, 1},  // before the head of the link
        {60.0, 40.0, 5},  // past its last node point
        {14.0, -30.0, 2}, // far to the side
    };
    std::string xs, ys, qs;
    for (const placement& c : cases) {
        xs += "   " + std::to_string(c.x);
        ys += "   " + std::to_string(c.y);
        qs += "   1.0";
    }
    ASSERT_TRUE(load_points(hydrographs(xs, ys, qs, 4), "TORVA_XY_ST_BDY_TS\nTORVA_TS\nLINKNODE 1 4\n"
                                                        "TIMESERIES release\nEND_TS\n"))
        << out;
    const xy_input& in = s->cards.xy_in;
    ASSERT_EQ(in.num_st_points, 5);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(in.stpts[k].link, 1) << k;
        EXPECT_EQ(in.stpts[k].node, cases[k].node) << k;
    }
    EXPECT_EQ(in.stpts[4].node, 4);
    EXPECT_TRUE(
        printed("TORVA placed 5 stream xy boundary points on link/nodes.\n1,3\t1,1\t1,5\t1,2\t1,4\t\n"))
        << out;

    struct refusal {
        std::string ts;
        bool positions;
        std::string message;
    } refusals[] = {
        {"TORVA_XY_ST_BDY_TS\nTORVA_TS\nLINKNODE 1 6\nTIMESERIES release\nEND_TS\n", true,
         "Error: stream xy boundary point 1: link 1 node 6 is not a node of a routed channel link.\n"},
        {"TORVA_XY_ST_BDY_TS\nTORVA_TS\nLINKNODE 1 4\nTIMESERIES release\nEND_TS\nTORVA_TS\nLINKNODE 2 1\n"
         "TIMESERIES release\nEND_TS\n",
         true,
         "Error: stream xy boundary point 2: link 2 node 1 is not a node of a routed channel link.\n"},
        {"TORVA_XY_ST_BDY_TS\nTORVA_TS\nXY 25 15\nTIMESERIES release\nEND_TS\n", false,
         "Error: stream xy boundary point 1 at (25.000, 15.000) cannot be placed on the channel network: no "
         "routed link has X_Y node points in the channel input file.\n"},
    };
    for (const refusal& r : refusals) {
        EXPECT_FALSE(load_points("", r.ts, r.positions)) << r.message;
        EXPECT_TRUE(printed(r.message)) << out;
        EXPECT_FALSE(printed("TORVA placed"));
    }

    // Without channel routing the points would feed nothing.
    file("st.xy", hydrographs("   25.0", "   15.0", "   1.0", 1));
    EXPECT_FALSE(load(cards_with("XYBDYINPUT_STFLOW st.xy\n")));
    EXPECT_TRUE(printed("Error: the stream xy boundary points of XYBDYINPUT_STFLOW need channel routing "
                        "(CHAN_EXPLIC).\n"))
        << out;
}

// An outer model's discharge and a named series at one node add up, a
// negative discharge brings nothing in, and the channel's volume closes on
// the booked inflow.
TEST_F(StreamBoundary, DischargesEnterTheirNodesAndTheChannelBalanceCloses)
{
    ASSERT_TRUE(load_points(hydrographs("   25.0   45.0", "   16.0   15.0", "   0.3000   -0.2000", 2),
                            "TORVA_XY_ST_BDY_TS\nTORVA_TS\nLINKNODE 1 3\nTIMESERIES \"release\"\nEND_TS\n"))
        << out;
    model_state& m = *s;
    init_channel_state(m);
    ASSERT_EQ(error_state.raised, 0);
    EXPECT_EQ(m.chan_routing_active, 1);
    m.current_time = julian_date(2000, 1, 1, 12, 0, 0.0); // "release" is 1.5 at noon
    for (int n = 1; n <= m.nx[1]; ++n)
        m.area[n][1] = 0.5;
    ex_section(m, 1);
    const double start = channel_water_volume(m, false);
    double outlet = 0.0, in = 0.0, sink = 0.0;
    for (int k = 0; k < 10; ++k) {
        route_volumes v;
        ASSERT_EQ(ex_flow_route(m, 60.0, v), 0);
        outlet += v.outlet;
        in += v.point_in;
        sink += v.point_sink;
    }
    for (int n = 1; n <= m.nx[1]; ++n)
        EXPECT_EQ(m.xy_stream_q[n][1], n == 3 ? 1.8 : 0.0) << n;
    EXPECT_NEAR(in, 600.0 * 1.8, 1e-9);
    EXPECT_EQ(sink, 0.0);
    EXPECT_NEAR(channel_water_volume(m, false) + outlet, start + in, 1e-9 * (start + in));
    // The inflow raised its node above its upstream neighbours.
    EXPECT_GT(m.area[3][1], m.area[1][1]);
}

// A whole run of the channel example fed at its head by a stream boundary
// series: the event summary books the inflow and its balance closes.
TEST(StreamBoundaryRun, EventSummaryBooksTheInflowAndBalances)
{
    scratch_dir dir("st_bdy_run");
    for (const char* f : {"channel.ele", "channel.msk", "channel.gst", "channel.chn", "channel.hyd"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/channel/" + f));
    write_file(dir.file("ts.txt"), "TORVA_TS\nup\nABSOLUTE\n2000 1 1 0 0 0.2\n2000 1 2 0 0 0.2\nEND_TS\n");
    write_file(dir.file("st.ts"), "TORVA_XY_ST_BDY_TS\nTORVA_TS\nLINKNODE 1 1\nTIMESERIES up\nEND_TS\n");
    std::string prj = read_file(std::string(TORVA_EXAMPLES) + "/channel/channel.prj");
    prj.replace(prj.find("CHAN_EXPLIC"), 11,
                "TIME_SERIES_FILE ts.txt\nXYBDYINPUT_STTIMESERIES st.ts\nCHAN_EXPLIC");
    write_file(dir.file("channel.prj"), prj);
    std::string log;
    ASSERT_EQ(run_command(
                  "cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' channel.prj 2>&1", log),
              0)
        << log;
    const std::string summary = read_file(dir.file("channel.sum"));
    // 0.2 m3/s for the hour of the run.
    EXPECT_NE(summary.find("volume of stream point sources:                 720.0\n"), std::string::npos)
        << summary;
    const size_t at = summary.find("mass conservation error:");
    ASSERT_NE(at, std::string::npos) << summary;
    EXPECT_NEAR(std::stod(summary.substr(at + 24, 30)), 0.0, 1e-6) << summary.substr(at, 80);
    EXPECT_NE(summary.find("Total channel point sources=                            720.00\n"),
              std::string::npos);
}

// An outer model hands its stream on to an inset through the file it
// writes: the channel example writes the discharge where its channel enters
// an inset over its three eastern columns, and the inset, reading that file,
// places the point at the head of its own channel and takes in what the
// outer channel carried across. Its ring of cells, the channel cells among
// them, holds the parent's overland depths, and the inset's balance closes
// on what the boundary gave and took.
TEST(StreamBoundaryRun, AnInsetTakesInTheDischargeItsParentWrote)
{
    scratch_dir dir("st_bdy_nest");
    const std::string ex = std::string(TORVA_EXAMPLES) + "/channel/";
    for (const char* f : {"channel.ele", "channel.msk", "channel.gst", "channel.hyd"})
        write_file(dir.file(f), read_file(ex + f));
    // The node points lie along the lower row, 9.2 m apart from x = 2 to 48:
    // the reach of node 2 crosses the inset's west side at x = 20.
    std::string chn = read_file(ex + "channel.chn");
    for (int k = 6; k >= 1; --k) {
        const std::string node = "NODE " + std::to_string(k) + "\n";
        chn.replace(chn.find(node), node.size(),
                    node + "X_Y " + std::to_string(2.0 + 9.2 * (k - 1)) + " 5.0\n");
    }
    write_file(dir.file("channel.chn"), chn);
    const std::string header3x5 = "north: 30.00\nsouth: 0.00\neast: 50.00\nwest: 0.00\nrows: 3\ncols: 5\n";
    write_file(dir.file("outline.msk"), header3x5 + "0 0 1 1 1\n0 0 1 1 1\n0 0 1 1 1\n");
    std::string parent = read_file(ex + "channel.prj");
    write_file(dir.file("parent.prj"), parent +
                                           "XYBDYOUTPUT_MASK outline.msk\nXYBDYOUTPUT_STFLOW parent_st.xy\n"
                                           "XYBDYOUTPUT_OVDEP parent_ov.xy\n");

    // The inset: the three eastern columns with the last three nodes.
    const std::string header3x3 = "north: 30.00\nsouth: 0.00\neast: 50.00\nwest: 20.00\nrows: 3\ncols: 3\n";
    write_file(dir.file("inset.msk"), header3x3 + "1 1 1\n1 1 1\n1 1 1\n");
    write_file(dir.file("inset.ele"),
               header3x3 + "100.10 100.05 100.00\n100.00 99.95 99.90\n99.90 99.85 99.80\n");
    write_file(dir.file("inset.chn"),
               "TORVA_CHAN\nALPHA 1.0\nBETA 1.0\nTHETA 0.5\nLINKS 1\nMAXNODES 4\n"
               "CONNECT 1 0 0\nLINK 1\nTRAPEZOID\nMANNINGS_N 0.035\nDX 10\nNODES 4\n"
               "NODE 1\nX_Y 20.4 5.0\nELEV 98.90\nXSEC\nBOTTOM_WIDTH 1.0\nSIDE_SLOPE 1.0\n"
               "BANKFULL_DEPTH 0.5\nNODE 2\nX_Y 29.6 5.0\nELEV 98.85\nNODE 3\n"
               "X_Y 38.8 5.0\nELEV 98.80\nNODE 4\nX_Y 48.0 5.0\nELEV 98.75\n");
    write_file(dir.file("inset.gst"),
               "GRIDSTREAMFILE\nSTREAMCELLS 3\nCELLIJ 3 1\nNUMNODES 1\nLINKNODE 1 1 1.0\n"
               "CELLIJ 3 2\nNUMNODES 1\nLINKNODE 1 2 1.0\nCELLIJ 3 3\nNUMNODES 1\n"
               "LINKNODE 1 3 1.0\n");
    std::string inset = parent;
    const auto swap = [&](const std::string& from, const std::string& to) {
        inset.replace(inset.find(from), from.size(), to);
    };
    swap("channel.msk", "inset.msk");
    swap("channel.ele", "inset.ele");
    swap("COLS              5", "COLS              3");
    swap("OUTCOL            5", "OUTCOL            3");
    swap("channel.chn", "inset.chn");
    swap("channel.gst", "inset.gst");
    swap("channel.sum", "inset.sum");
    swap("channel.otl", "inset.otl");
    swap("IN_HYD_LOCATION   channel.hyd\n", "");
    write_file(dir.file("inset.prj"),
               inset + "XYBDYINPUT_STFLOW parent_st.xy\nXYBDYINPUT_OVDEP parent_ov.xy\n");

    std::string log;
    const std::string run = "cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' ";
    ASSERT_EQ(run_command(run + "parent.prj 2>&1", log), 0) << log;
    EXPECT_NE(log.find("TORVA identified 1 stream link/nodes as crossing the inset mask boundary.\n1,2\t\n"),
              std::string::npos)
        << log;
    ASSERT_EQ(run_command(run + "inset.prj 2>&1", log), 0) << log;
    EXPECT_NE(log.find("TORVA placed 1 stream xy boundary points on link/nodes.\n1,1\t\n"), std::string::npos)
        << log;

    // What the parent wrote, a discharge a minute, integrated over the run.
    std::istringstream written(read_file(dir.file("parent_st.xy")));
    std::string line;
    double carried = 0.0;
    while (std::getline(written, line)) {
        int y, mo, d, h, mi;
        double q;
        if (std::sscanf(line.c_str(), "%d %d %d %d %d %lf", &y, &mo, &d, &h, &mi, &q) == 6)
            carried += 60.0 * q;
    }
    ASSERT_GT(carried, 1.0);
    const std::string summary = read_file(dir.file("inset.sum"));
    const size_t at = summary.find("volume of stream point sources:");
    ASSERT_NE(at, std::string::npos) << summary;
    EXPECT_NEAR(std::stod(summary.substr(at + 31, 30)), carried, 0.02 * carried) << summary.substr(at, 60);
    const size_t err = summary.find("mass conservation error:");
    ASSERT_NE(err, std::string::npos);
    EXPECT_NEAR(std::stod(summary.substr(err + 24, 30)), 0.0, 1e-6) << summary.substr(err, 80);
}
