// The redistribution example end to end: two bursts of rain at five times
// the conductivity, an hour apart, on a flat loam plot. The first burst
// ponds at the Mein-Larson time, the surface dries between the bursts, the
// second burst ponds sooner, and the event closes its water balance.
#include <gtest/gtest.h>

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

struct sample {
    double minute;  // since the start of the run
    double depth;   // ponded depth of cell 1, m
    double surface; // surface water content of cell 1
    int pond_step;  // iter_pond_1 of cell 1
};

std::vector<sample> samples;
double run_start = 0.0;

void watch(const model_state& s)
{
    if (samples.empty())
        run_start = s.sim_start_jd;
    samples.push_back({(s.current_time - run_start) * 1440.0, s.ov_depth[1], s.redist_theta_2[1], s.iter_pond_1[1]});
}

double value_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

// First sample at or after minute `from` with water standing on cell 1.
double first_ponded(double from)
{
    for (const sample& p : samples)
        if (p.minute >= from - 1e-6 && p.depth > 0.0)
            return p.minute;
    return NAN;
}

} // namespace

TEST(RedistExample, SecondBurstPondsSoonerAndTheEventBalanceCloses)
{
    scratch_dir dir("redist_example");
    const std::string from = std::string(TORVA_EXAMPLES) + "/redist/";
    for (const char* f : {"redist.msk", "redist.ele", "redist.pre", "redist_k.map", "redist_hc.map", "redist_por.map",
                          "redist_m0.map", "redist_pi.map", "redist_rs.map"})
        write_file(dir.file(f), read_file(from + f));
    std::string prj = read_file(from + "redist.prj");
    write_file(dir.file("redist.prj"), prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n"));

    reset_file_name_globals();
    error_state_clear();
    samples.clear();
    run_step_observer = watch;
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file("redist.prj"), nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    run_step_observer = nullptr;
    reset_file_name_globals();
    error_state_clear();
    ASSERT_EQ(rc, 0) << out.substr(0, 3000);
    ASSERT_GT(samples.size(), 1000u);

    // Loam: K 1 cm/h, capillary head 11 cm, porosity 0.45, initial 0.15;
    // rain 5 cm/h. Mein-Larson ponding time in minutes.
    const double tp = 11.0 * 0.30 * 1.0 / (5.0 - 1.0) / 5.0 * 60.0;
    EXPECT_NEAR(samples.back().pond_step * 10.0 / 60.0, tp, 10.0 / 60.0);
    const double first = first_ponded(0.0);
    EXPECT_NEAR(first, tp, 0.5);

    // Between the bursts the ponded water soaks in and the surface dries.
    double dry = NAN;
    for (const sample& p : samples)
        if (p.minute > 30.0 && p.minute < 90.0 && p.depth == 0.0) {
            dry = p.minute;
            break;
        }
    ASSERT_FALSE(std::isnan(dry));
    double last = 1.0;
    for (const sample& p : samples) {
        if (p.minute <= dry || p.minute >= 90.0)
            continue;
        EXPECT_LT(p.surface, last) << p.minute;
        last = p.surface;
    }
    EXPECT_GT(last, 0.15);
    EXPECT_LT(last, 0.43);

    const double again = first_ponded(90.0) - 90.0;
    EXPECT_LT(again, 0.75 * first) << again;

    const std::string summary = read_file(dir.file("redist.sum"));
    const double rain = value_after(summary, "volume of rainfall to overland:");
    const double infiltrated = value_after(summary, "volume of infiltrated water:");
    const double discharge = value_after(summary, "volume of discharge:");
    const double surface = value_after(summary, "volume remaining on surface:");
    EXPECT_DOUBLE_EQ(rain, 500.0); // two bursts of 25 mm on 100 m x 100 m
    EXPECT_NEAR(rain, infiltrated + discharge + surface, 0.1) << summary;
    EXPECT_EQ(value_after(summary, "mass conservation error:"), 0.0) << summary;
    EXPECT_NE(summary.find("mass conservation error:                          0.000000 percent"), std::string::npos);
}
