// The snowmelt example end to end: a long-term run of 3.5 mm of snow water
// under a steady 5 deg C with the temperature-index model (MF 1.2 mm per
// deg C per 6 h, no liquid-water holding). Every cell loses 1 mm each hour,
// the hourly "swe" maps follow that sequence, the melt water leaves the snow
// books only as released water, and one and four threads print the same run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "hydromet/snow_services.h"
#include "support/golden_compare.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

const char* const example_files[] = {"snowmelt.prj",    "snowmelt.msk",    "snowmelt.ele",
                                     "snowmelt.hmet",   "snowmelt.pre",    "snowmelt_alb.map",
                                     "snowmelt_k.map",  "snowmelt_hc.map", "snowmelt_por.map",
                                     "snowmelt_m0.map", "snowmelt_pi.map", "snowmelt_rs.map"};

void copy_example(const scratch_dir& dir, bool with_path)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/snowmelt/";
    for (const char* f : example_files)
        write_file(dir.file(f), read_file(from + f));
    std::filesystem::create_directory(dir.file("grids"));
    if (with_path) {
        std::string prj = read_file(from + "snowmelt.prj");
        write_file(dir.file("snowmelt.prj"),
                   prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n"));
    }
}

// The water that came from the snow, per step before the rain: snow left,
// water in the packets, and water released (on the surface, infiltrated,
// discharged or evaporated from the pond), all in m3.
double worst_gap = 0.0;
int checked_steps = 0;
double initial_snow = 0.0;

void watch(const model_state& s)
{
    const double hours = (s.current_time - s.sim_start_jd) * 24.0;
    if (hours >= 18.0)
        return; // the shower starts at 18:00
    const double area = s.gridsize * s.gridsize;
    double snow = 0.0, surface = 0.0, ponded_evap = s.direct_evap_total;
    for (int i = 1; i <= s.num_cells; ++i) {
        snow += s.snow_swe[i] * area;
        surface += s.ov_depth[i] * area;
        ponded_evap += s.direct_evap[i] / 100.0 * area;
    }
    dcube packets = s.Melt_Waves;
    snow += sum_melt_packets(0, s.num_cells, packets, s.snow_retention_kind, "ALL") * area;
    const double released = surface + s.infil_total + s.discharge_total + ponded_evap;
    worst_gap = std::max(worst_gap, std::fabs(snow + released - initial_snow));
    ++checked_steps;
}

std::string swe_map(double swe)
{
    char row[64];
    std::snprintf(row, sizeof row, "%.4f %.4f %.4f \n", swe, swe, swe);
    return std::string("ncols \t3\nnrows \t3\nxllcenter     15.00\nyllcenter     15.00\ncellsize     30.00\n"
                       "NODATA_value -9999.99\n") +
           row + row + row;
}

double value_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

} // namespace

TEST(SnowmeltExample, SnowMeltsOneMillimetreAnHourAndItsWaterIsAllBooked)
{
    scratch_dir dir("snowmelt_example");
    copy_example(dir, true);
    initial_snow = 0.0035 * 9 * 30.0 * 30.0;
    worst_gap = 0.0;
    checked_steps = 0;
    reset_file_name_globals();
    error_state_clear();
    run_step_observer = watch;
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file("snowmelt.prj"), nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    run_step_observer = nullptr;
    reset_file_name_globals();
    error_state_clear();
    ASSERT_EQ(rc, 0) << out.substr(0, 3000);

    // Hour h of the run leaves 3.5 - (h + 1) mm on every cell (the first
    // hourly step melts at 00:00), and nothing from 03:00 on.
    for (int h = 0; h < 18; ++h) {
        char name[32];
        std::snprintf(name, sizeof name, "grids/swe.%04d.asc", h + 1);
        const double swe = std::max(0.0, 0.0035 - 0.001 * (h + 1));
        EXPECT_EQ(golden_difference(swe_map(swe), read_file(dir.file(name)), {}), "") << name;
    }

    // Before the shower the snow water is always snow, packets or released water.
    EXPECT_GT(checked_steps, 2000);
    EXPECT_LT(worst_gap, 1e-9 * initial_snow);

    // The run's surface balance starts from the snow: 28.35 m3 of snow and
    // 4.05 m3 of rain end as infiltration, discharge, pond evaporation and surface water.
    const std::string summary = read_file(dir.file("snowmelt.sum"));
    const double rain = value_after(summary, "Total amount of precip=");
    const double infil = value_after(summary, "Total amount of infiltration=");
    const double discharge = value_after(summary, "Total amount of discharge=");
    const double surface = value_after(summary, "Final volume on surface=");
    EXPECT_EQ(value_after(summary, "Final volume of snow="), 0.0) << summary;
    const double ponded_evap = value_after(summary, "Total direct evaporation=");
    EXPECT_NEAR(initial_snow + rain, infil + discharge + surface + ponded_evap, 0.02) << summary;
    EXPECT_NEAR(value_after(summary, "Mass balance error of surface components ="), 0.0, 1e-6) << summary;
    // The soil keeps what infiltrated, so the whole run balances too.
    EXPECT_NEAR(value_after(summary, "Overall mass balance error ="), 0.0, 1e-6) << summary;
}

TEST(SnowmeltExample, OneAndFourThreadsPrintTheSameRun)
{
    std::string printed[2];
    std::string maps[2];
    const int threads[2] = {1, 4};
    for (int t = 0; t < 2; ++t) {
        scratch_dir dir("snowmelt_threads");
        copy_example(dir, false);
        EXPECT_EQ(run_command("cd '" + dir.path() + "' && OMP_WAIT_POLICY=passive OMP_NUM_THREADS=" +
                                  std::to_string(threads[t]) + " '" + torva_exe() + "' snowmelt.prj 2>&1",
                              printed[t]),
                  0)
            << printed[t];
        // Drop the first line (thread count) and the run-time lines.
        std::string& p = printed[t];
        p.erase(0, p.find('\n') + 1);
        for (const char* label : {"total time to init(s):", "Run time:"}) {
            const std::size_t at = p.find(label);
            if (at != std::string::npos) {
                const std::size_t from = p.rfind('\n', at) + 1;
                p.erase(from, p.find('\n', at) - from);
            }
        }
        maps[t] = read_file(dir.file("snowmelt.sum")) + read_file(dir.file("snowmelt.otl"));
        const std::size_t at = maps[t].find("Run time");
        if (at != std::string::npos)
            maps[t].erase(at, maps[t].find('\n', at) - at);
    }
    EXPECT_EQ(printed[0], printed[1]);
    EXPECT_EQ(golden_difference(maps[0], maps[1], {}), "");
}
