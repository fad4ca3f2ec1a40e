// The channel point-input file: dated records change the node inflow at
// their dates, two-digit years, the last record kept, and every failure
// row with its lines.
#include <gtest/gtest.h>

#include <string>

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

// One trapezoidal link of five nodes.
const char* one_link =
    "TORVA_CHAN\nALPHA 1\nBETA 1\nTHETA 0.5\nLINKS 1\nMAXNODES 6\nCONNECT 1 0 0\nLINK 1\n"
    "TRAPEZOID\nMANNINGS_N 0.03\nDX 10\nNODES 6\nNODE 1\nELEV 100\nXSEC\nBOTTOM_WIDTH 1\n"
    "SIDE_SLOPE 1\nBANKFULL_DEPTH 2\nNODE 2\nELEV 99.9\nNODE 3\nELEV 99.8\nNODE 4\nELEV 99.7\n"
    "NODE 5\nELEV 99.6\nNODE 6\nELEV 99.5\n";
const char* gst = "GRIDSTREAMFILE\nSTREAMCELLS 1\nCELLIJ 2 2\nNUMNODES 1\nLINKNODE 1 1 1.0\n";

struct PointInput : ChannelProject {
    std::string said;
    // Loads the network with the point file and runs the initial state.
    void start(const std::string& points)
    {
        file("p.pts", points);
        ASSERT_TRUE(load_network(one_link, gst, "CHAN_POINT_INPUT p.pts\n")) << out;
        testing::internal::CaptureStdout();
        init_channel_state(*s);
        said = testing::internal::GetCapturedStdout();
    }
    void step_at(double t)
    {
        s->current_time = t;
        testing::internal::CaptureStdout();
        chan_point_input_step(*s);
        said += testing::internal::GetCapturedStdout();
    }
    double q(int node) const { return s->chan_point_q[1 * s->node_dim + node]; }
};

} // namespace

TEST_F(PointInput, DatedRecordsChangeTheInflowAtTheirDates)
{
    start("NUMPT 1\nPOINT 3 1 0.5\nNRPDS 2\nINPUT 95 6 1 0 0\n1.0\nINPUT 1995 6 1 0 10\n2.0\n");
    ASSERT_EQ(error_state.raised, 0) << said;
    EXPECT_EQ(s->chan_point_on, 1);
    EXPECT_EQ(s->chan_routing_active, 1);
    EXPECT_EQ(q(3), 0.5); // the POINT line's value until the first date
    EXPECT_EQ(s->chan_point_date[0], 1995);
    const double first = julian_date(1995, 6, 1, 0, 0, 0.0), second = julian_date(1995, 6, 1, 0, 10, 0.0);
    EXPECT_EQ(s->chan_point_next_time, first);
    step_at(first - 60.0 / 86400.0);
    EXPECT_EQ(q(3), 0.5);
    step_at(first);
    EXPECT_EQ(q(3), 1.0);
    EXPECT_EQ(s->chan_point_next_time, second);
    step_at(second + 30.0 / 86400.0); // a date between two steps is read at the next one
    EXPECT_EQ(q(3), 2.0);
    EXPECT_EQ(s->chan_point_next_time, 0.0); // the last record stays to the end
    step_at(second + 1.0);
    EXPECT_EQ(q(3), 2.0);
    EXPECT_EQ(error_state.raised, 0) << said;

    // Without dated records the POINT value holds for the whole run.
    start("NUMPT 1\nPOINT 2 1 0.25\nNRPDS 0\n");
    EXPECT_EQ(q(2), 0.25);
    EXPECT_EQ(s->chan_point_next_time, 0.0);
    EXPECT_EQ(error_state.raised, 0);
}

