// The Richards example end to end: a sand column (Haverkamp's sand) under a
// steady supply below its conductivity. The columns at two times match an
// independent fine-grid solution of the Richards equation (mixed form,
// modified Picard, 0.25 cm nodes, 2 s steps): front depth, stored water and
// surface content, read from the soil-moisture series; and the event
// balance closes. Under a static water table at or above the ground of one
// cell the run's overall balance closes too.
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

// Haverkamp's sand (cm, h): retention with alpha = 1.611e6^(1/3.96).
const double ths = 0.287, thr = 0.075, alpha = std::pow(1.611e6, 1.0 / 3.96), beta = 3.96;
const double ks = 33.984, ahav = 1.175e6, bhav = 4.74;
const double supply = 13.69; // cm/h
const double column_depth = 70.0;

double theta_of(double h)
{
    return h >= 0.0 ? ths : thr + (ths - thr) / (std::pow(std::fabs(h) / alpha, beta) + 1.0);
}
double k_of(double h)
{
    return h >= 0.0 ? ks : ks * ahav / (ahav + std::pow(std::fabs(h), bhav));
}
double capacity(double h)
{
    if (h >= 0.0)
        return 0.0;
    const double x = std::pow(std::fabs(h) / alpha, beta);
    return (ths - thr) * beta / std::fabs(h) * x / ((x + 1.0) * (x + 1.0));
}
double head_of(double theta)
{
    return -alpha * std::pow((ths - thr) / (theta - thr) - 1.0, 1.0 / beta);
}

// Water contents of a fine grid (node i at depth (i - 1/2) dz) after
// `hours` of the supply, free drainage at the bottom.
std::vector<double> fine_grid_profile(double hours)
{
    const double dz = 0.25, dt = 2.0 / 3600.0;
    const int n = static_cast<int>(column_depth / dz);
    std::vector<double> h(n, head_of(0.10)), th(n), th_old(n), a(n), b(n), c(n), d(n), kf(n + 1);
    for (int i = 0; i < n; ++i)
        th[i] = theta_of(h[i]);
    const int steps = static_cast<int>(hours / dt + 0.5);
    for (int step = 0; step < steps; ++step) {
        th_old = th;
        std::vector<double> hm = h;
        for (int it = 0; it < 50; ++it) {
            for (int i = 1; i < n; ++i)
                kf[i] = 0.5 * (k_of(hm[i - 1]) + k_of(hm[i]));
            // Rows: C (h - hm)/dt + (theta(hm) - theta_old)/dt = -(q+ - q-)/dz,
            // q+ = -K+ ((h[i+1] - h[i])/dz - 1), q at the top = supply,
            // free drainage q = K at the bottom.
            for (int i = 0; i < n; ++i) {
                const double ci = capacity(hm[i]) / dt;
                b[i] = ci;
                a[i] = c[i] = 0.0;
                d[i] = ci * hm[i] - (theta_of(hm[i]) - th_old[i]) / dt;
                if (i == 0) {
                    d[i] += supply / dz;
                } else {
                    const double k = kf[i] / (dz * dz);
                    b[i] += k;
                    c[i] = -k;
                    d[i] += kf[i] / dz;
                }
                if (i == n - 1) {
                    d[i] -= k_of(hm[i]) / dz;
                } else {
                    const double k = kf[i + 1] / (dz * dz);
                    b[i] += k;
                    a[i] = -k;
                    d[i] -= kf[i + 1] / dz;
                }
            }
            for (int i = 1; i < n; ++i) {
                const double f = c[i] / b[i - 1];
                b[i] -= f * a[i - 1];
                d[i] -= f * d[i - 1];
            }
            std::vector<double> hn(n);
            hn[n - 1] = d[n - 1] / b[n - 1];
            for (int i = n - 2; i >= 0; --i)
                hn[i] = (d[i] - a[i] * hn[i + 1]) / b[i];
            double change = 0.0;
            for (int i = 0; i < n; ++i)
                change = std::max(change, std::fabs(hn[i] - hm[i]));
            hm = hn;
            if (change < 1e-7)
                break;
        }
        h = hm;
        for (int i = 0; i < n; ++i)
            th[i] = theta_of(h[i]);
    }
    return th;
}

// Depth (cm) where a profile of node centres z crosses the mid content
// between the initial and the surface content, from below.
double front_depth(const std::vector<double>& z, const std::vector<double>& th)
{
    const double mid = 0.5 * (0.10 + th.front());
    for (std::size_t i = th.size() - 1; i > 0; --i)
        if (th[i - 1] >= mid && th[i] < mid)
            return z[i - 1] + (th[i - 1] - mid) / (th[i - 1] - th[i]) * (z[i] - z[i - 1]);
    return NAN;
}

double stored(const std::vector<double>& th, double dz)
{
    double sum = 0.0;
    for (double t : th)
        sum += t * dz;
    return sum;
}

const double sample_minutes[] = {24.0, 48.0};

// The row of the soil-moisture series at `minute`: the contents of the
// listed nodes.
std::vector<double> profile_row(const std::string& series, double minute)
{
    std::vector<double> row;
    std::size_t at = 0;
    while (at < series.size()) {
        const std::size_t end = series.find('\n', at);
        const std::string line = series.substr(at, end - at);
        at = end == std::string::npos ? series.size() : end + 1;
        char* p = nullptr;
        const double t = std::strtod(line.c_str(), &p);
        if (std::fabs(t - minute) > 1e-6)
            continue;
        for (char* q = p;; p = q) {
            const double v = std::strtod(p, &q);
            if (q == p)
                break;
            row.push_back(v);
        }
    }
    return row;
}

