// Overland lakes: the extent update over small grids built by hand, the
// explicit pass next to a lake, and the bowl example end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/platform.h"
#include "core/run_simulation.h"
#include "overland/olake_extent.h"
#include "overland/ov_explicit.h"
#include "overland/overland_fixture.h"
#include "overland/overland_steps.h"
#include "support/test_support.h"

using namespace overland_test;

namespace
{

// A grid of rows x cols cells of 10 m with the given ground and depths,
// the lake maps and the neighbour lists.
struct lake_grid {
    int rows = 0;
    int cols = 0;
    std::vector<double> z, h;
    std::vector<int> initial, current, dike;
    std::vector<int> right, left, above, below;
    std::vector<ov_lake> lakes;
    double inflow = 0.0;
    double outflow = 0.0;

    lake_grid(int r, int c, const std::vector<double>& ground)
        : rows(r), cols(c), z(1, 0.0), h(r * c + 1, 0.0), initial(r * c + 1, 0), current(r * c + 1, 0),
          dike(r * c + 1, 0), right(r * c + 1, 0), left(r * c + 1, 0), above(r * c + 1, 0), below(r * c + 1, 0)
    {
        z.insert(z.end(), ground.begin(), ground.end());
        for (int i = 1; i <= r * c; ++i) {
            const int col = (i - 1) % c + 1;
            right[i] = col < c ? i + 1 : 0;
            left[i] = col > 1 ? i - 1 : 0;
            above[i] = i > c ? i - c : 0;
            below[i] = i + c <= r * c ? i + c : 0;
        }
    }

    // Lake k over the listed cells at stage s (also its initial stage).
    void lake(int k, const std::vector<int>& cells, double s)
    {
        if (lakes.size() < static_cast<size_t>(k) + 1)
            lakes.resize(static_cast<size_t>(k) + 1);
        ov_lake& L = lakes[static_cast<size_t>(k)];
        L.stage = L.stage_init = s;
        for (int c : cells) {
            initial[c] = current[c] = k;
            ++L.num_cells;
            L.volume += (s - z[c]) * 100.0;
        }
    }

    bool update(bool dikes = false)
    {
        olake_grid g;
        g.n = rows * cols;
        g.dx = 10.0;
        g.z = z.data();
        g.h = h.data();
        g.above = above.data();
        g.right = right.data();
        g.below = below.data();
        g.left = left.data();
        g.initial = initial.data();
        g.current = current.data();
        g.dike = dikes ? dike.data() : nullptr;
        olake_work w;
        return olake_extent(g, lakes, inflow, outflow, w);
    }

    double water() const
    {
        double v = 0.0;
        for (size_t k = 1; k < lakes.size(); ++k)
            v += lakes[k].volume;
        for (size_t i = 1; i < h.size(); ++i)
            v += h[i] * 100.0;
        return v;
    }
};

// A 3 x 3 bowl: the lake in the middle (ground 10) at stage 11, the four
// side cells at 12, 12.5, 13, 13.00005, the corners at 20.
lake_grid bowl()
{
    lake_grid b(3, 3, {20, 12, 20, 12.5, 10, 13, 20, 13.00005, 20});
    b.lake(1, {5}, 11.0);
    return b;
}

} // namespace

TEST(OlakeExtent, StageAndCellsOfOneStep)
{
    struct row {
        const char* name;
        double volume_in;
        double rain;
        double stage;
        int cells;
        double inflow; // added to the inflow total (the rain is already there)
        double outflow;
    };
    const double A = 100.0;
    const row rows[] = {
        // |a| below 1e-10 m: the stage holds, the water is still booked.
        {"tiny inflow", 5e-9, 0.0, 11.0, 1, 5e-9, 0.0},
        // Below the initial stage: held there, the loss stays booked.
        {"below initial stage", -30.0, 0.0, 11.0, 1, 0.0, 30.0},
        // Up to 11.9, under every neighbour: no cell joins.
        {"rise without candidates", 90.0, 0.0, 11.9, 1, 90.0, 0.0},
        // D = 12.4: one candidate at 12 -> (12 + 1 x 12.4) / 2.
        {"one candidate", 100.0, 40.0, 12.2, 2, 100.0, 0.0},
        // Groups 12 | 12.5 | 13 and 13.00005 (one group): B = 300 m3 passes
        // V1 = 100 and V2 = 200 but not V3 = 350: 12.5 + 100 / 300, and only
        // the cells whose ground lies below that join.
        {"level groups", 250.0, 50.0, 12.5 + 100.0 / (3 * A), 3, 250.0, 0.0},
        // Past the last group every candidate is taken: 13 + 650 / 500 (with
        // 13.00005 in a group of its own the stage would be 1e-5 m higher).
        {"past the last group", 1000.0, 0.0, 13.0 + 650.0 / (5 * A), 5, 1000.0, 0.0},
    };
    for (const row& r : rows) {
        lake_grid b = bowl();
        b.lakes[1].volume_in = r.volume_in;
        b.lakes[1].step_rain = r.rain;
        const double before = b.water() + r.volume_in + r.rain;
        ASSERT_TRUE(b.update()) << r.name;
        EXPECT_NEAR(b.lakes[1].stage, r.stage, 1e-9) << r.name;
        EXPECT_EQ(b.lakes[1].num_cells, r.cells) << r.name;
        EXPECT_NEAR(b.inflow, r.inflow, 1e-12) << r.name;
        EXPECT_NEAR(b.outflow, r.outflow, 1e-12) << r.name;
        EXPECT_NEAR(b.water(), before, 1e-9) << r.name;
        int mapped = 0;
        for (size_t i = 1; i < b.current.size(); ++i)
            mapped += b.current[i] == 1;
        EXPECT_EQ(mapped, r.cells) << r.name;
    }
}

