// Whole runs of the channel example: a plane draining into one trapezoidal
// link. The outlet hydrograph is the outlet node's discharge, rises to the
// rain rate times the area, the event balance closes, and one and four
// threads print the same hydrograph.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/example_variant.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

std::string run_channel_example(const scratch_dir& dir, int threads)
{
    for (const char* f :
         {"channel.prj", "channel.msk", "channel.ele", "channel.chn", "channel.gst", "channel.hyd"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/channel/" + f));
    std::string out;
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && OMP_WAIT_POLICY=passive OMP_NUM_THREADS=" +
                              std::to_string(threads) + " '" + torva_exe() + "' channel.prj 2>&1",
                          out),
              0)
        << out;
    return out;
}

// A link/node file as read back: its header items and the node values of
// every output time (one link).
struct linknode_file {
    std::string kind;
    int links = -1, time_step = -1, num_ts = -1;
    std::string start;
    std::vector<std::vector<double>> steps;
};

linknode_file read_linknode(const std::string& text)
{
    linknode_file f;
    std::istringstream in(text);
    std::string line;
    std::getline(in, f.kind);
    std::getline(in, line);
    EXPECT_EQ(std::sscanf(line.c_str(), "NUM_LINKS %d", &f.links), 1) << line;
    std::getline(in, line);
    EXPECT_EQ(std::sscanf(line.c_str(), "TIME_STEP %d", &f.time_step), 1) << line;
    std::getline(in, line);
    EXPECT_EQ(std::sscanf(line.c_str(), "NUM_TS %d", &f.num_ts), 1) << line;
    std::getline(in, f.start);
    while (std::getline(in, line)) {
        int ts = -1;
        EXPECT_EQ(std::sscanf(line.c_str(), "TS    %d", &ts), 1) << line;
        EXPECT_EQ(ts, static_cast<int>(f.steps.size()));
        std::getline(in, line);
        std::istringstream row(line);
        int count = 0;
        row >> count;
        std::vector<double> values;
        for (int k = 0; k < count; ++k) {
            int code = 0;
            double v = 0.0;
            row >> code >> v;
            EXPECT_EQ(code, 1);
            values.push_back(v);
        }
        EXPECT_TRUE(row.eof() || (row >> std::ws).eof()) << line;
        f.steps.push_back(values);
        std::getline(in, line);
        EXPECT_EQ(line, "");
    }
    return f;
}

} // namespace

