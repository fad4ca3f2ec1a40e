// A 2-D plane draining to a corner outlet: after the time of concentration
// the outlet must hold rain times area, and the written hydrograph must
// carry the water the run booked as discharge. The cells round the corner
// stand nearly level, so a sub-step that is too long for them makes the
// outlet ring from step to step.
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

struct hyd_row {
    double minutes;
    double q;
};

std::vector<hyd_row> read_hydrograph(const std::string& text)
{
    std::vector<hyd_row> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        hyd_row r{};
        if (std::sscanf(line.c_str(), "%lf %lf", &r.minutes, &r.q) == 2)
            rows.push_back(r);
    }
    return rows;
}

// The number after the label on its line of the run summary.
double summary_value(const std::string& summary, const std::string& label)
{
    const size_t at = summary.find(label);
    if (at == std::string::npos)
        return NAN;
    return std::atof(summary.c_str() + at + label.size());
}

// 40 x 40 cells of 10 m falling 1 % toward the last column and 0.5 % toward
// the last row, outlet at the bottom-right corner.
void write_plane(const scratch_dir& dir, int rows, int cols)
{
    std::ostringstream mask;
    std::ostringstream elev;
    std::ostringstream header;
    header << "north: " << rows * 10 << "\nsouth: 0\neast: " << cols * 10 << "\nwest: 0\nrows: " << rows
           << "\ncols: " << cols << "\n";
    mask << header.str();
    elev << header.str();
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            mask << "1 ";
            elev << 100.0 - 0.1 * (c - 1) - 0.05 * (r - 1) << ' ';
        }
        mask << '\n';
        elev << '\n';
    }
    write_file(dir.file("plane.msk"), mask.str());
    write_file(dir.file("plane.ele"), elev.str());
}

} // namespace

TEST(CornerOutlet, SettlesAtRainTimesAreaAndTheHydrographCarriesTheBookedVolume)
{
    scratch_dir dir("corner");
    const int n = 40;
    write_plane(dir, n, n);
    // 300 mm/h on 0.16 km2 gives the corner about the flow that 50 mm/h
    // gives it on 1 km2.
    const double rain_mm_h = 300.0;
    const double area = n * n * 100.0;
    const double equilibrium = rain_mm_h / 1000.0 / 3600.0 * area;

    for (int step : {10, 2}) {
        SCOPED_TRACE("TIMESTEP " + std::to_string(step));
        const std::string cards =
            "TORVAPROJECT\nWATERSHED_MASK plane.msk\nELEVATION plane.ele\nGRIDSIZE 10\nROWS 40\nCOLS 40\n"
            "TOT_TIME 60\nTIMESTEP " +
            std::to_string(step) +
            "\nOUTROW 40\nOUTCOL 40\nOUTSLOPE 0.01\nMANNING_N 0.03\nPRECIP_UNIF\nRAIN_INTENSITY 300\n"
            "RAIN_DURATION 60\nSTART_DATE 2000 1 1\nSTART_TIME 12 0\nHYD_FREQ 1\nMAP_FREQ 600\n"
            "SUMMARY plane.sum\nOUTLET_HYDRO plane.otl\nSIG_OUTLET_HYDRO plane6.otl\n";
        write_file(dir.file("plane.prj"), cards);
        std::string out;
        ASSERT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' plane.prj 2>&1", out), 0) << out;

        const std::vector<hyd_row> rows = read_hydrograph(read_file(dir.file("plane6.otl")));
        ASSERT_EQ(rows.size(), 61u);

        // After the time of concentration (about 20 minutes here): steady at
        // rain times area, every row within 1 % and their mean within 0.5 %.
        double sum = 0.0;
        int count = 0;
        for (const hyd_row& r : rows) {
            if (r.minutes < 25.0)
                continue;
            EXPECT_NEAR(r.q, equilibrium, 0.01 * equilibrium) << r.minutes << " min";
            sum += r.q;
            ++count;
        }
        ASSERT_GT(count, 30);
        EXPECT_NEAR(sum / count, equilibrium, 0.005 * equilibrium);

        // The rows, integrated over the run, hold the booked discharge.
        double volume = 0.0;
        for (size_t k = 1; k < rows.size(); ++k)
            volume += 0.5 * (rows[k - 1].q + rows[k].q) * (rows[k].minutes - rows[k - 1].minutes) * 60.0;
        const std::string summary = read_file(dir.file("plane.sum"));
        const double booked = summary_value(summary, "volume of discharge:");
        ASSERT_GT(booked, 0.0);
        EXPECT_NEAR(volume, booked, 0.005 * booked);

        const double error = summary_value(summary, "mass conservation error:");
        EXPECT_LT(std::fabs(error), 0.01) << "percent";
    }
}