TEST(OlakeExtent, JoiningCellBringsItsWater)
{
    lake_grid b = bowl();
    b.h[2] = 0.1; // surface 12.1
    b.lakes[1].volume_in = 140.0; // D = 12.4
    ASSERT_TRUE(b.update());
    EXPECT_NEAR(b.lakes[1].stage, (12.1 + 12.4) / 2.0, 1e-12);
    EXPECT_EQ(b.h[2], 0.0);
    EXPECT_NEAR(b.inflow, 150.0, 1e-12);
    EXPECT_NEAR(b.lakes[1].volume, 100.0 + 150.0, 1e-12);
}

TEST(OlakeExtent, EmbankmentsAndOtherLakesAreNeverTaken)
{
    lake_grid b = bowl();
    b.dike[5] = 1 | 8; // top and left sides of the lake cell
    b.lake(2, {6}, 13.5);
    b.lakes[1].volume_in = 1000.0;
    ASSERT_TRUE(b.update(true));
    EXPECT_EQ(b.current[2], 0);
    EXPECT_EQ(b.current[4], 0);
    EXPECT_EQ(b.current[6], 2);
    EXPECT_EQ(b.current[8], 1);
    EXPECT_EQ(b.lakes[1].num_cells, 2);
    EXPECT_NEAR(b.lakes[1].stage, (13.00005 + 21.0) / 2.0, 1e-9); // the one candidate left
}

TEST(OlakeExtent, FallingLakeGivesBackOnlyItsAddedCells)
{
    lake_grid b = bowl();
    b.lakes[1].volume_in = 250.0; // takes cells 2 and 4 (stage 12.5 + 1/3)
    b.lakes[1].step_rain = 50.0;
    ASSERT_TRUE(b.update());
    ASSERT_EQ(b.lakes[1].num_cells, 3);
    // Down to 12.3: cell 4 (ground 12.5) comes back, cell 2 (12) stays.
    const double loss = (b.lakes[1].stage - 12.5) * 300.0 + (12.5 - 12.3) * 200.0;
    b.lakes[1].volume_in = -loss;
    b.lakes[1].step_rain = 0.0;
    ASSERT_TRUE(b.update());
    EXPECT_NEAR(b.lakes[1].stage, 12.3, 1e-9);
    EXPECT_EQ(b.lakes[1].num_cells, 2);
    EXPECT_EQ(b.current[2], 1);
    EXPECT_EQ(b.current[4], 0);
    EXPECT_NEAR(b.outflow, loss, 1e-9);
    // A loss beyond the initial stage: held there, with cell 2 given back
    // and the initial cell kept; the loss stays booked.
    const double before = b.water();
    b.lakes[1].volume_in = -1e4;
    ASSERT_TRUE(b.update());
    EXPECT_EQ(b.lakes[1].stage, 11.0);
    EXPECT_EQ(b.lakes[1].num_cells, 1);
    EXPECT_EQ(b.current[5], 1);
    EXPECT_EQ(b.current[2], 0);
    EXPECT_NEAR(b.water(), before - 1e4, 1e-9);
    EXPECT_NEAR(b.outflow, loss + 1e4, 1e-9);
}

TEST(OlakeExtent, FallPastTheLastGroupReleasesEveryAddedCell)
{
    lake_grid b = bowl();
    b.lakes[1].volume_in = 300.0; // takes cells 2 and 4: 400 m3 in all
    ASSERT_TRUE(b.update());
    ASSERT_EQ(b.lakes[1].num_cells, 3);
    // 250 m3 out is more than lowering to the last group (12, 200 m3)
    // releases: both cells go, and the initial cell holds 150 m3 at 11.5.
    b.lakes[1].volume_in = -250.0;
    ASSERT_TRUE(b.update());
    EXPECT_NEAR(b.lakes[1].stage, 11.5, 1e-9);
    EXPECT_EQ(b.lakes[1].num_cells, 1);
    EXPECT_EQ(b.current[2], 0);
    EXPECT_EQ(b.current[4], 0);
    EXPECT_NEAR(b.lakes[1].volume, 150.0, 1e-9);
}