TEST(ChannelExample, RunsEndToEndAndClosesItsBalance)
{
    scratch_dir one("chan1"), four("chan4");
    run_channel_example(one, 1);
    run_channel_example(four, 4);
    const std::string otl = read_file(one.file("channel.otl"));
    EXPECT_EQ(otl, read_file(four.file("channel.otl")));

    // 15 cells of 10 m under 50 mm/h for 30 minutes.
    const double equilibrium = 50.0 / 1000.0 / 3600.0 * 1500.0;
    std::istringstream in(otl);
    double t = 0.0, q = 0.0, at_rain_end = -1.0, peak = 0.0;
    int rows = 0;
    while (in >> t >> q) {
        ++rows;
        peak = std::max(peak, q);
        if (std::fabs(t - 30.0) < 1e-9)
            at_rain_end = q;
    }
    EXPECT_EQ(rows, 61);
    EXPECT_NEAR(at_rain_end, equilibrium, 0.03 * equilibrium);
    EXPECT_LE(peak, equilibrium * 1.01 + 0.0005); // printed to 3 decimals

    // The depth and discharge files: one link of five nodes at every minute
    // from 0; the outlet hydrograph is the last node's discharge.
    for (const char* name : {"channel.cdp", "channel.cdq"}) {
        SCOPED_TRACE(name);
        const linknode_file f = read_linknode(read_file(one.file(name)));
        EXPECT_EQ(f.kind, name[10] == 'p' ? "TORVA_LINKNODE_STREAM_DEPTH" : "TORVA_LINKNODE_STREAM_FLOW");
        EXPECT_EQ(f.links, 1);
        EXPECT_EQ(f.time_step, 1);
        EXPECT_EQ(f.num_ts, 60);
        EXPECT_EQ(f.start, "START_TIME     1  1 2000 12  0  0");
        ASSERT_EQ(f.steps.size(), 61u);
        for (const auto& step : f.steps)
            EXPECT_EQ(step.size(), 5u);
        if (name[10] == 'q') {
            std::istringstream rows(otl);
            for (const auto& step : f.steps) {
                double minutes = 0.0, outlet = 0.0;
                rows >> minutes >> outlet;
                EXPECT_NEAR(outlet, step[4], 0.0005 + 1e-9) << minutes;
            }
        }
    }

    // The hydrograph locations (nodes 1 and 5): the last is the outlet.
    std::istringstream hlo(read_file(one.file("channel.hlo"))), otl_rows(otl);
    std::string line;
    int hlo_rows = 0;
    while (std::getline(hlo, line)) {
        double minutes = 0.0, q1 = 0.0, q5 = 0.0, t_otl = 0.0, q_otl = 0.0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf", &minutes, &q1, &q5), 3) << line;
        char again[128];
        std::snprintf(again, sizeof again, "%14.8lf %12.6lf %12.6lf \n", minutes, q1, q5);
        EXPECT_EQ(again, line + "\n");
        otl_rows >> t_otl >> q_otl;
        EXPECT_NEAR(q5, q_otl, 0.0005 + 1e-9) << minutes;
        ++hlo_rows;
    }
    EXPECT_EQ(hlo_rows, 61);

    const std::string sum = read_file(one.file("channel.sum"));
    EXPECT_NE(sum.find("lateral flow into channel"), std::string::npos) << sum;
    const std::size_t at = sum.find("mass conservation error:");
    ASSERT_NE(at, std::string::npos) << sum;
    double err = 100.0;
    ASSERT_EQ(std::sscanf(sum.c_str() + at, "mass conservation error: %lf", &err), 1);
    EXPECT_LT(std::fabs(err), 0.1);
}

