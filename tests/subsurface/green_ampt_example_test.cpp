// The Green-Ampt example end to end: rain at five times the conductivity on
// a flat plot. The infiltrated depth, read from the state at set times, and
// the summary's infiltrated volume follow the Green-Ampt solution with a
// ponding time; the error is first order in the step; the event closes its
// water balance.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/file_rec.h"
#include "core/run_simulation.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

// The example's soil and rain, in metres and seconds.
const double k = 1.0 / 360000.0;       // 1 cm/h
const double suction = 0.11 * (0.45 - 0.15);
const double rain = 0.05 / 3600.0;     // 50 mm/h
const double area = 100.0 * 100.0;
const double minutes[] = {20.0, 45.0, 90.0};

// Cumulative infiltration under constant rain above the conductivity:
// all the rain until ponding, then the ponded Green-Ampt curve shifted to
// pass through the ponding point.
double mein_larson(double t)
{
    const double fp = suction * k / (rain - k);
    const double tp = fp / rain;
    if (t <= tp)
        return rain * t;
    const double c = k * (t - tp) + fp - suction * std::log(1.0 + fp / suction);
    double lo = fp, hi = 1.0;
    for (int i = 0; i < 200; ++i) {
        const double f = 0.5 * (lo + hi);
        (f - suction * std::log(1.0 + f / suction) < c ? lo : hi) = f;
    }
    return 0.5 * (lo + hi);
}

std::vector<double> seen; // event_inf_depth of cell 1 at the set times
double run_start = 0.0;

void watch(const model_state& s)
{
    if (seen.empty())
        run_start = s.sim_start_jd;
    const double elapsed = (s.current_time - run_start) * 1440.0;
    for (double m : minutes)
        if (std::fabs(elapsed - m) < 1e-4)
            seen.push_back(s.event_inf_depth[1]);
}

double value_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return NAN;
    return std::atof(text.c_str() + at + label.size());
}

struct run_result {
    std::vector<double> depths;
    std::string summary;
};

run_result run_example(const std::string& timestep)
{
    scratch_dir dir("green_ampt_example");
    const std::string from = std::string(TORVA_EXAMPLES) + "/infil/";
    for (const char* f : {"infil.msk", "infil.ele", "infil_k.map", "infil_hc.map", "infil_por.map", "infil_m0.map"})
        write_file(dir.file(f), read_file(from + f));
    std::string prj = read_file(from + "infil.prj");
    const std::size_t at = prj.find("TIMESTEP        10\n");
    EXPECT_NE(at, std::string::npos);
    prj.replace(at, 19, "TIMESTEP        " + timestep + "\n");
    write_file(dir.file("infil.prj"), prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n"));

    reset_file_name_globals();
    error_state_clear();
    seen.clear();
    run_step_observer = watch;
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file("infil.prj"), nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    run_step_observer = nullptr;
    reset_file_name_globals();
    error_state_clear();
    EXPECT_EQ(rc, 0) << out.substr(0, 3000);
    return {seen, read_file(dir.file("infil.sum"))};
}

} // namespace

TEST(GreenAmptExample, FollowsTheGreenAmptSolutionWithPondingTime)
{
    const run_result fine = run_example("10");
    const run_result coarse = run_example("20");
    ASSERT_EQ(fine.depths.size(), 3u);
    ASSERT_EQ(coarse.depths.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const double exact = mein_larson(minutes[i] * 60.0);
        const double e_fine = std::fabs(fine.depths[i] - exact) / exact;
        const double e_coarse = std::fabs(coarse.depths[i] - exact) / exact;
        EXPECT_LT(e_fine, 0.03) << minutes[i];
        EXPECT_LT(e_coarse, 0.03) << minutes[i];
        // First order: half the step, about half the error.
        if (minutes[i] > 30.0) {
            EXPECT_GT(e_coarse / e_fine, 1.5) << minutes[i];
            EXPECT_LT(e_coarse / e_fine, 2.6) << minutes[i];
        }
    }
    const double volume = value_after(fine.summary, "volume of infiltrated water:");
    EXPECT_NEAR(volume, mein_larson(90.0 * 60.0) * area, 0.03 * mein_larson(90.0 * 60.0) * area);
    EXPECT_NEAR(value_after(fine.summary, "Total amount of infiltration="), volume, 0.05);
    EXPECT_LT(std::fabs(value_after(fine.summary, "mass conservation error:")), 0.01) << fine.summary;
}
