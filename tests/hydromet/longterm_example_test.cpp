// The long-term example end to end: three days of a steady station record
// drive Penman-Monteith evapotranspiration, and "evap_out" logs one row per
// hour. At every hour whose evapotranspiration was computed with the sun
// below the horizon the mean potential rate matches the energy balance
// solved independently; the temperature column is the converted station
// value and the frozen-ground column follows the index's own recurrence.
// A run whose START_DATE lies past the weather ends at the end of the data;
// data that end during the last event let the event run on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "hydromet/et_balance.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

const char* const example_files[] = {
    "longterm.prj",     "longterm.msk",     "longterm.ele",    "longterm.hmet",
    "longterm.pre",     "longterm_alb.map", "longterm_vh.map", "longterm_tc.map",
    "longterm_cr.map",  "longterm_wp.map",  "longterm_k.map",  "longterm_hc.map",
    "longterm_por.map", "longterm_m0.map",  "longterm_pi.map", "longterm_rs.map"};

std::string example(const char* name)
{
    return read_file(std::string(TORVA_EXAMPLES) + "/longterm/" + name);
}

// Copies the example, replacing each (from, to) text of the named file.
void copy_example(const scratch_dir& dir, const std::string& file = "",
                  const std::vector<std::pair<std::string, std::string>>& edits = {})
{
    for (const char* f : example_files) {
        std::string text = example(f);
        if (file == f)
            for (const auto& e : edits)
                for (std::size_t at = text.find(e.first); at != std::string::npos;
                     at = text.find(e.first, at + e.second.size()))
                    text.replace(at, e.first.size(), e.second);
        write_file(dir.file(f), text);
    }
}

int run_example(const scratch_dir& dir, std::string& out)
{
    return run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=2 '" + torva_exe() + "' longterm.prj 2>&1",
                       out);
}

struct log_row {
    int year, month, day, hour;
    double v[9]; // avg_theta, avg_pot, avgetrate, avgfav, avgbottomfav, CFGI, temp(C), L1, L2
};

// The rows of "evap_out"; each must print back exactly in the log's format.
std::vector<log_row> read_log(const std::string& text)
{
    std::vector<log_row> rows;
    std::size_t at = text.find('\n') + 1;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        log_row r{};
        double* v = r.v;
        const int got =
            std::sscanf(line.c_str(), "%d/%d/%d %d:00 %lf %lf %lf %lf %lf %lf %lf %lf %lf", &r.year, &r.month,
                        &r.day, &r.hour, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8]);
        EXPECT_EQ(got, 13) << line;
        char again[512];
        std::snprintf(
            again, sizeof again,
            "%d/%d/%d  %2d:00 %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf%12.6lf   %12.6lf",
            r.year, r.month, r.day, r.hour, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
        EXPECT_EQ(line, again);
        rows.push_back(r);
    }
    return rows;
}

// Sun altitude (degrees) at a clock hour of a July day at 40 N, from the
// declination and the hour angle of the clock hour.
double sun_altitude(int july_day, int hour)
{
    const double pi = 3.14159265358979323846, rad = pi / 180.0;
    const int n = 181 + july_day;
    const double decl = 23.45 * std::cos(2 * pi * (172 - n) / 365.0) * rad;
    const double omega = (hour <= 12 ? hour + 12 : hour - 12) * 15.0 * rad;
    const double phi = 40.0 * rad;
    const double sin_h = std::sin(phi) * std::sin(decl) + std::cos(phi) * std::cos(decl) * std::cos(omega);
    return std::asin(sin_h) / rad;
}

// Checks the log of the example run at the station temperature temp_f
// (deg F); the frozen-ground index is followed up to cfgi_until (hour of
// 3 July) while no snow lies.
void check_log(const std::string& log, double temp_f, int cfgi_until)
{
    const std::string header = "yr/mo/day  hour     avg_theta    avg_pot      avgetrate    avgfav      "
                               "avgbottomfav  CFGI         temp(C)   avg_theta_L1  avg_theta_L2\n";
    ASSERT_EQ(log.substr(0, header.size()), header);
    const std::vector<log_row> rows = read_log(log);
    // One row per hour from the start to END_TIME (noon of 3 July).
    ASSERT_EQ(rows.size(), 61u);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int h = static_cast<int>(r);
        EXPECT_EQ(rows[r].year, 1998);
        EXPECT_EQ(rows[r].month, 7);
        EXPECT_EQ(rows[r].day, 1 + h / 24) << r;
        EXPECT_EQ(rows[r].hour, h % 24) << r;
    }

    const double t_c = (temp_f - 32.0) * 5.0 / 9.0;
    const double p_mb = 29.92 * 1013.25 / 29.92, wind = 10 * 0.514444, rh = 20.0, cloud = 2.0;
    const double heights[] = {0.1, 0.3, 0.5}; // one per column of the plot
    double night_pet = 0.0;
    for (double h_v : heights)
        night_pet += et_test::balance_pet(p_mb, t_c, rh, wind, cloud, h_v) * 3600.0 / 3.0;
    ASSERT_GT(night_pet, 1e-3);

    // A row shows the rate computed at the hour before it and the index
    // after the updates of the hours before it. The 24-hour table of the
    // station temperature starts with zeros; the first hour adds two
    // records to it: the one dated at the START_DATE, which the start skip
    // reads, and the hour's own record dated an hour later.
    int night_rows = 0;
    double cfgi = 0.0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const log_row& row = rows[r];
        EXPECT_NEAR(row.v[6], t_c, 5e-7) << r;
        if ((row.day - 1) * 24 + row.hour <= 48 + cfgi_until) {
            EXPECT_NEAR(row.v[5], cfgi, 1e-6 * std::max(1.0, cfgi)) << r;
        }
        const double mean_temp = t_c * std::min<double>(static_cast<double>(r + 2), 24.0) / 24.0;
        cfgi = std::max(0.0, cfgi * 0.99875 - mean_temp);
        if (r == 0)
            continue;
        const log_row& before = rows[r - 1];
        if (sun_altitude(before.day, before.hour) > 0.0)
            continue;
        ++night_rows;
        EXPECT_NEAR(row.v[1], night_pet, 1e-3 * night_pet) << row.day << " " << row.hour;
    }
    EXPECT_GE(night_rows, 16);
}

} // namespace