TEST(OlakeExtent, LakeOnASmallFlatGridGrowsWithoutStopping)
{
    // 2 x 4 cells, all at the same level: every step takes the next ring.
    lake_grid b(2, 4, {10, 11, 11, 11, 11, 11, 11, 11});
    b.lake(1, {1}, 11.0);
    for (int k = 0; k < 4; ++k) {
        b.lakes[1].volume_in = 100.0;
        ASSERT_TRUE(b.update());
        EXPECT_EQ(error_state.raised, 0);
    }
    EXPECT_EQ(b.lakes[1].num_cells, 8);
    EXPECT_NEAR(b.lakes[1].volume, 500.0, 1e-9);
    EXPECT_NEAR(b.lakes[1].stage, 11.5, 1e-9);
}

TEST(OlakeExplicitPass, SameResultOnOneAndFourThreadsAndWaterKept)
{
    // 70 x 70 cells sloping toward a lake of four cells in the middle.
    plane_desc desc; // the bowl plane's layout, for cell_of
    desc.rows = 70;
    desc.cols = 70;
    std::vector<std::vector<double>> depths;
    std::vector<double> inflows;
    for (const int threads : {1, 4}) {
        set_thread_count(threads);
        auto s = make_bowl_plane();
        const int n = s->num_cells;
        s->overland_lake_on = 1;
        s->oland_lake_new.assign(n, 0);
        s->oland_lakes.resize(2);
        s->oland_lakes[1].stage = 100.02;
        for (int c : {cell_of(desc, 35, 35), cell_of(desc, 35, 36), cell_of(desc, 36, 35), cell_of(desc, 36, 36)}) {
            s->oland_lake_new[c] = 1;
            s->ov_depth[c] = 0.0;
        }
        s->quiet = 1;
        const double start = surface_volume(*s);
        ov_explicit_state st;
        double out_vol = 0.0;
        for (int k = 0; k < 3; ++k)
            out_vol += ov_explicit_route(*s, st, 2.0);
        EXPECT_GT(s->oland_lakes[1].volume_in, 0.0);
        EXPECT_NEAR(surface_volume(*s) + out_vol - s->ov_cleanup_volume + s->oland_lakes[1].volume_in, start,
                    1e-10 * start);
        depths.emplace_back(s->ov_depth.data() + 1, s->ov_depth.data() + n + 1);
        inflows.push_back(s->oland_lakes[1].volume_in);
    }
    set_thread_count(processor_count());
    EXPECT_TRUE(depths[0] == depths[1]);
    EXPECT_EQ(inflows[0], inflows[1]);
}

namespace
{

struct lake_watch {
    int most_cells = 0;
    int last_cells = 0;
    double initial = 0.0, inflow = 0.0, outflow = 0.0, volume = 0.0;
};
lake_watch watched;

void watch_lake(const model_state& s)
{
    const ov_lake& L = s.oland_lakes[1];
    watched.most_cells = std::max(watched.most_cells, L.num_cells);
    watched.last_cells = L.num_cells;
    watched.initial = s.oland_lake_initial_volume;
    watched.inflow = s.oland_lake_inflow_volume;
    watched.outflow = s.oland_lake_outflow_volume;
    watched.volume = L.volume;
}

double number_after(const std::string& text, const std::string& label)
{
    const size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

} // namespace

TEST(OverlandLakeExample, PondFillsTakesTheRingAndGivesItBack)
{
    using namespace torva_test;
    scratch_dir dir("lake_example");
    const std::string from = std::string(TORVA_EXAMPLES) + "/lake/";
    for (const char* f : {"lake.msk", "lake.ele", "lake.lkm", "lake.lak", "lake.dik", "lake.spt"})
        write_file(dir.file(f), read_file(from + f));
    std::string prj = read_file(from + "lake.prj");
    write_file(dir.file("lake.prj"), prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n"));

    reset_file_name_globals();
    error_state_clear();
    watched = lake_watch();
    run_step_observer = watch_lake;
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file("lake.prj"), nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    run_step_observer = nullptr;
    reset_file_name_globals();
    error_state_clear();
    ASSERT_EQ(rc, 0) << out.substr(0, 3000);

    // The pond takes its three ring cells and gives them back.
    EXPECT_EQ(watched.most_cells, 4);
    EXPECT_EQ(watched.last_cells, 1);
    EXPECT_NEAR(watched.initial, 100.0, 1e-9);
    const double handled = watched.initial + watched.inflow + watched.outflow;
    EXPECT_LT(std::fabs(watched.initial + watched.inflow - watched.outflow - watched.volume), 1e-6 * handled);

    const std::string sum = read_file(dir.file("lake.sum"));
    EXPECT_LT(std::fabs(number_after(sum, "Overland lake mass bal error m^3:")), 0.005) << sum;
    EXPECT_LT(std::fabs(number_after(sum, "Overall mass balance error =")), 1e-4) << sum;
    EXPECT_GT(number_after(sum, "Total amount of discharge="), 150.0) << sum;
}
