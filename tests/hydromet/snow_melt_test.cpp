// Snow melt of long-term runs driven hour by hour on a small state: the
// temperature-index sequence, a cold spell and thaw with the antecedent
// temperature index, heat deficit, refreezing and liquid-water holding, the
// sub-hourly completion of the hour, the energy-balance model, lakes and
// boundaries, and the water balance of snow, packets and surface.
#include <gtest/gtest.h>

#include <cmath>

#include "hydromet/rain_fixture.h"
#include "hydromet/snow_services.h"

using namespace rain_test;

namespace
{

struct SnowMelt : testing::Test {
    std::unique_ptr<model_state> s = grid(1, 3, 10.0);
    dvec rain;
    int eb_melt = 0;
    void SetUp() override
    {
        error_state_clear();
        s->long_term = 1;
        const int n = s->num_cells;
        s->snow_swe.assign(n, 0.0);
        s->snow_scf.assign(n, 1.0);
        s->snow_temp_map.assign(n, 0.0);
        s->ground_elev.assign(n, 0.0);
        s->sn_stat.assign(n, 23, 0.0);
        s->Melt_Waves.assign(n, 6, 3, 0.0);
        s->wave.assign(n, 51, 5, 0.0);
        rain.assign(n, 0.0);
        s->snow_retention_kind = 1;
        s->hmet_first_date[1] = 6; // 21 June
        s->hmet_first_date[2] = 21;
        s->hmet_rel_hum = 50.0;
        s->hmet_pressure = 1000.0;
        s->hmet_wind = 2.0;
    }
    void TearDown() override { error_state_clear(); }
    // NWSRFS snow with equal melt factors mf (mm per deg C per 6 h).
    void temperature_index(double mf, double plwhc)
    {
        s->nwsrfs_snow = 1;
        s->cards.nwsrfs_mf_max_given = s->cards.nwsrfs_mf_min_given = s->cards.nwsrfs_plwhc_given = 1;
        s->cards.nwsrfs_mf_max = s->cards.nwsrfs_mf_min = mf;
        s->cards.nwsrfs_plwhc = plwhc;
        read_snow_bands(*s);
        ASSERT_FALSE(error_state.raised);
    }
    int hour(double temp, double t = 3600.0)
    {
        s->hmet_air_temp = temp;
        return snow_melt_step(*s, t, t >= 3600.0 ? 1 : 0, rain, eb_melt);
    }
    double packets(int i)
    {
        return sum_melt_packets(i, s->num_cells, s->Melt_Waves, s->snow_retention_kind, "ONE");
    }
};

TEST_F(SnowMelt, TemperatureIndexMeltsTimesMfOverSixEachHourUntilThePackIsGone)
{
    temperature_index(1.2, 0.0);
    for (int i = 1; i <= 3; ++i)
        s->snow_swe[i] = 0.0035; // 3.5 mm
    // 5 deg C x 1.2 / 6 = 1 mm an hour: 2.5, 1.5, 0.5 mm left, gone in hour 4.
    const double left[] = {0.0025, 0.0015, 0.0005, 0.0};
    for (int h = 0; h < 4; ++h) {
        EXPECT_EQ(hour(5.0), 1) << h; // snow, or packet water at the call's start
        for (int i = 1; i <= 3; ++i) {
            EXPECT_NEAR(s->snow_swe[i], left[h], 1e-15) << h << " " << i;
            // Initial snow water = snow left + packets + water released.
            EXPECT_NEAR(s->snow_swe[i] + packets(i) + s->ov_depth[i], 0.0035, 1e-15);
        }
        if (h < 3) {
            EXPECT_NEAR(packets(1), 0.001, 1e-15); // the hour's melt waits in the packet
        }
    }
    EXPECT_EQ(packets(1), 0.0); // the last melt reached the ground with the snow gone
    EXPECT_EQ(hour(5.0), 0);
    EXPECT_NEAR(s->ov_depth[2], 0.0035, 1e-15);
}

// Distinct seasonal melt factors, MF_MAX 1.8 and MF_MIN 0.3 mm per deg C per
// 6 h: mf = ((1.8 - 0.3) Sv + 0.3) / 6 per hour, Sv = 0.5 sin(2 Nd pi / 366)
// + 0.5 with the day count Nd from 21 March. 1 May (Nd = 41): Sv =
// 0.82358033, mf = 0.25589508, a 4 deg C hour melts 1.02358033 mm and a
// -6 deg C hour with no antecedent cold adds (1/6) 0.2 (mf / 1.8) 6 =
// 0.02843279 mm of heat deficit. 1 January (Nd = 286): Sv = 0.00971230,
// mf = 0.05242808, 0.20971230 mm melted, deficit 0.00582534 mm.
TEST_F(SnowMelt, SeasonalMeltFactorFollowsTheDayOfTheYear)
{
    s->nwsrfs_snow = 1;
    s->cards.nwsrfs_mf_max_given = s->cards.nwsrfs_mf_min_given = s->cards.nwsrfs_plwhc_given = 1;
    s->cards.nwsrfs_mf_max = 1.8;
    s->cards.nwsrfs_mf_min = 0.3;
    s->cards.nwsrfs_plwhc = 0.0; // no liquid held: the melt leaves the pack
    read_snow_bands(*s);
    ASSERT_FALSE(error_state.raised);
    struct date_case {
        int month, day;
        double melt_mm, deficit_mm;
    };
    const date_case dates[] = {{5, 1, 1.0235803333567337, 0.028432787037687045},
                               {1, 1, 0.20971230241822147, 0.005825341733839485}};
    for (const date_case& d : dates) {
        s->hmet_first_date[1] = d.month;
        s->hmet_first_date[2] = d.day;
        s->snow_swe[1] = 0.1;
        s->snow_heat_deficit[1] = s->snow_temp_map[1] = s->snow_liquid[1] = s->snow_ice[1] = 0.0;
        hour(4.0);
        EXPECT_NEAR(s->snow_swe[1], 0.1 - d.melt_mm / 1000.0, 1e-15) << d.month;
        EXPECT_NEAR(packets(1), d.melt_mm / 1000.0, 1e-15) << d.month;
        hour(-6.0);
        EXPECT_NEAR(s->snow_heat_deficit[1], d.deficit_mm, 1e-15) << d.month;
    }
}

TEST_F(SnowMelt, ColdSpellAndThawFollowTheHandComputedIndexDeficitAndLiquidWater)
{
    temperature_index(1.2, 0.05);
    s->snow_swe[1] = 0.1; // 100 mm
    // Hand computation: ATI' = ATI + (1 - 0.8^(1/6)) (T - ATI); deficit gain
    // 1/6 x 0.2 x (0.2 / 1.2) x (min(ATI, 0) - T); a thaw hour's 0.6 mm first
    // refreezes the deficit, then is held up to 5 % of the frozen part,
    // which loses the held water each hour.
    struct {
        double temp, ati, deficit, liquid, ice, out_mm;
    } hours[] = {
        {-6, -0.2190450960060233, 0.033333333333333326, 0, 95.0, 0},
        {-6, -0.43009339966466525, 0.06544974946663319, 0, 95.0, 0},
        {3, -0.43009339966466525, 0, 0.5345502505333669, 94.53089949893327, 0},
        {3, -0.43009339966466525, 0, 1.1345502505333669, 93.3963492483999, 0},
        {3, -0.43009339966466525, 0, 1.734550250533367, 91.66179899786653, 0},
        {3, -0.43009339966466525, 0, 2.334550250533367, 89.32724874733316, 0},
        {3, -0.43009339966466525, 0, 2.934550250533367, 86.3926984967998, 0},
        {3, -0.43009339966466525, 0, 3.5345502505333672, 82.85814824626642, 0},
        {3, -0.43009339966466525, 0, 4.134550250533367, 78.72359799573306, 0},
        {3, -0.43009339966466525, 0, 3.9361798997866533, 73.9890477451997, 0.7983703507467137},
        {3, -0.43009339966466525, 0, 3.699452387259985, 69.45286784541305, 0.836727512526668},
    };
    double swe = 0.1;
    for (const auto& h : hours) {
        hour(h.temp);
        swe -= h.out_mm / 1000.0;
        EXPECT_NEAR(s->snow_temp_map[1], h.ati, 1e-12);
        EXPECT_NEAR(s->snow_heat_deficit[1], h.deficit, 1e-12);
        EXPECT_NEAR(s->snow_liquid[1], h.liquid, 1e-12);
        EXPECT_NEAR(s->snow_ice[1], h.ice, 1e-9);
        EXPECT_NEAR(s->snow_swe[1], swe, 1e-12);
        EXPECT_NEAR(packets(1), h.out_mm / 1000.0, 1e-12);
    }
}

TEST_F(SnowMelt, BelowFreezingNoWaterLeavesAnyPackInAnyModel)
{
    for (int model = 0; model < 3; ++model) {
        SetUp();
        s->hmet_rel_hum = 100.0; // a wet, windy hour gives the pack energy
        s->hmet_wind = 10.0;
        s->eb_snow = model == 0;
        if (model == 1)
            temperature_index(1.2, 0.05);
        else
            read_snow_bands(*s);
        s->snow_swe[1] = 0.05;
        if (s->snow_liquid.size() > 0)
            s->snow_liquid[1] = 2.4; // water already held
        for (int h = 0; h < 3; ++h)
            hour(-0.5);
        EXPECT_EQ(s->snow_swe[1], 0.05) << model;
        EXPECT_EQ(s->ov_depth[1], 0.0) << model;
        EXPECT_EQ(packets(1), 0.0) << model;
    }
}

TEST_F(SnowMelt, SubHourlyCallsCompleteTheHourAtTheThirdCall)
{
    temperature_index(1.2, 0.0);
    s->snow_swe[1] = 0.01;
    testing::internal::CaptureStdout();
    hour(5.0, 1200.0);
    hour(5.0, 1200.0);
    EXPECT_EQ(s->snow_swe[1], 0.01); // no melt before the hour is complete
    hour(5.0, 1200.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_NEAR(s->snow_swe[1], 0.009, 1e-15);
    EXPECT_EQ(s->snow_period_hours[1], 0.0);

    // 25 minutes pass the hour at the third call: the two lines, then the melt.
    testing::internal::CaptureStdout();
    hour(5.0, 1500.0);
    hour(5.0, 1500.0);
    EXPECT_NEAR(s->snow_swe[1], 0.009, 1e-15);
    hour(5.0, 1500.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nTime Step Became Greater Than 1 hour in Snow Melt\nChanging dtp to 1.0 hour \n");
    EXPECT_NEAR(s->snow_swe[1], 0.008, 1e-15);
}

TEST_F(SnowMelt, EnergyBalanceWithBothCardsMeltsAtEveryCallStraightOntoTheGround)
{
    s->eb_snow = s->nwsrfs_snow = 1;
    read_snow_bands(*s);
    s->snow_swe[1] = 0.05;
    const double t = 600.0, temp = 4.0;
    s->hmet_air_temp = temp;
    const int present = snow_melt_step(*s, t, 0, rain, eb_melt);
    const double e_sat = 2.749e8 * std::exp(-4278.6 / (temp + 242.8));
    const double d = 2.0 * 2e-4 * 3.6;
    const double q = 4.956e-9 * std::pow(temp + 273.15, 4) - 27.0 + 600.0 * d * (0.5 * e_sat - 6.11) +
                     600.0 * d * 0.00061 * 1000.0 * temp;
    const double melt = q / 80.0 * t / 360000.0;
    ASSERT_GT(melt, 0.0);
    EXPECT_NEAR(s->ov_depth[1], melt, 1e-15);
    EXPECT_NEAR(s->snow_swe[1], 0.05 - melt, 1e-15);
    EXPECT_EQ(packets(1), 0.0);
    EXPECT_EQ(eb_melt, 1);
    EXPECT_EQ(present, 1);
}

// With hourly grids each cell melts by its own wind, humidity and pressure,
// not the station's; a cell the grids leave without weather keeps its pack.
TEST_F(SnowMelt, EnergyBalanceTakesEachCellsGridWeather)
{
    s->eb_snow = 1;
    read_snow_bands(*s);
    const int n = s->num_cells;
    s->hmet_ascii = 1;
    s->hmet_wind = 0.0; // the station's values must not be used
    s->hmet_rel_hum = 0.0;
    s->hmet_pressure = 0.0;
    for (dvec* v : {&s->hmet_cell_temp, &s->hmet_cell_wind, &s->hmet_cell_rel_hum, &s->hmet_cell_pressure,
                    &s->hmet_cell_cloud, &s->hmet_cell_global_rad})
        v->assign(n, 0.0);
    const double temp = 4.0, t = 600.0;
    const double wind[] = {0.0, 2.0, 6.0, 2.0};
    for (int i = 1; i <= n; ++i) {
        s->snow_swe[i] = 0.05;
        s->hmet_cell_temp[i] = temp;
        s->hmet_cell_wind[i] = wind[i];
        s->hmet_cell_rel_hum[i] = 50.0;
        s->hmet_cell_pressure[i] = 1000.0;
    }
    s->hmet_cell_temp[3] = -9999.0; // no weather for cell 3 this hour
    snow_melt_step(*s, t, 0, rain, eb_melt);
    const double e_sat = 2.749e8 * std::exp(-4278.6 / (temp + 242.8));
    for (int i = 1; i <= 2; ++i) {
        const double d = wind[i] * 2e-4 * 3.6;
        const double q = 4.956e-9 * std::pow(temp + 273.15, 4) - 27.0 + 600.0 * d * (0.5 * e_sat - 6.11) +
                         600.0 * d * 0.00061 * 1000.0 * temp;
        EXPECT_NEAR(s->snow_swe[i], 0.05 - q / 80.0 * t / 360000.0, 1e-15) << "cell " << i;
    }
    EXPECT_LT(s->snow_swe[2], s->snow_swe[1]);
    EXPECT_EQ(s->snow_swe[3], 0.05);
    EXPECT_EQ(s->ov_depth[3], 0.0);
}

TEST_F(SnowMelt, LakeAndHeadBoundaryCellsKeepTheirSnow)
{
    temperature_index(1.2, 0.0);
    s->chan_lakes = 1;
    s->lake_mask.assign(3, 0);
    s->lake_mask[1] = 1;
    s->ov_boundary = 1;
    s->boundary_type.assign(3, 0);
    s->boundary_type[2] = 3;
    for (int i = 1; i <= 3; ++i)
        s->snow_swe[i] = 0.01;
    hour(5.0);
    EXPECT_EQ(s->snow_swe[1], 0.01);
    EXPECT_EQ(s->snow_swe[2], 0.01);
    EXPECT_NEAR(s->snow_swe[3], 0.009, 1e-15);
}

TEST_F(SnowMelt, ABadRecordMonthStopsTheRun)
{
    temperature_index(1.2, 0.0);
    s->snow_swe[1] = 0.01;
    s->hmet_first_date[1] = 13;
    testing::internal::CaptureStdout();
    hour(5.0);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(error_state.raised);
    EXPECT_EQ(s->snow_swe[1], 0.01);
}

} // namespace