TEST(LongtermExample, EvapOutHasOneRowPerHourWithTheNightPetStationTemperatureAndFrozenGround)
{
    // The example's own heat: the frozen-ground index stays 0.
    {
        scratch_dir dir("longterm_example");
        copy_example(dir);
        std::string out;
        ASSERT_EQ(run_example(dir, out), 0) << out.substr(0, 3000);
        check_log(read_file(dir.file("evap_out")), 86.0, 12);
    }
    // The same days at -5 deg C: the index grows from the first hour; the
    // drizzle of 3 July falls as snow from 06:00, which damps it after that.
    {
        scratch_dir dir("longterm_cold");
        copy_example(dir, "longterm.hmet", {{" 10 86 ", " 10 23 "}});
        std::string out;
        ASSERT_EQ(run_example(dir, out), 0) << out.substr(0, 3000);
        check_log(read_file(dir.file("evap_out")), 23.0, 6);
    }
}

// A 7-minute step does not line up with the hour: the hourly weather, the
// evapotranspiration and snow run at the first step of each hour and keep
// to their hours, so the log still has one row per hour and the run
// evaporates what the 1-minute step does. Before, the hourly step never fell
// due after the first hour.
TEST(LongtermExample, HourlyProcessesKeepTheirHoursUnderAStepThatDoesNotDivideIt)
{
    double evaporated[2] = {0.0, 0.0};
    const char* steps[] = {"TIMESTEP           60", "TIMESTEP           420"};
    for (int k = 0; k < 2; ++k) {
        scratch_dir dir("longterm_step");
        copy_example(dir, "longterm.prj", {{"TIMESTEP           60", steps[k]}});
        std::string out;
        ASSERT_EQ(run_example(dir, out), 0) << out.substr(0, 3000);
        check_log(read_file(dir.file("evap_out")), 86.0, 12);
        const std::string sum = read_file(dir.file("longterm.sum"));
        const std::size_t at = sum.find("Total amount of evaporation=");
        ASSERT_NE(at, std::string::npos) << sum;
        evaporated[k] = std::strtod(sum.c_str() + at + 28, nullptr);
    }
    ASSERT_GT(evaporated[0], 10.0);
    EXPECT_NEAR(evaporated[1], evaporated[0], 0.01 * evaporated[0]);
}

TEST(LongtermExample, TheEndOfTheDataEndsTheRunWithItsSummaryUnlessTheLastEventIsUnderWay)
{
    // A START_DATE past the weather: the first hourly step ends the run.
    {
        scratch_dir dir("longterm_data_end");
        copy_example(dir, "longterm.prj",
                     {{"START_DATE         1998 07 01", "START_DATE         1998 07 05"}});
        std::string out;
        ASSERT_EQ(run_example(dir, out), 0) << out.substr(0, 3000);
        EXPECT_NE(out.find("End of meteorology data reached.  TORVA terminated\n"), std::string::npos) << out;
        const std::string summary = read_file(dir.file("longterm.sum"));
        EXPECT_NE(summary.find("Total amount of precip="), std::string::npos) << summary;
    }
    // Weather up to 08:00 on 3 July and no END_TIME: the data end during
    // the drizzle, which runs on to its end (24 mm on 8,100 m2) with the
    // last hour's weather, and nothing is printed about the data.
    {
        scratch_dir dir("longterm_data_end_in_event");
        copy_example(dir, "longterm.prj", {{"END_TIME           1998 07 03 12 00\n", ""}});
        const std::string hmet = example("longterm.hmet");
        std::size_t cut = 0;
        for (int line = 0; line < 57; ++line)
            cut = hmet.find('\n', cut) + 1;
        write_file(dir.file("longterm.hmet"), hmet.substr(0, cut));
        std::string out;
        ASSERT_EQ(run_example(dir, out), 0) << out.substr(0, 3000);
        EXPECT_EQ(out.find("End of meteorology data"), std::string::npos);
        EXPECT_NE(out.find("7/03/1998 17:59:00"), std::string::npos); // the event ran on after 08:00
        const std::string summary = read_file(dir.file("longterm.sum"));
        const std::size_t at = summary.find("Total amount of precip=");
        ASSERT_NE(at, std::string::npos) << summary;
        EXPECT_NEAR(std::atof(summary.c_str() + at + 23), 0.024 * 8100.0, 0.01);
    }
}
