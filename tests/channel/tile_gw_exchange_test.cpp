// Ground water into subsurface drains: the two equivalent-depth forms
// against hand values on both sides of b/S = 0.3, and the exchange over a
// grid-pipe table (no rise, no conductivity, a pipe below the aquifer
// bottom, an inflow that is not a number).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

// Two cells of ground 10 m under one superlink of three nodes, inverts at
// 8 m and 0.1 m of water (surface 8.1 m); the grid-pipe table puts pipe 1
// (80 % of its 20 m) in cell 1 and pipe 2 (50 %) in cell 2. Drains of
// 0.1 m diameter, 10 m spacing, 3.6 cm/h; aquifer bottom at 5 m.
std::unique_ptr<model_state> drains(double head)
{
    auto s = std::make_unique<model_state>();
    error_state_clear();
    s->num_cells = 2;
    for (dvec* v : {&s->ground_elev, &s->elevgw, &s->bottom_elev, &s->Q_tile_grid})
        v->assign(2, 0.0);
    for (int c = 1; c <= 2; ++c) {
        s->ground_elev[c] = 10.0;
        s->elevgw[c] = head;
        s->bottom_elev[c] = 5.0;
    }
    for (dmat* m : {&s->slink_node_Zinv, &s->slink_node_depth, &s->diameter, &s->dx, &s->drain_spacing,
                    &s->superlink_pipe_conductivity, &s->superlink_tile_flow})
        m->assign(1, 3, 0.0);
    s->superlink_node_gnum.assign(1, 3, 0);
    for (int k = 1; k <= 3; ++k) {
        s->slink_node_Zinv[1][k] = 8.0;
        s->slink_node_depth[1][k] = 0.1;
        s->superlink_node_gnum[1][k] = k < 3 ? k : 2;
        s->diameter[1][k] = 0.1;
        s->dx[1][k] = 20.0;
        s->drain_spacing[1][k] = 10.0;
        s->superlink_pipe_conductivity[1][k] = 3.6;
    }
    s->superlink_drainmod = 1;
    s->gpi_ncells = 2;
    s->gpi_ncellsingrid.assign(2, 1);
    s->gpi_link.assign(2, 1, 1);
    s->gpi_node.assign(2, 1, 0);
    s->gpi_gnum.assign(2, 1, 0);
    s->gpi_pct.assign(2, 1, 0.0);
    for (int c = 1; c <= 2; ++c) {
        s->gpi_node[c][1] = c;
        s->gpi_gnum[c][1] = c;
        s->gpi_pct[c][1] = c == 1 ? 0.8 : 0.5;
    }
    return s;
}

std::string run(model_state& s, int& result)
{
    testing::internal::CaptureStdout();
    result = tile_gw_exchange(s, 60.0);
    return testing::internal::GetCapturedStdout();
}

// Inflow of pipe 1 (b = 3 m, rise 0.5 m, 16 m of pipe) by the second Moody
// form, worked by hand.
const double q_pipe1 = 2.403816719850348e-06;

} // namespace

TEST(TileDrainInflow, MoodyFormsMeetAtPointThreeAndTheSeriesFormByHand)
{
    struct row {
        int moody;
        double b, expected;
    } rows[] = {
        {1, 2.9, 2.409194489429558e-06}, // b/S = 0.29: the first Moody form
        {1, 3.0, 2.403816719850348e-06}, // 0.3: the second
        {1, 3.1, 2.403816719850348e-06}, // the second does not depend on b
        {0, 3.0, 5.22682653607017e-05},  // the series form
    };
    for (const row& r : rows)
        EXPECT_NEAR(tile_drain_inflow(r.moody, 0.036, 10.0, 0.1, r.b, 0.5, 16.0), r.expected,
                    1e-12 * r.expected)
            << r.moody << " " << r.b;
}

TEST(TileGwExchange, HeadsAboveThePipesFeedCellsAndNodes)
{
    auto s = drains(8.6);
    int result = 0;
    run(*s, result);
    EXPECT_EQ(result, 1);
    EXPECT_NEAR(s->Q_tile_grid[1], q_pipe1, 1e-15);
    EXPECT_NEAR(s->Q_tile_grid[2], q_pipe1 * 0.5 / 0.8, 1e-15);
    EXPECT_NEAR(s->superlink_tile_flow[1][1], q_pipe1, 1e-15);
    EXPECT_NEAR(s->superlink_tile_flow[1][2], q_pipe1 * 0.5 / 0.8, 1e-15);
    EXPECT_FALSE(error_state.raised);
}

TEST(TileGwExchange, NoRiseOrNoConductivityOrNoSpacingTakesNothing)
{
    auto at_surface = drains(8.1); // the head exactly at the water surface
    int result = 1;
    run(*at_surface, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(at_surface->Q_tile_grid[1], 0.0);

    auto closed = drains(8.6);
    closed->superlink_pipe_conductivity[1][1] = 0.0;
    closed->drain_spacing[1][2] = 0.0;
    run(*closed, result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(closed->Q_tile_grid[1], 0.0);
    EXPECT_EQ(closed->Q_tile_grid[2], 0.0);
}

TEST(TileGwExchange, APipeBelowTheAquiferBottomOrAnInflowThatIsNotANumberStops)
{
    auto below = drains(8.6);
    below->bottom_elev[1] = 8.5;
    int result = 0;
    std::string out = run(*below, result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(out, "\n Node elevation must be above bottom of groundwater media: Link 1 Node 1 Comp Node 1");
    EXPECT_EQ(error_state.code, err_pipe_invert);
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(below->Q_tile_grid[2], 0.0);

    // The pipe of cell 2 lies on the bottom (b = 0): the inflow is not a
    // number; cell 1's inflow stays.
    auto on_bottom = drains(8.6);
    on_bottom->bottom_elev[2] = 8.0;
    out = run(*on_bottom, result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(out, "\n NaN error in groundwater tile exchange: Link 1 Node 2 Comp Node 2");
    EXPECT_EQ(error_state.code, err_tile_nan);
    EXPECT_NEAR(on_bottom->Q_tile_grid[1], q_pipe1, 1e-15);
    error_state_clear();
}
