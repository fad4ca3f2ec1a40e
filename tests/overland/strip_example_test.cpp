// Whole runs of the program: the tilted-strip example against the
// kinematic-wave solution, and a 2-D plane large enough for parallel loops
// run on one and on four threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct row {
    double minutes;
    double q;
};

// Rows of a hydrograph file; every line must print back the same with fmt.
std::vector<row> read_rows(const std::string& text, const char* fmt)
{
    std::vector<row> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        row r{};
        EXPECT_EQ(std::sscanf(line.c_str(), "%lf %lf", &r.minutes, &r.q), 2) << line;
        char again[128];
        std::snprintf(again, sizeof again, fmt, r.minutes, r.q);
        EXPECT_EQ(again, line + "\n");
        rows.push_back(r);
    }
    return rows;
}

// Runs the project in the folder; returns the screen output.
std::string run_torva(const std::string& folder, const std::string& project)
{
    std::string out;
    EXPECT_EQ(run_command("cd '" + folder + "' && '" + torva_exe() + "' " + project + " 2>&1", out), 0);
    return out;
}

void copy_example(const std::string& name, const std::string& to)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/strip/" + name;
    ASSERT_TRUE(file_exists(from)) << from;
    write_file(to + "/" + name, read_file(from));
}

} // namespace

TEST(StripExample, KinematicWaveHydrograph)
{
    scratch_dir dir("strip");
    for (const char* f : {"strip.prj", "strip.msk", "strip.ele"})
        copy_example(f, dir.path());
    const std::string project = read_file(dir.file("strip.prj"));
    for (int threads : {1, 4}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        write_file(dir.file("strip.prj"), project + "NUM_THREADS " + std::to_string(threads) + "\n");
        run_torva(dir.path(), "strip.prj");

        const std::vector<row> coarse = read_rows(read_file(dir.file("strip.otl")), "%8.2lf %9.3lf\n");
        const std::vector<row> fine = read_rows(read_file(dir.file("strip6.otl")), "%8.2lf %12.6lf\n");
        ASSERT_EQ(fine.size(), 151u); // every minute of 150, from 0
        ASSERT_EQ(coarse.size(), fine.size());

        // The strip of the example: 60 cells of 10 m, slope 0.01, n 0.05,
        // 50 mm/h for 90 minutes, 5 s steps.
        const double rate = 50.0 / 1000.0 / 3600.0;
        const double alpha = std::sqrt(0.01) / 0.05;
        const double length = 600.0;
        const double width = 10.0;
        const double tc = std::pow(length / (alpha * std::pow(rate, 2.0 / 3.0)), 0.6);

        // Rising limb: q = alpha (i t)^(5/3) per unit width; the row at E
        // minutes holds the mean of the step ending 5 s later.
        for (const row& r : fine) {
            const double t = r.minutes * 60.0 + 2.5;
            if (t < 0.2 * tc || t > 0.8 * tc)
                continue;
            const double analytic = alpha * std::pow(rate * t, 5.0 / 3.0) * width;
            EXPECT_NEAR(r.q, analytic, 0.03 * analytic) << r.minutes << " min";
        }
        // Equilibrium before the rain stops: rain rate times area.
        const double equilibrium = rate * length * width;
        EXPECT_NEAR(fine[89].q, equilibrium, 0.005 * equilibrium);
        // Recession after the rain.
        EXPECT_LT(fine[120].q, 0.5 * equilibrium);
        EXPECT_LT(fine[150].q, fine[120].q);
    }
}

TEST(StripExample, SameHydrographOnOneAndFourThreads)
{
    // 72 x 64 cells, enough for the per-cell loops to run in parallel.
    scratch_dir dir("plane2d");
    const int rows = 64;
    const int cols = 72;
    std::ostringstream mask;
    std::ostringstream elev;
    const char* header = "north: 640\nsouth: 0\neast: 720\nwest: 0\nrows: 64\ncols: 72\n";
    mask << header;
    elev << header;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            mask << "1 ";
            elev << 100.0 - 0.08 * c - 0.05 * r + 0.01 * ((r * 7 + c * 3) % 5) << ' ';
        }
        mask << '\n';
        elev << '\n';
    }
    write_file(dir.file("plane.msk"), mask.str());
    write_file(dir.file("plane.ele"), elev.str());
    const std::string cards = "TORVAPROJECT\nWATERSHED_MASK plane.msk\nELEVATION plane.ele\nGRIDSIZE 10\n"
                              "ROWS 64\nCOLS 72\nTOT_TIME 40\nTIMESTEP 10\nOUTROW 64\nOUTCOL 72\n"
                              "OUTSLOPE 0.01\nMANNING_N 0.04\nPRECIP_UNIF\nRAIN_INTENSITY 80\n"
                              "RAIN_DURATION 25\nSTART_DATE 2000 1 1\nSTART_TIME 12 0\nHYD_FREQ 1\n"
                              "MAP_FREQ 60\nSUMMARY plane.sum\nOUTLET_HYDRO plane.otl\n"
                              "SIG_OUTLET_HYDRO plane6.otl\n";
    std::vector<std::string> hydrographs;
    for (int threads : {1, 4}) {
        write_file(dir.file("plane.prj"), cards + "NUM_THREADS " + std::to_string(threads) + "\n");
        run_torva(dir.path(), "plane.prj");
        hydrographs.push_back(read_file(dir.file("plane.otl")) + read_file(dir.file("plane6.otl")));
    }
    const std::vector<row> q = read_rows(read_file(dir.file("plane6.otl")), "%8.2lf %12.6lf\n");
    ASSERT_EQ(q.size(), 41u);
    EXPECT_GT(q[30].q, 0.1); // water reached the outlet
    EXPECT_EQ(hydrographs[0], hydrographs[1]);
}
