// The saturated groundwater solver against analytic results (Dupuit flow
// between two fixed heads, Theis drawdown around a pumping well, Thiem's
// steady state inside a fixed-head ring), its limits (fixed and inactive
// cells, the thickness floors, a head that is not a number, Picard passes
// that never settle) and the wells' rates.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "input/time_series.h"
#include "subsurface/aquifer_fixture.h"
#include "subsurface/groundwater.h"
#include "subsurface/soil_tables.h"
#include "subsurface/wells.h"

namespace
{

constexpr double pi = 3.141592653589793;

// Theis' well function (the exponential integral E1) by its series.
double well_function(double u)
{
    double sum = -0.5772156649015329 - std::log(u);
    double term = 1.0;
    for (int k = 1; k < 60; ++k) {
        term *= -u / k;
        sum -= term / k;
    }
    return sum;
}

std::string solve_quietly(model_state& s, double dt, double* volume = nullptr)
{
    testing::internal::CaptureStdout();
    const double v = groundwater_solve(s, s.num_cells, dt);
    if (volume)
        *volume = v;
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(GroundwaterSolve, DupuitProfileBetweenTwoFixedHeadsInEveryLineOrder)
{
    // One row of 51 cells of 10 m on a bottom at 0, fixed at 10 m and 5 m
    // at the ends, started from the straight line.
    const int cols = 51;
    const double h1 = 10.0, h2 = 5.0, length = (cols - 1) * 10.0;
    std::vector<std::vector<double>> results;
    for (int direction : {1, 2})
        for (int order : {1, 2}) {
            auto s = make_aquifer(1, cols, 10.0, 1e-4, 0.0, 0.0, 0.2);
            s->gw_lsor_dir = direction;
            s->gw_sweep_order = order;
            for (int c = 1; c <= cols; ++c)
                s->elevgw[c] = h1 + (h2 - h1) * (c - 1) / (cols - 1);
            s->gwbound[1] = s->gwbound[cols] = 2;
            for (int step = 0; step < 4; ++step)
                solve_quietly(*s, 1e9);
            ASSERT_FALSE(error_state.raised);
            EXPECT_EQ(s->elevgw[1], h1);
            EXPECT_EQ(s->elevgw[cols], h2);
            std::vector<double> h(cols + 1);
            for (int c = 1; c <= cols; ++c) {
                const double x = (c - 1) * 10.0;
                const double dupuit = std::sqrt(h1 * h1 - (h1 * h1 - h2 * h2) * x / length);
                EXPECT_NEAR(s->elevgw[c], dupuit, 0.01) << direction << " " << order << " cell " << c;
                h[c] = s->elevgw[c];
            }
            results.push_back(h);
            // Steady flow: what leaves the upper fixed cell enters the lower.
            const double q = (h1 * h1 - h2 * h2) * 1e-4 / (2.0 * length) * 10.0; // m3/s across the 10 m row
            EXPECT_NEAR(s->gw_flux[1] / (4 * 1e9), q, 0.02 * q);
        }
    for (const auto& h : results)
        for (int c = 1; c <= cols; ++c)
            EXPECT_NEAR(h[c], results[0][c], 0.01) << c;
}

TEST(GroundwaterSolve, TheisDrawdownAroundAPumpingWell)
{
    // 81 x 81 cells of 10 m, 50 m saturated, T = 0.05 m2/s, S = 0.2,
    // 0.01 m3/s pumped from the centre cell; the edges lie far enough for
    // the drawdown not to reach them within half a day.
    const int side = 81, centre = 41;
    const double k = 1e-3, b = 50.0, sy = 0.2, q = 0.01, dx = 10.0;
    auto s = make_aquifer(side, side, dx, k, 0.0, b, sy);
    s->gw_relax_coeff = 1.2;
    const int well = s->mask[centre][centre];
    s->well_flux[well] = q / (dx * dx);
    const double dt = 600.0;
    double t = 0.0, volume = 0.0;
    for (double until : {21600.0, 43200.0}) {
        while (t < until - 1.0) {
            double v = 0.0;
            solve_quietly(*s, dt, &v);
            ASSERT_FALSE(error_state.raised);
            volume += v;
            t += dt;
        }
        const double T = k * b;
        for (int r : {5, 10, 15, 20}) {
            const double radius = r * dx;
            const double theis = q / (4.0 * pi * T) * well_function(radius * radius * sy / (4.0 * T * t));
            const double drawdown = b - s->elevgw[s->mask[centre][centre + r]];
            EXPECT_NEAR(drawdown, theis, 0.05 * theis) << "t " << t << " r " << radius;
        }
    }
    // The volume the solver reports is what the well took.
    EXPECT_NEAR(volume, -q * t, 1e-9 * q * t);
}

TEST(GroundwaterSolve, ThiemSteadyStateInsideAFixedHeadRing)
{
    const int side = 81, centre = 41;
    const double k = 1e-3, b = 50.0, q = 0.01, dx = 10.0, ring = 38.0;
    auto s = make_aquifer(side, side, dx, k, 0.0, b, 1e-4);
    s->gw_lsor_con = 1e-9;
    s->gw_relax_coeff = 1.85; // over-relaxation for a nearly steady system
    ASSERT_TRUE(groundwater_solver_alloc(*s, s->num_cells));
    for (int r = 1; r <= side; ++r)
        for (int c = 1; c <= side; ++c) {
            const double d = std::hypot(r - centre, c - centre);
            if (d >= ring)
                s->gwbound[s->mask[r][c]] = d >= ring + 2.0 ? 5 : 2;
        }
    s->well_flux[s->mask[centre][centre]] = q / (dx * dx);
    // A small storage brings the steady state within a few steps short
    // enough for the well not to empty its cell within one.
    const double dt = 1e5;
    for (int step = 0; step < 3; ++step) {
        for (int c = 1; c <= s->num_cells; ++c)
            s->gw_flux[c] = 0.0;
        solve_quietly(*s, dt);
    }
    ASSERT_FALSE(error_state.raised);
    // The fixed cells deliver what the well takes.
    double delivered = 0.0;
    for (int c = 1; c <= s->num_cells; ++c) {
        if (s->gwbound[c] == 5) {
            EXPECT_EQ(s->elevgw[c], b);
        }
        if (s->gwbound[c] == 2) {
            EXPECT_EQ(s->elevgw[c], b);
            delivered += s->gw_flux[c];
        }
    }
    EXPECT_NEAR(delivered / dt, q, 0.01 * q);
    for (int r : {5, 10, 15, 20}) {
        const double thiem = q / (2.0 * pi * k * b) * std::log(ring * dx / (r * dx));
        const double drawdown = b - s->elevgw[s->mask[centre][centre + r]];
        EXPECT_NEAR(drawdown, thiem, 0.05 * thiem) << r;
    }
}

TEST(GroundwaterSolve, ThicknessFloorsCutLeakagePumpingAndTheSink)
{
    // Cells 1..4 of one row with 0.005, 0.5, 0.0005 and 1 m saturated; each
    // pumps 1e-5 m/s; leakage of 3.6 cm/h (1e-5 m/s).
    auto s = make_aquifer(1, 4, 10.0, 1e-9, 0.0, 1.0, 0.2);
    s->gw_leakage_rate = 3.6;
    const double sat[] = {0.005, 0.5, 0.0005, 1.0};
    for (int c = 1; c <= 4; ++c) {
        s->elevgw[c] = sat[c - 1];
        s->well_flux[c] = 1e-5;
    }
    const double dt = 1e5;
    double v = 0.0;
    solve_quietly(*s, dt, &v);
    ASSERT_FALSE(error_state.raised);
    EXPECT_EQ(s->gw_leakage[1], 0.0);
    EXPECT_EQ(s->gw_pumping[1], 0.0);
    EXPECT_EQ(s->gw_sink[1], 0.0);
    // 0.5 m cannot lose 2e-5 m/s over 1e5 s: the leakage is cut to the
    // thickness over the step and the sink to leave 1 mm; so is the 1 m
    // cell's. The thin cells give nothing.
    EXPECT_DOUBLE_EQ(s->gw_leakage[2], 0.5 / dt);
    EXPECT_DOUBLE_EQ(s->gw_pumping[2], 1e-5);
    EXPECT_EQ(s->gw_sink[3], 0.0);
    EXPECT_NEAR(v, -(0.499 + 0.999) * 100.0, 1e-9);
    // No head ends below bottom + 1 mm, and such a cell's sink is not positive.
    for (int c = 1; c <= 4; ++c) {
        EXPECT_GE(s->elevgw[c], 0.001 - 1e-12) << c;
        if (s->elevgw[c] <= 0.001 + 1e-12) {
            EXPECT_LE(s->gw_sink[c], 0.0) << c;
        }
    }
}

// A cell of 10 m x 10 m and storage 0.3 under a stream: the 1.5 m3 the
// stream lost into it over the step raise its head by 1.5 / (0.3 x 100)
// = 0.05 m; the 0.6 m3 an aquifer gives a gaining stream lower it by 0.02 m.
// The solver reports the volume that entered the aquifer.
TEST(GroundwaterSolve, StreamSeepageRaisesTheHeadOfItsCellAndGainingStreamsLowerIt)
{
    struct seepage_case {
        double exchange; // m3, positive from the aquifer into the channel
        double head;     // by hand
    };
    for (const seepage_case& c : {seepage_case{-1.5, 10.05}, seepage_case{0.6, 9.98}}) {
        auto s = make_aquifer(1, 1, 10.0, 1e-4, 0.0, 10.0, 0.3);
        s->chan_explicit = 1;
        s->gw_chan_exchange.assign(1, c.exchange);
        double v = 0.0;
        solve_quietly(*s, 3600.0, &v);
        ASSERT_FALSE(error_state.raised);
        EXPECT_NEAR(s->elevgw[1], c.head, 1e-12) << c.exchange;
        EXPECT_NEAR(v, -c.exchange, 1e-12) << c.exchange;
        EXPECT_EQ(s->gw_chan_exchange[1], 0.0); // taken once
    }
}

TEST(GroundwaterSolve, FixedAndInactiveCellsKeepTheirHeadsAndFixedFluxSkipsTypeZeroAndTwo)
{
    // A 3 x 3 aquifer: the centre cell fixed at 12 m among cells at 10 m;
    // its neighbours are type 5 above, type 2 below, type 0 left, type 1
    // right.
    auto s = make_aquifer(3, 3, 10.0, 1e-4, 0.0, 10.0, 0.2);
    s->elevgw[5] = 12.0;
    s->gwbound[5] = 2;
    s->gwbound[2] = 5;
    s->gwbound[8] = 2;
    s->gwbound[6] = 1;
    s->gwbound[4] = 0;
    const double dt = 3600.0;
    solve_quietly(*s, dt);
    ASSERT_FALSE(error_state.raised);
    EXPECT_EQ(s->elevgw[5], 12.0);
    EXPECT_EQ(s->elevgw[2], 10.0);
    EXPECT_EQ(s->elevgw[8], 10.0);
    EXPECT_GT(s->elevgw[6], 10.0);
    // Flux toward the inactive cell above (2 m over 10 m) and the ordinary
    // cell to the right, none toward the cells of types 2 and 0.
    const double b = 12.0, w = 10.0, k = 1e-4;
    const double expected =
        (12.0 - 10.0) / 10.0 * b * w * k * dt + (12.0 - s->elevgw[6]) / 10.0 * b * w * k * dt;
    EXPECT_NEAR(s->gw_flux[5], expected, 1e-9 * expected);
}

TEST(GroundwaterSolve, AHeadThatIsNotANumberStopsTheRun)
{
    auto s = make_aquifer(2, 2, 10.0, 1e-4, 0.0, 10.0, 0.2);
    s->elevgw[3] = std::nan("");
    const std::string out = solve_quietly(*s, 60.0);
    EXPECT_NE(out.find("elevgw NaN in main()- point 7, grid cell 3\n"), std::string::npos) << out;
    EXPECT_EQ(error_state.raised, 1);
    error_state_clear();
}

TEST(GroundwaterSolve, PicardPassesThatNeverSettleWarnFromThe49thAndStopAtThe1000th)
{
    // One ordinary cell beside a fixed one; a storage of -10 over a 1 s
    // step makes each pass's transmissivity send the next pass's head
    // between two values.
    auto s = make_aquifer(1, 2, 1.0, 1.0, 0.0, 5.0, -10.0);
    s->elevgw[1] = 10.0;
    s->gwbound[1] = 2;
    double v = 1.0;
    const std::string out = solve_quietly(*s, 1.0, &v);
    EXPECT_EQ(v, 0.0);
    size_t warnings = 0;
    for (size_t p = out.find("GW IS NOT CONVERGING \n"); p != std::string::npos;
         p = out.find("GW IS NOT CONVERGING \n", p + 1))
        ++warnings;
    EXPECT_EQ(warnings, 1000u - 49u + 1u);
    EXPECT_NE(out.find("Error: Non-convergence in the groundwater after 1000 tries.\n"), std::string::npos);
    EXPECT_EQ(s->gw_pass_count, 999);
    EXPECT_EQ(error_state.raised, 1);
    error_state_clear();
}

TEST(Wells, ConstantAndSeriesRatesPerCellAreaWithTheFirstBoundWinning)
{
    time_series* ts = ts_new();
    ts->times = {100.0, 101.0};
    ts->values = {0.1, 0.3};
    ts->count = 2;
    ts_index_list.push_front({7, ts, ts->name});
    // Bound in this order: cell 2 constant, cell 3 series 7, then a second
    // well on cell 2 that loses to the first.
    well_list.clear();
    well_list.insert(well_list.begin(), well_rec{2, 0.5, 0, 0});
    well_list.insert(well_list.begin(), well_rec{3, 0.0, 1, 7});
    well_list.insert(well_list.begin(), well_rec{2, 9.0, 0, 0});
    dvec pumping;
    pumping.assign(4, 0.0);
    wells_apply_rates(pumping, 4, 100.5, 10.0);
    EXPECT_DOUBLE_EQ(pumping[2], 0.5 / 100.0);
    EXPECT_DOUBLE_EQ(pumping[3], 0.2 / 100.0);
    EXPECT_EQ(pumping[1], 0.0);
    // Before the series begins its first value holds.
    wells_apply_rates(pumping, 4, 99.0, 10.0);
    EXPECT_DOUBLE_EQ(pumping[3], 0.1 / 100.0);

    // A series the id table lacks: the message, 0 stored, the run stops.
    error_state_clear();
    well_list.insert(well_list.begin(), well_rec{4, 0.0, 1, 8});
    pumping[4] = 1.0;
    testing::internal::CaptureStdout();
    wells_apply_rates(pumping, 4, 100.5, 10.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("The specified time series index is 8, but the \nindex is not found"),
              std::string::npos)
        << out;
    EXPECT_EQ(pumping[4], 0.0);
    EXPECT_DOUBLE_EQ(pumping[2], 0.5 / 100.0);
    EXPECT_EQ(error_state.raised, 1);
    error_state_clear();
    wells_free();
    ts_free_all();
}

TEST(Wells, AWellOutsideTheWatershedIsRefused)
{
    error_state_clear();
    imat ids, cells;
    ids.assign(2, 2, 0);
    cells.assign(3, 3, 0);
    cells[1][1] = 1;
    cells[1][2] = 2; // cell [2,2] lies outside
    ids[0][1] = 4;   // row 1, column 2
    ids[1][1] = 4;   // row 2, column 2
    well_table_list = {well_rec{4, 0.2, 0, 0}};
    testing::internal::CaptureStdout();
    wells_from_index_map(ids, cells, 2, 2);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(
        out.find("well 4 of the well table is placed in the index map at cell [2,2], which lies outside the "
                 "watershed"),
        std::string::npos)
        << out;
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_TRUE(well_table_list.empty());
    error_state_clear();
    wells_free();
}