TEST_F(PointInput, FailuresPrintTheirLinesAndStop)
{
    std::string junk;
    for (int i = 0; i < 10001; ++i)
        junk += "x ";
    struct failure {
        std::string file;
        std::string line;
    } cases[] = {
        {"NUMPTS 1\nPOINT 3 1 0.5\n", ", NUMPT: the NUMPT count \"S\" is not a number.\n"},
        {"NUMPT 1\nPOINT 7 1 0.5\n", ", POINT 1: link 1 node 7 is not a node of a routed channel link.\n"},
        {"NUMPT 1\nPOINT 3 1 0.5\nNRPDS 1\nSTART 2000 1 1 0 0\n1.0\n",
         ", the INPUT line of record 1: the record keyword \"START\" is not INPUT.\n"},
        {"NUMPT 1\nPOINT 3 1 0.5\nNRPDS 1\nINPUT 2000 13 1 0 0\n1.0\n",
         ", the INPUT line of record 1: the month \"13\" lies outside 1 to 12.\n"},
        {"NUMPT 1\nPOINT 3 1", "line 1: the NUMPT 1 is more than the 10 characters left in the file can hold"},
        {"NUMPT 2\nPOINT 3 1 0.5\nwords that are no card\n",
         "Unexpected end of file in chan point data file.\nCheck the format of the data file.\nProgram "
         "terminated.\nError in the channel point input file "},
        {"NUMPT 2\nPOINT 3 1 0.5\nNRPDS 0\n", "p.pts: the number \"0\" stands where the next POINT card belongs"},
        {"NUMPT 1\nPOINT 3 1 0.5\nNRPDS 1\nINPUT 2000 1\n",
         "\n last year 2000 last month 1 last day 0 last hour 0 last minute 0 \n"
         "Unexpected end of file in chan point data file.\n"},
        {junk, "There is a problem with your channel source input file.  TORVA cannot\n"
               "find the first card.  Check the format of your channel source file\n\n"},
        {"NUMPT 1\n" + junk, "TORVA cannot\nfind the point source location card."},
        {"NUMPT 1\nPOINT 3 1 0.5\n" + junk, "TORVA cannot\nfind the number of timed changes"},
    };
    for (const failure& c : cases) {
        start(c.file);
        EXPECT_EQ(error_state.raised, 1) << c.line;
        EXPECT_NE(said.find(c.line), std::string::npos) << said;
        EXPECT_EQ(said.find("TORVA cannot"), said.rfind("TORVA cannot")); // reported once
    }

    // A file that cannot be opened stops the run.
    ASSERT_TRUE(load_network(one_link, gst, "CHAN_POINT_INPUT missing.pts\n")) << out;
    testing::internal::CaptureStdout();
    init_channel_state(*s);
    said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_NE(said.find("Can't open missing.pts to read channel point source input file \n"
                        "There will be no point inputs to the channel file \n"),
              std::string::npos)
        << said;

    // The end of the file inside a later record is found at set-up.
    start("NUMPT 1\nPOINT 3 1 0.5\nNRPDS 2\nINPUT 2000 1 1 12 0\n1.0\nINPUT 2000 1 1 12 5\n");
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_NE(said.find("\n last year 2000 last month 1 last day 1 last hour 12 last minute 5 \n"
                        "Unexpected end of file in chan point data file.\n"
                        "Check the format of the data file.\nProgram terminated.\nError in the channel point "
                        "input file "),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("p.pts: it ends inside record 2 of the 2 its NRPDS card announces.\n"),
              std::string::npos)
        << said;
}

// POINTSOURCE series add to their nodes; the routing books the inflow with
// the stream point sources and the outflow as stream point sinks, and the
// channel's volume closes on them.
TEST_F(PointInput, PointSourceSeriesAreBookedAndTheChannelBalanceCloses)
{
    file("ts.txt", "TORVA_TS\ninflow\nABSOLUTE\n2000 1 1 0 0 0.3\n2000 1 2 0 0 0.3\nEND_TS\n"
                   "TORVA_TS\nsink\nABSOLUTE\n2000 1 1 0 0 -0.05\n2000 1 2 0 0 -0.05\nEND_TS\n");
    std::string net = edited(one_link, "NODE 2\nELEV 99.9\n", "NODE 2\nELEV 99.9\nPOINTSOURCE inflow\n");
    net = edited(net, "NODE 4\nELEV 99.7\n", "NODE 4\nELEV 99.7\nPOINTSOURCE sink\n");
    ASSERT_TRUE(load_network(net, gst)) << out;
    model_state& m = *s;
    init_channel_state(m);
    ASSERT_EQ(error_state.raised, 0);
    m.current_time = julian_date(2000, 1, 1, 12, 0, 0.0);
    for (int n = 1; n <= m.nx[1]; ++n)
        m.area[n][1] = 2.0;
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
    EXPECT_NEAR(in, 600.0 * 0.3, 1e-9);
    EXPECT_NEAR(sink, 600.0 * 0.05, 1e-9);
    EXPECT_NEAR(channel_water_volume(m, false) + outlet, start + in - sink, 1e-9 * (start + in));
}

// Under a head boundary the outlet node's point input leaves through the
// outlet discharge and is not stored in the node.
TEST_F(PointInput, HeldOutletPassesItsPointInputOn)
{
    file("p.pts", "NUMPT 1\nPOINT 5 1 0.4\nNRPDS 0\n");
    ASSERT_TRUE(load_network(one_link, gst, "CHAN_POINT_INPUT p.pts\nHEAD_BOUND\nBOUND_DEPTH 0.5\n")) << out;
    model_state& m = *s;
    init_channel_state(m);
    ASSERT_EQ(error_state.raised, 0);
    dnode_mat q;
    q.assign(m.node_dim, m.link_dim, 0.0);
    ASSERT_EQ(chan_link_flows(m, q, 1.0), 0);
    EXPECT_DOUBLE_EQ(q[5][1], q[4][1] + 0.4);
    dnode_mat area = m.area;
    double lateral_out = 0.0;
    chan_node_continuity(m, q, area, 1.0, lateral_out);
    EXPECT_DOUBLE_EQ(area[5][1], m.area[5][1]);
}
