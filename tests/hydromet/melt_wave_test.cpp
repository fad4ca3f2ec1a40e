// The melt-wave snowpack: the density cap, frost growing with the square
// root of the cold hours, rain on a bare cell, a full wave table, each
// cell's own pack, and the six packets of SNAP_RETENTION in the snow step.
#include <gtest/gtest.h>

#include <cmath>

#include "hydromet/rain_fixture.h"
#include "hydromet/snow_services.h"

using namespace rain_test;

namespace
{

struct MeltWave : testing::Test {
    std::unique_ptr<model_state> s = grid(1, 2, 10.0);
    void SetUp() override
    {
        error_state_clear();
        s->long_term = 1;
        s->snow_period_s = 3600;
        s->sn_stat.assign(2, 23, 0.0);
        s->wave.assign(2, 51, 5, 0.0);
        for (int i = 1; i <= 2; ++i) {
            s->sn_stat[i][16] = 3.0;
            s->sn_stat[i][10] = 0.67;
        }
    }
    void TearDown() override { error_state_clear(); }
    // A saved pack: depth (cm), density, irreducible fraction, water (cm).
    void pack(int i, double h, double rho, double theta, double swe_cm)
    {
        double* st = s->sn_stat[i];
        st[1] = st[2] = h;
        st[3] = rho;
        st[11] = theta;
        st[12] = swe_cm;
        st[21] = 1.0;
    }
    double wave_volume(int i)
    {
        double v = 0.0;
        for (int j = 1; j <= static_cast<int>(s->sn_stat[i][15]); ++j)
            v += s->wave[i][j][3];
        return v;
    }
};

TEST_F(MeltWave, DensityAboveTheCapIsHeldAtItAndResetsTheLiquidFraction)
{
    pack(1, 10.0, 0.5, 0.05, 10.0); // 10 cm of water in 10 cm of pack
    melt_wave_snowpack(*s, 1, 0.0, 0.0, 0.0);
    const double* st = s->sn_stat[1];
    EXPECT_EQ(st[3], 0.55);
    EXPECT_EQ(st[11], 0.07);
    EXPECT_NEAR(st[12], 0.55 * st[2] / 0.93, 1e-12);
    EXPECT_LT(st[2], 10.0); // compacted
    EXPECT_NEAR(st[10], (1.0 - 0.07) * (1.0 - 0.55), 1e-12);
}

TEST_F(MeltWave, FrostDepthGrowsWithTheSquareRootOfTheColdHours)
{
    pack(1, 30.0, 0.2, 0.05, 6.0);
    for (int hour = 1; hour <= 4; ++hour) {
        const double theta = s->sn_stat[1][11];
        melt_wave_snowpack(*s, 1, 0.0, -5.0, 0.0);
        const double* st = s->sn_stat[1];
        EXPECT_EQ(st[14], hour);
        EXPECT_NEAR(st[9], 5.0, 1e-12); // the mean cold of the layer
        const double r = st[3] * 1000.0;
        const double k = ((1.105e-6 * r * r + 7.775e-5 * r) * 2.267 + 0.023) * 0.01;
        EXPECT_NEAR(st[17], std::sqrt(2.0 * k * 5.0 * 3600.0 * hour / (theta * 333.05)), 1e-9) << hour;
    }
    // A frost depth through the whole pack removes every wave.
    pack(2, 0.5, 0.2, 0.05, 0.1);
    s->sn_stat[2][15] = 1;
    s->sn_stat[2][8] = 3600.0;
    s->wave[2][1][1] = -3600.0;
    s->wave[2][1][2] = 0.5;
    s->wave[2][1][3] = 0.01;
    s->wave[2][1][4] = 1e6;
    s->wave[2][1][5] = -1.0;
    for (int hour = 0; hour < 30 && s->sn_stat[2][15] > 0; ++hour)
        melt_wave_snowpack(*s, 2, 0.0, -20.0, 0.0);
    EXPECT_GE(s->sn_stat[2][17], s->sn_stat[2][2]);
    EXPECT_EQ(s->sn_stat[2][15], 0.0);
}

TEST_F(MeltWave, RainOnABareCellLeavesInTheSameHour)
{
    melt_wave_snowpack(*s, 1, 0.5, 2.0, 3.0);
    EXPECT_NEAR(s->sn_stat[1][19], 0.5 * (1.0 + 2.0 / 80.0), 1e-12);
    EXPECT_EQ(s->sn_stat[1][15], 0.0);
    EXPECT_EQ(s->sn_stat[1][2], 0.0);
}

TEST_F(MeltWave, EachCellRestoresItsOwnPack)
{
    pack(1, 50.0, 0.3, 0.05, 15.0);
    melt_wave_snowpack(*s, 1, 0.0, 1.0, 2.0);
    ASSERT_GT(s->sn_stat[1][2], 40.0);
    // A cell without a pack does not start from cell 1's depth and density.
    melt_wave_snowpack(*s, 2, 0.0, 1.0, 2.0);
    EXPECT_EQ(s->sn_stat[2][2], 0.0);
    const double depth = s->sn_stat[1][2];
    melt_wave_snowpack(*s, 1, 0.0, 1.0, 2.0);
    EXPECT_LT(s->sn_stat[1][2], depth); // cell 1 goes on compacting its own pack
    EXPECT_GT(s->sn_stat[1][2], 0.9 * depth);
}

TEST_F(MeltWave, AFullWaveTableMergesItsTwoOldestWavesKeepingTheWater)
{
    pack(1, 1000.0, 0.3, 0.05, 300.0);
    double* st = s->sn_stat[1];
    st[4] = st[5] = 1000.0; // wet to the base: the input forms a wave
    st[18] = 50.0;
    st[8] = 50 * 3600.0;
    st[15] = 50;
    for (int j = 1; j <= 50; ++j) {
        s->wave[1][j][1] = -j * 3600.0;
        s->wave[1][j][2] = 1000.0;
        s->wave[1][j][3] = 0.01;
        s->wave[1][j][4] = 190000.0 + j - j * 3600.0; // in order, after this hour, before a new wave
        s->wave[1][j][5] = -1.0;
    }
    melt_wave_snowpack(*s, 1, 1.0, 5.0, 2.0); // an hour of rain and melt
    EXPECT_EQ(s->sn_stat[1][15], 50.0);
    EXPECT_EQ(s->sn_stat[1][19], 0.0);
    EXPECT_NEAR(s->wave[1][1][3], 0.02, 1e-15);               // the two oldest as one
    EXPECT_GE(wave_volume(1) + s->sn_stat[1][19], 0.5 + 1.0); // the old waves' water and the rain
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(s->wave[1][51][c], 0.0); // nothing written past the table
}

TEST_F(MeltWave, SixPacketsInTheSnowStepPushTheOldestOntoTheGround)
{
    const int n = 2;
    s->snow_swe.assign(n, 0.0);
    s->snow_scf.assign(n, 1.0);
    s->snow_temp_map.assign(n, 0.0);
    s->ground_elev.assign(n, 0.0);
    s->Melt_Waves.assign(n, 6, 3, 0.0);
    s->snap_retention = 1;
    s->snow_retention_kind = 6;
    s->nwsrfs_snow = 1;
    s->cards.nwsrfs_mf_max_given = s->cards.nwsrfs_mf_min_given = s->cards.nwsrfs_plwhc_given = 1;
    s->cards.nwsrfs_mf_max = s->cards.nwsrfs_mf_min = 1.2;
    s->cards.nwsrfs_plwhc = 0.0;
    read_snow_bands(*s);
    s->hmet_first_date[1] = 4;
    s->hmet_first_date[2] = 1;
    s->hmet_air_temp = 5.0; // 1 mm an hour
    s->snow_swe[1] = 0.1;
    s->snow_swe[2] = 0.0025;
    dvec rain;
    rain.assign(n, 0.0);
    int eb = 0;
    for (int h = 1; h <= 7; ++h)
        snow_melt_step(*s, 3600.0, 1, rain, eb);
    // Cell 1: six hours wait in the packets, the seventh pushed the first out.
    EXPECT_NEAR(s->ov_depth[1], 0.001, 1e-12);
    EXPECT_NEAR(sum_melt_packets(1, n, s->Melt_Waves, 6, "ONE"), 0.006, 1e-12);
    EXPECT_EQ(s->sn_stat[1][19], 0.0);
    EXPECT_EQ(s->sn_stat[1][21], 1.0); // the pack is kept for the next hour
    // Cell 2: its snow went in hour 3 and handed all its packets over then.
    EXPECT_NEAR(s->ov_depth[2], 0.0025, 1e-12);
    EXPECT_EQ(sum_melt_packets(2, n, s->Melt_Waves, 6, "ONE"), 0.0);
}

} // namespace
