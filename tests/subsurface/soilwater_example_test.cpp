// The long-term soil-water example end to end: three storms on a sandy loam
// plot with June weather between them. Each storm starts from the water
// the accounting column holds at its start, and the soil water balances at
// every step: initial + infiltration - soil ET - recharge = stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct watch_state {
    int event = 0;
    std::vector<double> column; // column water content of each cell after the last step
    std::vector<double> starts; // cell 1's initial water content at each event start
    double worst_start = 0.0;   // largest |initial content - column content| at event starts
    double worst_balance = 0.0; // largest relative soil balance residual
    double soil_et = 0.0;       // soil ET by the end, m3
    double recharge = 0.0;      // recharge by the end, m3
    int steps = 0;
} w;

double column_content(const model_state& s, int i)
{
    const double depth = std::min(s.soil_depth[i], s.top_layer_depth);
    const double theta = s.soil_water_top[i] / depth;
    if (theta < s.dist_resid_sat[i])
        return s.dist_resid_sat[i] + 0.01;
    return theta > s.dist_porosity[i] ? s.dist_porosity[i] - 0.01 : theta;
}

void watch(const model_state& s)
{
    const int n = s.num_cells;
    if (s.event_num != w.event) {
        w.event = s.event_num;
        w.starts.push_back(s.dist_init_moisture[1]);
        for (int i = 1; i <= n && !w.column.empty(); ++i)
            w.worst_start = std::max(w.worst_start, std::fabs(s.dist_init_moisture[i] - w.column[i]));
    }
    w.column.assign(n + 1, 0.0);
    const double area = s.gridsize * s.gridsize;
    double stored = 0.0, pending_evap = 0.0, pending_recharge = 0.0;
    for (int i = 1; i <= n; ++i) {
        w.column[i] = column_content(s, i);
        stored += (s.soil_water[i] / 100.0 + s.et_removed[i]) * area;
        pending_evap += s.direct_evap[i] / 100.0 * area;
        pending_recharge += s.unsat_down_flux[i] / 100.0 * area;
    }
    w.soil_et = s.evap_total - s.direct_evap_total - pending_evap;
    w.recharge = s.unsat_down_flux_total + pending_recharge;
    const double in = s.soil_initial_volume + s.infil_total;
    const double residual = in - w.soil_et - w.recharge - stored;
    w.worst_balance = std::max(w.worst_balance, std::fabs(residual) / in);
    ++w.steps;
}

double value_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

} // namespace

TEST(SoilwaterExample, StormsStartFromTheColumnAndTheSoilWaterBalances)
{
    scratch_dir dir("soilwater_example");
    const std::string from = std::string(TORVA_EXAMPLES) + "/soilwater/";
    for (const char* f : {"soilwater.msk", "soilwater.ele", "soilwater.pre", "soilwater.hmet",
                          "soilwater.cmt", "soilwater_soil.idx", "soilwater_alb.map"})
        write_file(dir.file(f), read_file(from + f));
    std::string prj = read_file(from + "soilwater.prj");
    write_file(dir.file("soilwater.prj"),
               prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n"));

    w = watch_state{};
    reset_file_name_globals();
    error_state_clear();
    run_step_observer = watch;
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file("soilwater.prj"), nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    run_step_observer = nullptr;
    reset_file_name_globals();
    error_state_clear();
    ASSERT_EQ(rc, 0) << out.substr(0, 3000);
    ASSERT_GT(w.steps, 1000);

    // Three storms, each starting from the column's top-layer content: the
    // first after six hours of drainage from 0.22, the later ones from what
    // the storms before left after drainage and evapotranspiration.
    ASSERT_EQ(w.starts.size(), 3u);
    EXPECT_LT(w.worst_start, 1e-12);
    EXPECT_LT(w.starts[0], 0.22);
    EXPECT_GT(w.starts[0], 0.20);
    EXPECT_NE(w.starts[1], w.starts[0]);
    EXPECT_NE(w.starts[2], w.starts[1]);

    // The soil water balances at every step, and the dry spells took ET and recharge.
    EXPECT_LT(w.worst_balance, 1e-6);
    EXPECT_GT(w.soil_et, 100.0);
    EXPECT_GT(w.recharge, 10.0);

    // The summaries print the initial volume and the closed balances.
    const std::string summary = read_file(dir.file("soilwater.sum"));
    EXPECT_EQ(value_after(summary, "Initial volume in soil over simple soil depth"), 891.0) << summary;
    EXPECT_NEAR(value_after(summary, "Simple soil moisture mass balance ="), 0.0, 1e-6) << summary;
    EXPECT_NEAR(value_after(summary, "Overall mass balance error ="), 0.0, 1e-6) << summary;
    EXPECT_NEAR(value_after(summary, "Mass balance error of surface components ="), 0.0, 1e-6) << summary;
}
