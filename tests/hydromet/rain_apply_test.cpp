// The rain step: rain volume onto the cells, through the canopy, into lakes
// and out through head boundaries; interception by its worked numbers.
#include <gtest/gtest.h>

#include <string>

#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_fixture.h"
#include "hydromet/rain_services.h"

using namespace rain_test;

namespace
{

// One overland step of 30 s, due now, on 30 m cells.
std::unique_ptr<model_state> raining_grid(int cells)
{
    auto s = grid(1, cells, 30.0);
    s->rain_state = 1;
    s->current_time = 2451545.0;
    s->ov_next = s->current_time;
    s->ov_last = s->current_time - 30.0 / 86400.0;
    return s;
}

} // namespace

TEST(RainApply, RainGoesToDepthsBoundariesAndLakes)
{
    error_state_clear();
    auto s = raining_grid(4);
    for (int i = 1; i <= 4; ++i)
        s->rain_rate[i] = 12.0;
    s->ov_boundary = 1;
    s->boundary_type.assign(4, 0);
    s->boundary_type[2] = 3; // specified head: the rain leaves the watershed
    s->ovr_flow_block = 1;
    s->ov_block_frac.assign(4, 0.0);
    s->ov_block_frac[3] = 0.25;
    s->chan_lakes = 1;
    s->lake_mask.assign(4, 0);
    s->lake_mask[4] = 1;
    s->lake_volume.assign(1, 0.0);
    s->chan_con_trans = 1; // the lake's rain volume is kept for its constituents
    s->lake_precip_conc.assign(1, 0.0);
    s->awaiting_rain = 1;
    s->elapsed_min = 7.5;

    precip_apply_step(*s);
    ASSERT_EQ(error_state.code, 0);
    const double depth = 12.0 * 30.0 / 3.6e6; // 0.1 mm
    const double volume = depth * 900.0;      // 0.09 m3
    EXPECT_DOUBLE_EQ(s->ov_depth[1], depth);
    EXPECT_EQ(s->ov_depth[2], 0.0);
    EXPECT_DOUBLE_EQ(s->head_bc_out_total, volume);
    EXPECT_DOUBLE_EQ(s->ov_depth[3], 0.75 * depth);
    EXPECT_EQ(s->ov_depth[4], 0.0);
    EXPECT_DOUBLE_EQ(s->lake_volume[1], volume);
    EXPECT_DOUBLE_EQ(s->lake_rain_vol, volume);
    EXPECT_DOUBLE_EQ(s->lake_precip_conc[1], volume);
    // The blocked cell still counts its rain whole; the lake's rain is not
    // event rain on the land.
    EXPECT_DOUBLE_EQ(s->rain_vol, 3.0 * volume);
    EXPECT_DOUBLE_EQ(s->precip_total, 4.0 * volume);
    EXPECT_EQ(s->rain_steps, 1);
    EXPECT_EQ(s->awaiting_rain, 0);
    EXPECT_EQ(s->rain_start_min, 7.5);

    // Not due, or no rain: nothing happens.
    s->current_time += 10.0 / 86400.0;
    precip_apply_step(*s);
    EXPECT_DOUBLE_EQ(s->ov_depth[1], depth);
}

TEST(RainApply, NegativeRainStopsTheRun)
{
    error_state_clear();
    auto s = raining_grid(2);
    s->rain_rate[2] = -5.0;
    testing::internal::CaptureStdout();
    precip_apply_step(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(error_state.code, err_stop);
    EXPECT_EQ(out,
              "A negative depth has been detected for overland cell 2 after applying rainfall, check your "
              "rainfall input for negative values\n");
    error_state_clear();
}

TEST(Interception, StorageFillsFirstThenAFractionIsHeld)
{
    // Capacity 2 mm, coefficient 0.1, over a 360 s step on 10 m cells.
    // Cell 1 holds nothing and gets 10 mm/h (1 mm): all of it is held.
    // Cell 2 holds 1.5 mm and gets 3 mm: 0.5 mm fills the store, 0.25 mm
    // more is held and 2.25 mm passes.
    // Cell 3 is a channel-lake cell: its rain passes whole.
    const int n = 3;
    dvec cap, coeff, gross, net, held;
    cap.assign(n, 2.0);
    coeff.assign(n, 0.1);
    gross.assign(n, 10.0);
    gross[2] = 30.0;
    net.assign(n, -1.0);
    held.assign(n, 0.0);
    held[2] = 1.5;
    ivec lakes;
    lakes.assign(n, 0);
    lakes[3] = 2;
    double total = 0.0;
    intercept_rain(n, 360.0, cap, coeff, gross, net, held, total, 10.0, interception_season{}, 1, lakes);

    EXPECT_EQ(net[1], 0.0);
    EXPECT_DOUBLE_EQ(held[1], 1.0);
    EXPECT_DOUBLE_EQ(net[2] * 360.0 / 3600.0, 0.9 * 2.5);
    EXPECT_DOUBLE_EQ(held[2], 1.5 + 0.5 + 0.25);
    EXPECT_DOUBLE_EQ(net[2] * 0.1 + (held[2] - 1.5), 3.0); // nothing lost
    EXPECT_EQ(net[3], 10.0);
    EXPECT_EQ(held[3], 0.0);
    EXPECT_DOUBLE_EQ(total, (1.0 + 0.75) * 100.0 / 1000.0);

    // A full store passes (1 - c) of the rain and holds the rest.
    held[1] = 2.0;
    intercept_rain(1, 360.0, cap, coeff, gross, net, held, total, 10.0, interception_season{}, 0, lakes);
    EXPECT_DOUBLE_EQ(net[1], 9.0);
    EXPECT_DOUBLE_EQ(held[1], 2.1);
}

TEST(Interception, SeasonalCanopyFactorsByMonth)
{
    interception_season season;
    season.seasonal_rs = 1;
    season.spring = 3;
    season.summer_start = 6;
    season.summer_end = 8;
    season.fall = 11;
    const double by_month[] = {4, 4, 4, 3, 2, 1, 1, 1, 2, 3, 4, 4};
    for (int m = 1; m <= 12; ++m) {
        season.month = m;
        EXPECT_DOUBLE_EQ(seasonal_canopy_factor(season), by_month[m - 1]) << "month " << m;
    }

    // Without the spring month: the table by latitude.
    season.spring = 0;
    struct row {
        int month;
        double south, north; // below 37 degrees, 37 and above
    };
    for (const row& r :
         {row{1, 4, 4}, row{4, 2.5, 4}, row{5, 1, 3}, row{6, 1, 2}, row{8, 1, 1}, row{10, 2.5, 2.5}}) {
        season.month = r.month;
        season.latitude = 36.9;
        EXPECT_EQ(seasonal_canopy_factor(season), r.south) << "month " << r.month;
        season.latitude = 37.0;
        EXPECT_EQ(seasonal_canopy_factor(season), r.north) << "month " << r.month;
    }
    season.seasonal_rs = 0;
    EXPECT_EQ(seasonal_canopy_factor(season), 1.0);
}