// The tilted V-catchment: two planes of 800 m by 1000 m (slope 0.05 toward
// the channel, n 0.015) either side of a channel column (slope 0.02, n 0.15),
// 100 m cells, 10.8 mm/h of rain. At the end of the rain the outlet carries
// the rain rate times the area; it never exceeds it, and the event balance
// closes.
TEST(ChannelRun, TiltedVCatchmentReachesEquilibrium)
{
    scratch_dir dir("vcatch");
    const int rows = 10, cols = 17, mid = 9;
    std::string head = "north: 1000.00\nsouth: 0.00\neast: 1700.00\nwest: 0.00\nrows: 10\ncols: 17\n";
    std::string msk = head, ele = head;
    char buf[64];
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            msk += c == cols ? "1\n" : "1 ";
            const double z = 100.0 + 0.02 * 100.0 * (rows - r) + 0.05 * 100.0 * std::abs(c - mid);
            std::snprintf(buf, sizeof buf, "%.3f%s", z, c == cols ? "\n" : " ");
            ele += buf;
        }
    }
    write_file(dir.file("v.msk"), msk);
    write_file(dir.file("v.ele"), ele);
    std::string chn = "TORVA_CHAN\nALPHA 1\nBETA 1\nTHETA 0.5\nLINKS 1\nMAXNODES 11\nCONNECT 1 0 0\nLINK 1\n"
                      "TRAPEZOID\nMANNINGS_N 0.15\nDX 100\nNODES 11\n";
    for (int j = 1; j <= 11; ++j) {
        std::snprintf(buf, sizeof buf, "NODE %d\nELEV %.3f\n", j, 100.5 + 2.0 * (10 - j));
        chn += buf;
        if (j == 1)
            chn += "XSEC\nBOTTOM_WIDTH 20\nSIDE_SLOPE 1\nBANKFULL_DEPTH 1\n";
    }
    write_file(dir.file("v.chn"), chn);
    std::string gst = "GRIDSTREAMFILE\nSTREAMCELLS 10\n";
    for (int r = 1; r <= rows; ++r)
        gst += "CELLIJ " + std::to_string(r) + " " + std::to_string(mid) + "\nNUMNODES 1\nLINKNODE 1 " +
               std::to_string(r) + " 1.0\n";
    write_file(dir.file("v.gst"), gst);
    for (int threads : {1, 4}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        write_file(dir.file("v.prj"),
                   "TORVAPROJECT\nWATERSHED_MASK v.msk\nELEVATION v.ele\nGRIDSIZE 100\nROWS 10\n"
                   "COLS 17\nTOT_TIME 180\nTIMESTEP 10\nOUTROW 10\nOUTCOL 9\nOUTSLOPE 0.02\n"
                   "MANNING_N 0.015\nPRECIP_UNIF\nRAIN_INTENSITY 10.8\nRAIN_DURATION 120\n"
                   "START_DATE 2000 01 01\nSTART_TIME 00 00\nHYD_FREQ 1\nMAP_FREQ 180\n"
                   "SUMMARY v.sum\nOUTLET_HYDRO v.otl\nSIG_OUTLET_HYDRO v6.otl\nMETRIC\n"
                   "CHAN_EXPLIC\nCHANNEL_INPUT v.chn\nSTREAM_CELL v.gst\nNUM_THREADS " +
                       std::to_string(threads) + "\n");
        std::string out;
        ASSERT_EQ(
            run_command("cd '" + dir.path() + "' && OMP_WAIT_POLICY=passive '" + torva_exe() + "' v.prj 2>&1",
                        out),
            0)
            << out;
        const double equilibrium = 10.8 / 1000.0 / 3600.0 * rows * cols * 100.0 * 100.0;
        std::istringstream in(read_file(dir.file("v6.otl")));
        double t = 0.0, q = 0.0, at_end = -1.0, peak = 0.0;
        while (in >> t >> q) {
            peak = std::max(peak, q);
            if (std::fabs(t - 120.0) < 1e-9)
                at_end = q;
        }
        EXPECT_NEAR(at_end, equilibrium, 0.03 * equilibrium);
        EXPECT_LE(peak, 1.01 * equilibrium);
        const std::string sum = read_file(dir.file("v.sum"));
        const std::size_t at = sum.find("mass conservation error:");
        ASSERT_NE(at, std::string::npos) << sum;
        double err = 100.0;
        ASSERT_EQ(std::sscanf(sum.c_str() + at, "mass conservation error: %lf", &err), 1);
        EXPECT_LT(std::fabs(err), 0.1);
    }
}

