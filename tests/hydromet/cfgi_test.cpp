// The frozen-ground index: the hourly gain under cold air, the damping by
// snow, the frozen value under snow with SNOW_NO_INFILTRATE, lakes left
// alone, and the lapse rate from the reader's reference elevation.
#include <gtest/gtest.h>

#include <cmath>

#include "hydromet/hmet_services.h"
#include "hydromet/rain_fixture.h"

using namespace rain_test;

namespace
{

std::unique_ptr<model_state> cold_basin(double temp)
{
    auto s = grid(1, 3, 100.0);
    s->cfgi.assign(3, 0.0);
    s->snow_swe.assign(3, 0.0);
    s->ground_elev.assign(3, 0.0);
    for (double& v : s->orog_hourly[0])
        v = temp; // the 24-hour table is full
    return s;
}

TEST(Cfgi, BareCellGainsTheColdLessTheDecayAndSnowDampsIt)
{
    auto s = cold_basin(-10.0);
    s->snow_swe[2] = 0.10; // 10 cm of water
    s->chan_lakes = 1;
    s->lake_mask.assign(3, 0);
    s->lake_mask[3] = 1;
    s->cfgi[3] = 42.0;
    update_cfgi(*s);
    EXPECT_DOUBLE_EQ(s->cfgi[1], 10.0);
    EXPECT_NEAR(s->cfgi[2], 10.0 * std::exp(-0.32), 1e-12);
    EXPECT_DOUBLE_EQ(s->cfgi[3], 42.0);
    update_cfgi(*s);
    EXPECT_DOUBLE_EQ(s->cfgi[1], 10.0 * 0.99875 + 10.0);

    // Warm air: the index decays to 0 and stays there.
    for (double& v : s->orog_hourly[0])
        v = 10.0;
    update_cfgi(*s);
    update_cfgi(*s);
    EXPECT_DOUBLE_EQ(s->cfgi[1], 0.0);
}

TEST(Cfgi, SnowCellReads86WithSnowNoInfiltrate)
{
    auto s = cold_basin(5.0);
    s->snow_no_infiltrate = 1;
    s->snow_swe[1] = 0.001;
    update_cfgi(*s);
    EXPECT_DOUBLE_EQ(s->cfgi[1], 86.0);
    EXPECT_DOUBLE_EQ(s->cfgi[2], 0.0);
}

TEST(Cfgi, LapseRateUsesTheGaugeElevationOfTheReader)
{
    auto s = cold_basin(-10.0);
    s->orogvar_hmet = 1;
    s->hmet_elev_gage = 1000.0;
    s->hmet_lapse_rate = 5.0;
    s->ground_elev[1] = 1000.0; // at the gauge: the station temperature
    s->ground_elev[2] = 0.0;    // 1000 m lower: 5 degrees colder
    update_cfgi(*s);
    EXPECT_DOUBLE_EQ(s->cfgi[1], 10.0);
    EXPECT_DOUBLE_EQ(s->cfgi[2], 15.0);
}

} // namespace
