// The tracer example end to end: a two-minute pulse fed into the head of
// a steady trapezoidal reach arrives at the outlet node one travel time L / V after it was injected, the
// channel summary books what the point input brought and what left, and with first-order decay a steady
// injection leaves the reach at C exp(-k L / V).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

constexpr double reach = 1000.0;  // m
constexpr double discharge = 1.0; // m3/s

struct tracer_watch {
    double start = 0.0;                   // Julian day of the first step
    double sum_c = 0.0, sum_tc = 0.0;     // outlet concentration moments, t in s
    double sum_m = 0.0, sum_tm = 0.0;     // moments of the mass the point input brought
    double area_at_pulse = 0.0;           // mean node area when the pulse starts
    double last_c = 0.0, last_area = 0.0; // at the last step
    int steps = 0;
} w;

double mean_area(const model_state& s)
{
    double a = 0.0;
    for (int n = 1; n <= s.nx[1]; ++n)
        a += s.area[n][1];
    return a / s.nx[1];
}

void watch(const model_state& s)
{
    if (w.steps++ == 0)
        w.start = s.current_time;
    const double t = (s.current_time - w.start) * 86400.0;
    const double c = s.chan_conc[1][s.node_dim + s.nx[1]];
    w.sum_c += c;
    // The mass booked at this step entered over the channel step before it.
    const double injected = s.chan_point_mass_total[1] - w.sum_m;
    w.sum_m += injected;
    w.sum_tm += (t - 5.0) * injected;
    w.sum_tc += t * c;
    if (injected > 0.0)
        w.area_at_pulse = mean_area(s);
    w.last_c = c;
    w.last_area = mean_area(s);
}

std::string run_example(const scratch_dir& dir, const std::string& project)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/channel_tracer/";
    for (const char* name : {"tracer.msk", "tracer.ele", "tracer.idx", "tracer.chn", "tracer.gst",
                             "tracer.cmt", "tracer.pts", "steady.pts"})
        write_file(dir.file(name), read_file(from + name));
    std::string prj = read_file(from + project);
    write_file(dir.file(project), prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n"));
    w = tracer_watch{};
    reset_file_name_globals();
    error_state_clear();
    run_step_observer = watch;
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file(project), nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    run_step_observer = nullptr;
    reset_file_name_globals();
    error_state_clear();
    EXPECT_EQ(rc, 0) << out.substr(out.size() > 3000 ? out.size() - 3000 : 0);
    return out;
}

double summary_value(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return NAN;
    const std::size_t digits = text.find_first_of("-0123456789", at + label.size());
    return std::atof(text.c_str() + digits);
}

} // namespace

TEST(ChannelTracerExample, PulseTravelsTheReachAndTheBalanceCloses)
{
    scratch_dir dir("channel_tracer");
    run_example(dir, "tracer.prj");
    ASSERT_GT(w.steps, 600);
    ASSERT_GT(w.area_at_pulse, 0.0);
    const double travel = reach * w.area_at_pulse / discharge; // L / V
    const double injected = w.sum_tm / w.sum_m;                // centroid of what the input brought
    const double arrived = w.sum_tc / w.sum_c;
    EXPECT_NEAR(arrived - injected, travel, 0.03 * travel) << arrived << " " << travel;

    const std::string whole = read_file(dir.file("tracer.sum"));
    const std::string sum = whole.substr(whole.find("Channel Contaminant Transport Summary"));
    const double gain = summary_value(sum, "Point source mass gain");
    const double out = summary_value(sum, "Outlet mass flux");
    const double final_mass = summary_value(sum, "Final Dissolved Mass in Channels");
    const double error = summary_value(sum, "Contam mass balance error");
    EXPECT_NEAR(gain, discharge * 100.0 * 120.0 / 1000.0, 0.03 * 12.0) << sum;
    EXPECT_NEAR(out + final_mass, gain, 0.005 * gain) << sum;
    EXPECT_LT(std::fabs(error), 0.1) << sum;
}

TEST(ChannelTracerExample, SteadyInjectionDecaysAlongTheReach)
{
    scratch_dir dir("channel_decay");
    run_example(dir, "decay.prj");
    const double k = 26.0 / 86400.0;
    const double expected = 10.0 * std::exp(-k * reach * w.last_area / discharge);
    EXPECT_NEAR(w.last_c, expected, 0.02 * expected);
    const std::string whole = read_file(dir.file("decay.sum"));
    const std::string sum = whole.substr(whole.find("Channel Contaminant Transport Summary"));
    EXPECT_LT(std::fabs(summary_value(sum, "Contam mass balance error")), 0.1) << sum;
    EXPECT_GT(summary_value(sum, "Mass decay loss"), 0.0) << sum;
}