// Steady uniform flow in a whole run: a 2 km trapezoidal link (40 nodes
// 50 m apart, slope 0.001, bottom 2 m, 1:1 banks, n 0.03) fed 2 m3/s at its
// head by FIRST_ORDER_CHAN_Q. The head inflow alone leaves the network
// asleep; a minute of light rain on the plane (overland water, a few litres
// reaching the channel) wakes it, and it keeps routing after the plane
// dries. After four hours the lower half of the link stands at Manning's
// normal depth (1 %) and every node and the outlet carry the inflow (0.5 %).
TEST(ChannelRun, HeadInflowReachesNormalDepthOnceOverlandWaterWakesTheNetwork)
{
    scratch_dir dir("steady_run");
    for (const char* f : {"channel.msk", "channel.ele"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/channel/" + f));
    const int points = 41;
    std::string chn = "TORVA_CHAN\nALPHA 1\nBETA 1\nTHETA 0.5\nLINKS 1\nMAXNODES 41\nCONNECT 1 0 0\nLINK 1\n"
                      "TRAPEZOID\nMANNINGS_N 0.03\nDX 50\nNODES 41\n";
    char buf[64];
    for (int k = 1; k <= points; ++k) {
        std::snprintf(buf, sizeof buf, "NODE %d\nELEV %.3f\n", k, 100.0 - 0.05 * (k - 1));
        chn += buf;
        if (k == 1)
            chn += "XSEC\nBOTTOM_WIDTH 2\nSIDE_SLOPE 1\nBANKFULL_DEPTH 5\n";
    }
    write_file(dir.file("s.chn"), chn);
    write_file(dir.file("s.gst"),
               "GRIDSTREAMFILE\nSTREAMCELLS 1\nCELLIJ 1 1\nNUMNODES 1\nLINKNODE 1 1 1.0\n");
    write_file(dir.file("s.prj"),
               "TORVAPROJECT\nWATERSHED_MASK channel.msk\nELEVATION channel.ele\nGRIDSIZE 10\n"
               "ROWS 3\nCOLS 5\nTOT_TIME 240\nTIMESTEP 10\nOUTROW 3\nOUTCOL 5\nOUTSLOPE 0.005\n"
               "MANNING_N 0.05\nPRECIP_UNIF\nRAIN_INTENSITY 1.0\nRAIN_DURATION 1\n"
               "START_DATE 2000 01 01\nSTART_TIME 00 00\nHYD_FREQ 30\nMAP_FREQ 240\n"
               "SUMMARY s.sum\nOUTLET_HYDRO s.otl\nSIG_OUTLET_HYDRO s6.otl\nMETRIC\n"
               "CHAN_EXPLIC\nCHANNEL_INPUT s.chn\nSTREAM_CELL s.gst\nFIRST_ORDER_CHAN_Q 2.0\n"
               "CHAN_DEPTH s.cdp\nCHAN_DISCHARGE s.cdq\n");
    std::string out;
    ASSERT_EQ(run_command(
                  "cd '" + dir.path() + "' && OMP_WAIT_POLICY=passive '" + torva_exe() + "' s.prj 2>&1", out),
              0)
        << out;
    const double Q = 2.0, b = 2.0, z = 1.0, n = 0.03, S = 0.001;
    double lo = 0.0, hi = 20.0; // Manning's normal depth by bisection
    for (int i = 0; i < 200; ++i) {
        const double y = (lo + hi) / 2.0;
        const double A = (b + z * y) * y, P = b + 2.0 * y * std::sqrt(1.0 + z * z);
        (A * std::pow(A / P, 2.0 / 3.0) * std::sqrt(S) / n < Q ? lo : hi) = y;
    }
    const double yn = (lo + hi) / 2.0;
    const linknode_file depth = read_linknode(read_file(dir.file("s.cdp")));
    const linknode_file flow = read_linknode(read_file(dir.file("s.cdq")));
    ASSERT_EQ(depth.steps.size(), 9u);
    ASSERT_EQ(flow.steps.size(), 9u);
    const std::vector<double>& d = depth.steps.back();
    const std::vector<double>& q = flow.steps.back();
    ASSERT_GE(d.size(), 40u);
    for (int k = 20; k <= 40; ++k)
        EXPECT_NEAR(d[k - 1], yn, 0.01 * yn) << "node " << k;
    for (int k = 1; k <= 40; ++k)
        EXPECT_NEAR(q[k - 1], Q, 0.005 * Q) << "node " << k;
    std::istringstream in(read_file(dir.file("s6.otl")));
    double t = 0.0, qo = 0.0, last = -1.0;
    while (in >> t >> qo)
        last = qo;
    EXPECT_NEAR(last, Q, 0.005 * Q);
    // The head inflow is booked with the stream point sources: the balance
    // closes.
    const std::string sum = read_file(dir.file("s.sum"));
    const std::size_t at = sum.find("mass conservation error:");
    ASSERT_NE(at, std::string::npos) << sum;
    double err = 100.0;
    ASSERT_EQ(std::sscanf(sum.c_str() + at, "mass conservation error: %lf", &err), 1);
    EXPECT_LT(std::fabs(err), 0.1);
}

// IN_CELLDEPDIS_LOCATION in whole runs of the channel example, with and
// without its channel: the cells are found by row and column (printed as
// found), and every output time writes the time, the depth of each cell and
// the magnitude of its unit discharge. A list that ends early stops the run
// with the end-of-file line.
TEST(ChannelRun, CellDepthAndDischargeRowsAtListedCells)
{
    struct variant {
        const char* name;
        bool channel;
        const char* list;
        int status;
    };
    for (const variant& v : {variant{"with channel", true, "2\n3 2\n1 5\n", 0},
                             variant{"without channel", false, "2 3 2 1 5", 0},
                             variant{"short list", true, "3\n3 2\n1 5\n", 1}}) {
        SCOPED_TRACE(v.name);
        const std::string cards = "IN_CELLDEPDIS_LOCATION cells.txt\nOUT_CELLDEPDIS_LOCATION cells.out\n";
        const text_edit project = v.channel ? appended(cards) : [cards](const std::string& prj) {
            return prj.substr(0, prj.find("CHAN_EXPLIC")) + cards;
        };
        const file_edits edits = {{"channel.prj", project}, {"cells.txt", whole(v.list)}};
        const example_result r = run_example_variant("channel", "channel.prj", edits, {"cells.out"});
        const std::string& out = r.output;
        EXPECT_EQ(r.status, v.status) << out;
        if (v.status != 0) {
            EXPECT_NE(out.find("End of file reached in file cells.txt, exiting\n"), std::string::npos) << out;
            continue;
        }
        // Cell numbers count the active cells row by row: (3, 2) is 12, (1, 5) is 5.
        EXPECT_NE(out.find("3  2   12 \n1  5   5 \n"), std::string::npos) << out;
        ASSERT_EQ(r.files.count("cells.out"), 1u);
        std::istringstream rows(r.files.at("cells.out"));
        std::string line;
        int count = 0;
        double wettest = 0.0;
        while (std::getline(rows, line)) {
            std::istringstream row(line);
            double t = -1.0, d1 = -1.0, d2 = -1.0, q1 = -1.0, q2 = -1.0;
            ASSERT_TRUE(static_cast<bool>(row >> t >> d1 >> d2 >> q1 >> q2)) << line;
            EXPECT_TRUE((row >> std::ws).eof()) << line;
            EXPECT_NEAR(t, count, 1e-6);
            EXPECT_GE(std::min({d1, d2, q1, q2}), 0.0) << line;
            wettest = std::max(wettest, d2);
            ++count;
        }
        EXPECT_EQ(count, 61); // output times 0..60 min
        EXPECT_GT(wettest, 0.0);
    }
}

// FLOOD_STREAM: its header at the start and, at the end of the run, one step
// with the highest stage each node reached: at least the highest of the
// stages written every minute, and within a centimetre of it.
TEST(ChannelRun, FloodStreamFileHoldsTheHighestStages)
{
    scratch_dir dir("flood_stream");
    for (const char* f : {"channel.msk", "channel.ele", "channel.chn", "channel.gst", "channel.hyd"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/channel/" + f));
    write_file(dir.file("channel.prj"), read_file(std::string(TORVA_EXAMPLES) + "/channel/channel.prj") +
                                            "FLOOD_STREAM channel.fls\nCHAN_STAGE channel.cst\n");
    std::string out;
    ASSERT_EQ(run_command("cd '" + dir.path() + "' && OMP_WAIT_POLICY=passive '" + torva_exe() +
                              "' channel.prj 2>&1",
                          out),
              0)
        << out;
    const linknode_file flood = read_linknode(read_file(dir.file("channel.fls")));
    const linknode_file stage = read_linknode(read_file(dir.file("channel.cst")));
    EXPECT_EQ(flood.kind, "TORVA_LINKNODE_FLOOD_STREAM_DEPTH");
    EXPECT_EQ(flood.links, 1);
    EXPECT_EQ(flood.time_step, stage.time_step);
    EXPECT_EQ(flood.start, stage.start);
    ASSERT_EQ(flood.steps.size(), 1u);
    ASSERT_EQ(flood.steps[0].size(), 5u);
    for (int k = 0; k < 5; ++k) {
        double highest = 0.0;
        for (const std::vector<double>& step : stage.steps)
            highest = std::max(highest, step.at(k));
        EXPECT_GE(flood.steps[0][k], highest - 1e-5) << "node " << k + 1;
        EXPECT_LT(flood.steps[0][k], highest + 0.01) << "node " << k + 1;
    }
}
