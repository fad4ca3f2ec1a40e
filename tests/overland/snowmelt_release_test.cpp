// Snowmelt of long-term runs reaches the surface through the melt packets:
// each overland step draws its share of the hour, the water balance closes
// and snow is present while packets hold water.
#include <gtest/gtest.h>

#include "core/error_state.h"
#include "hydromet/snow_services.h"
#include "overland/ade_kernels.h"
#include "overland/overland_fixture.h"
#include "overland/overland_steps.h"

using overland_test::make_plane;
using overland_test::plane_desc;
using overland_test::surface_volume;

TEST(SnowmeltRelease, EachOverlandStepDrawsItsShareOfThePacketsAndTheWaterBalanceCloses)
{
    error_state_clear();
    ade_process_state() = ade_state();
    plane_desc desc;
    desc.cols = 5;
    desc.step = 30.0;
    auto s = make_plane(desc);
    const int n = s->num_cells;
    s->long_term = 1;
    s->surface_active = 1;
    s->snow_swe.assign(n, 0.0);
    s->Melt_Waves.assign(n, 6, 3, 0.0);
    s->snow_retention_kind = 1;
    const double melt = 0.006; // an hour's melt of 6 mm in every cell's packet
    for (int i = 1; i <= n; ++i)
        s->Melt_Waves[i][1][packet_amount] = s->Melt_Waves[i][1][packet_capacity] = melt;
    const double area = desc.dx * desc.dx;
    const double start = s->current_time;
    for (int k = 0; k < 10; ++k) {
        s->current_time = start + k * s->ov_dt_days;
        overland_step(*s);
        ASSERT_FALSE(error_state.raised);
        // Ten steps of 30 s release 10 / 120 of the hour's melt.
        const double left = sum_melt_packets(0, n, s->Melt_Waves, 1, "ALL");
        EXPECT_NEAR(left, n * melt * (1.0 - (k + 1) / 120.0), 1e-9);
        EXPECT_NEAR(surface_volume(*s) + s->outflow_vol - s->ov_cleanup_volume + left * area, n * melt * area,
                    1e-9);
        EXPECT_EQ(s->snow_present, 1); // melt water is still waiting
    }
    EXPECT_GT(surface_volume(*s), 0.0);
    error_state_clear();
}
