// Whole runs with the explicit overland scheme and with overland
// boundaries: the examples of the tilted strip against rain rate times area,
// the ADE hydrograph and their balances, and a 2-D plane run on one and on
// four threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/run_simulation.h"
#include "overland/ade_kernels.h"
#include "overland/ov_explicit.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

const double rain_rate = 50.0 / 1000.0 / 3600.0; // m/s of the strip examples
const double strip_area = 600.0 * 10.0;

// Discharges of a "%8.2lf %12.6lf" hydrograph, one per row.
std::vector<double> discharges(const std::string& text)
{
    std::vector<double> q;
    std::istringstream in(text);
    double t = 0.0;
    double v = 0.0;
    while (in >> t >> v)
        q.push_back(v);
    return q;
}

void run_in(const scratch_dir& dir, const std::string& project)
{
    std::string out;
    ASSERT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' " + project + " 2>&1", out), 0)
        << out;
}

void copy_strip_files(const scratch_dir& dir, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        write_file(dir.file(name), read_file(std::string(TORVA_EXAMPLES) + "/strip/" + name));
}

// The number after a label in a summary file.
double value_after(const std::string& text, const std::string& label)
{
    const size_t p = text.find(label);
    EXPECT_NE(p, std::string::npos) << label;
    return p == std::string::npos ? NAN : std::strtod(text.c_str() + p + label.size(), nullptr);
}

} // namespace

TEST(ExplicitRun, StripReachesRainTimesAreaAndFollowsTheAde)
{
    scratch_dir dir("strip_explicit");
    copy_strip_files(dir, {"strip.msk", "strip.ele", "strip_explicit.prj"});
    run_in(dir, "strip_explicit.prj");
    std::string ade = read_file(dir.file("strip_explicit.prj"));
    ade.replace(ade.find("OVERTYPE          explicit"), std::string::npos, "OVERTYPE ade\n");
    for (const char* name : {"strip_explicit.sum", "strip_explicit.otl", "strip_explicit6.otl"}) {
        const size_t p = ade.find(name);
        ade.replace(p, std::string(name).size(), std::string("ade_") + name);
    }
    write_file(dir.file("strip_ade.prj"), ade);
    run_in(dir, "strip_ade.prj");

    const std::vector<double> q = discharges(read_file(dir.file("strip_explicit6.otl")));
    const std::vector<double> q_ade = discharges(read_file(dir.file("ade_strip_explicit6.otl")));
    ASSERT_EQ(q.size(), 151u);
    ASSERT_EQ(q_ade.size(), q.size());
    const double equilibrium = rain_rate * strip_area;
    EXPECT_NEAR(q[89], equilibrium, 0.01 * equilibrium);
    for (size_t k = 0; k < q.size(); ++k)
        EXPECT_NEAR(q[k], q_ade[k], 0.03 * equilibrium) << k << " min";

    const std::string summary = read_file(dir.file("strip_explicit.sum"));
    EXPECT_LT(std::fabs(value_after(summary, "mass conservation error:")), 0.01);
}

TEST(ExplicitRun, SpecifiedDischargeAddsItsInflowAndTheBalancesClose)
{
    scratch_dir dir("strip_bc");
    copy_strip_files(
        dir, {"strip.msk", "strip.ele", "strip_bc.prj", "strip_bc.cmt", "strip_bc.idx", "strip_bc.ts"});
    run_in(dir, "strip_bc.prj");
    const std::vector<double> q = discharges(read_file(dir.file("strip_bc6.otl")));
    ASSERT_EQ(q.size(), 151u);
    // 0.05 m3/s enters the upstream cell for the whole run: before the rain
    // stops the outlet carries it and the rain.
    EXPECT_NEAR(q[89], 0.05 + rain_rate * strip_area, 0.002 * q[89]);
    EXPECT_NEAR(q[150], 0.05, 0.001);

    const std::string summary = read_file(dir.file("strip_bc.sum"));
    EXPECT_NE(summary.find("Volume from specified discharge (in):           450.0\n"), std::string::npos);
    EXPECT_NE(summary.find("Volume gained from specified discharge boundary:        450.00\n"),
              std::string::npos);
    for (const char* label : {"mass conservation error:", "Mass balance error of surface components =",
                              "Overall mass balance error ="})
        EXPECT_LT(std::fabs(value_after(summary, label)), 1e-4) << label;
}

TEST(ExplicitRun, SameHydrographOnOneAndFourThreads)
{
    // 72 x 64 cells, enough for the per-cell loops to run in parallel.
    scratch_dir dir("plane2d_explicit");
    std::ostringstream mask;
    std::ostringstream elev;
    const char* header = "north: 640\nsouth: 0\neast: 720\nwest: 0\nrows: 64\ncols: 72\n";
    mask << header;
    elev << header;
    for (int r = 1; r <= 64; ++r) {
        for (int c = 1; c <= 72; ++c) {
            mask << "1 ";
            elev << 100.0 - 0.08 * c - 0.05 * r + 0.01 * ((r * 7 + c * 3) % 5) << ' ';
        }
        mask << '\n';
        elev << '\n';
    }
    write_file(dir.file("plane.msk"), mask.str());
    write_file(dir.file("plane.ele"), elev.str());
    const std::string cards = "TORVAPROJECT\nWATERSHED_MASK plane.msk\nELEVATION plane.ele\nGRIDSIZE 10\n"
                              "ROWS 64\nCOLS 72\nTOT_TIME 30\nTIMESTEP 10\nOUTROW 64\nOUTCOL 72\n"
                              "OUTSLOPE 0.01\nMANNING_N 0.04\nPRECIP_UNIF\nRAIN_INTENSITY 80\n"
                              "RAIN_DURATION 25\nSTART_DATE 2000 1 1\nSTART_TIME 12 0\nHYD_FREQ 1\n"
                              "MAP_FREQ 60\nSUMMARY plane.sum\nOUTLET_HYDRO plane.otl\n"
                              "SIG_OUTLET_HYDRO plane6.otl\nOVERTYPE explicit\nQUIET\n";
    std::vector<std::string> hydrographs;
    for (int threads : {1, 4}) {
        write_file(dir.file("plane.prj"), cards + "NUM_THREADS " + std::to_string(threads) + "\n");
        run_in(dir, "plane.prj");
        hydrographs.push_back(read_file(dir.file("plane.otl")) + read_file(dir.file("plane6.otl")));
    }
    const std::vector<double> q = discharges(read_file(dir.file("plane6.otl")));
    ASSERT_EQ(q.size(), 31u);
    EXPECT_GT(q[30], 0.1); // water reached the outlet
    EXPECT_EQ(hydrographs[0], hydrographs[1]);
}