// The example's files in `dir`, its project reading from there.
void copy_example(const scratch_dir& dir)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/richards/";
    for (const char* f :
         {"richards.msk", "richards.ele", "richards_soil.map", "richards.tab", "richards_theta.loc"})
        write_file(dir.file(f), read_file(from + f));
    std::string prj = read_file(from + "richards.prj");
    write_file(dir.file("richards.prj"),
               prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n"));
}

int run_example(const scratch_dir& dir, std::string& out)
{
    reset_file_name_globals();
    error_state_clear();
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file("richards.prj"), nullptr, "");
    out = testing::internal::GetCapturedStdout();
    reset_file_name_globals();
    error_state_clear();
    return rc;
}

double value_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

} // namespace

TEST(RichardsExample, SandColumnMatchesAFineGridSolution)
{
    scratch_dir dir("richards_example");
    copy_example(dir);
    std::string out;
    ASSERT_EQ(run_example(dir, out), 0) << out.substr(0, 3000);
    const std::string series = read_file(dir.file("richards.th"));

    for (int t = 0; t < 2; ++t) {
        SCOPED_TRACE(sample_minutes[t]);
        const std::vector<double> model = profile_row(series, sample_minutes[t]);
        ASSERT_EQ(model.size(), 70u);
        std::vector<double> zm(model.size());
        for (std::size_t i = 0; i < zm.size(); ++i)
            zm[i] = i + 0.5;
        const std::vector<double> fine = fine_grid_profile(sample_minutes[t] / 60.0);
        std::vector<double> zf(fine.size());
        for (std::size_t i = 0; i < zf.size(); ++i)
            zf[i] = (i + 0.5) * 0.25;
        const double front_model = front_depth(zm, model), front_fine = front_depth(zf, fine);
        EXPECT_NEAR(front_model, front_fine, 2.0);
        EXPECT_NEAR(stored(model, 1.0), stored(fine, 0.25), 0.03 * stored(fine, 0.25));
        EXPECT_NEAR(model.front(), fine.front(), 0.01);
    }

    const std::string summary = read_file(dir.file("richards.sum"));
    EXPECT_NEAR(value_after(summary, "volume of infiltrated water:"),
                value_after(summary, "volume of rainfall to overland:"), 0.1);
    EXPECT_NE(summary.find("mass conservation error:                          0.000000 percent"),
              std::string::npos)
        << summary;
    EXPECT_LT(std::fabs(value_after(summary, "Richard equation mass balance error")), 1e-4) << summary;
}

// A static water table over the middle cell of the plot: 10 cm above the
// ground groundwater comes out onto the cell, at the ground the rain ponded
// there leaks down into the table. The table lies outside the run, so the
// overall balance counts what comes out as an input and what leaks down as
// an output; all it keeps besides is the columns' own residual (the solver
// takes the contents beside the saturated bottom node from their heads).
TEST(RichardsExample, AStaticTableAtOrAboveTheGroundKeepsTheOverallBalance)
{
    struct table_case {
        const char* head; // m, middle cell
        double sign;      // of the exfiltrated volume
    };
    for (const table_case& c : {table_case{"100.1", 1.0}, table_case{"100.0", -1.0}}) {
        SCOPED_TRACE(c.head);
        scratch_dir dir("richards_static_table");
        copy_example(dir);
        std::string grid = read_file(dir.file("richards.ele"));
        grid = grid.substr(0, grid.find("rows:")) + "rows: 3\ncols: 3\n99.0 99.0 99.0\n99.0 " + c.head +
               " 99.0\n99.0 99.0 99.0\n";
        write_file(dir.file("wt.map"), grid);
        // The flooded cell's one-node column has no nodes to list.
        std::string prj = read_file(dir.file("richards.prj"));
        for (const char* card : {"IN_THETA_LOCATION", "OUT_THETA_LOCATION"}) {
            const std::size_t at = prj.find(card);
            prj.erase(at, prj.find('\n', at) + 1 - at);
        }
        write_file(dir.file("richards.prj"), prj + "WATER_TABLE wt.map\n");

        std::string out;
        ASSERT_EQ(run_example(dir, out), 0) << out.substr(0, 3000);
        const std::string sum = read_file(dir.file("richards.sum"));
        EXPECT_GT(c.sign * value_after(sum, "Total amount of exfiltration="), 0.1) << sum;
        const double in = value_after(sum, "Initial volume in soils=") +
                          value_after(sum, "Total amount of precip=") +
                          std::max(value_after(sum, "Total amount of exfiltration="), 0.0);
        // The columns' residual (m3, printed to 0.00005 percent of their
        // initial water) as a share of what the run had and took in.
        const double columns = -value_after(sum, "Richard equation mass balance error") / 100.0 *
                               value_after(sum, "Initial volume in soils (cu. m.):") / in * 100.0;
        const double overall = value_after(sum, "Overall mass balance error =");
        EXPECT_LT(std::fabs(overall - columns), 1e-4) << sum;
        EXPECT_LT(std::fabs(overall), 1e-3) << sum;
    }
}