TEST(ExplicitRun, WithdrawalAndEdgeOutflowKeepTheBalancesClosed)
{
    // The boundary example with two more boundary cells: a withdrawal of
    // 0.5 ft3/s at column 30 (type 4, series 2) and free outflow over the
    // strip's long sides at column 45 (type 1, slope 0.01).
    scratch_dir dir("strip_bc_more");
    copy_strip_files(dir, {"strip.msk", "strip.ele", "strip_bc.prj"});
    std::string idx = read_file(std::string(TORVA_EXAMPLES) + "/strip/strip_bc.idx");
    const size_t row = idx.rfind("rows: 1\ncols: 60\n") + 17;
    std::string values = "2";
    for (int c = 2; c <= 60; ++c)
        values += c == 30 ? " 3" : c == 45 ? " 4" : " 1";
    write_file(dir.file("strip_bc.idx"), idx.substr(0, row) + values + "\n");
    std::string cmt = read_file(std::string(TORVA_EXAMPLES) + "/strip/strip_bc.cmt");
    cmt.replace(cmt.find("NUM_IDS 1"), 9, "NUM_IDS 2");
    const std::string first_series = "     1 upstream_inflow\n";
    cmt.insert(cmt.find(first_series) + first_series.size(), "     2 withdrawal\n");
    cmt.replace(cmt.find("NUM_IDS 2\nID    DESCRIPTION"), 9, "NUM_IDS 4");
    char rows[256];
    std::snprintf(rows, sizeof rows, "%6d%-80s%s\n%6d%-80s%s\n", 3, "", "4 2", 4, "", "1 0.01");
    write_file(dir.file("strip_bc.cmt"), cmt + rows);
    write_file(dir.file("strip_bc.ts"), read_file(std::string(TORVA_EXAMPLES) + "/strip/strip_bc.ts") +
                                            "TORVA_TS\nwithdrawal\nABSOLUTE\n2000 1 1 0 0 -0.5\nEND_TS\n");
    run_in(dir, "strip_bc.prj");

    const std::string summary = read_file(dir.file("strip_bc.sum"));
    EXPECT_GT(value_after(summary, "Volume to specified slope (out):"), 1.0);
    EXPECT_GT(value_after(summary, "Volume to specified discharge (out):"), 1.0);
    // 0.5 ft3/s over the run, taken or unmet.
    EXPECT_NEAR(value_after(summary, "Volume lost from specified discharge boundary:") +
                    value_after(summary, "Volume of specified discharge boundary unmet:"),
                0.5 * 0.0283168466 * 9000.0, 0.01);
    for (const char* label : {"mass conservation error:", "Mass balance error of surface components =",
                              "Overall mass balance error ="})
        EXPECT_LT(std::fabs(value_after(summary, label)), 1e-4) << label;
}

// Runs made one after another in one process (a batch, a calibration) give
// the same hydrograph whatever the run before left in the routing's sweep
// order and remembered sub-steps.
TEST(ExplicitRun, ARunDoesNotInheritTheRoutingStateOfTheRunBefore)
{
    auto run_here = [](const scratch_dir& dir, const char* project) {
        copy_strip_files(dir, {"strip.msk", "strip.ele", "strip_explicit.prj"});
        std::string prj = read_file(dir.file("strip_explicit.prj"));
        if (std::string(project) == "ade")
            prj.replace(prj.find("OVERTYPE          explicit"), std::string("OVERTYPE          explicit").size(),
                        "OVERTYPE ade");
        write_file(dir.file("strip_explicit.prj"), prj);
        reset_file_name_globals();
        std::string folder = dir.path();
        set_project_path(folder);
        error_state_clear();
        testing::internal::CaptureStdout();
        run_simulation(dir.file("strip_explicit.prj"), nullptr, "");
        testing::internal::GetCapturedStdout();
        reset_file_name_globals();
        return read_file(dir.file("strip_explicit.otl"));
    };
    for (const char* scheme : {"explicit", "ade"}) {
        scratch_dir fresh_dir("strip_fresh");
        const std::string fresh = run_here(fresh_dir, scheme);
        // What a run cut short by a time-step reduction can leave behind.
        ov_explicit_state& ex = ov_explicit_process_state();
        ex.toggle = 1;
        ex.calls_left = 7;
        ex.remembered_dt = 0.01;
        ex.reset_notice = 1;
        ade_state& ad = ade_process_state();
        ad.calls_made = 99;
        ad.courant = 0.05;
        ad.shrink = 3;
        ad.last_dt = 0.01;
        scratch_dir again_dir("strip_again");
        EXPECT_EQ(run_here(again_dir, scheme), fresh) << scheme;
    }
}
