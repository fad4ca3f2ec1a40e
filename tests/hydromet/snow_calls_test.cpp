// The calls of the snow model: rain at or below the snowfall threshold
// builds the pack and the rain step runs the sub-hourly snow call; the
// hourly step melts hour by hour between rains, wakes a dry watershed on
// energy-balance melt and clears the idle rain-on-snow state.
#include <gtest/gtest.h>

#include "hydromet/hmet_services.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_fixture.h"
#include "hydromet/snow_services.h"
#include "support/test_support.h"

using namespace rain_test;

namespace
{

void snow_arrays(model_state& s)
{
    const int n = s.num_cells;
    s.long_term = 1;
    for (dvec* v : {&s.snow_swe, &s.snow_temp_map, &s.ground_elev, &s.snow_hour_rain})
        v->assign(n, 0.0);
    s.snow_scf.assign(n, 1.0);
    s.sn_stat.assign(n, 23, 0.0);
    s.Melt_Waves.assign(n, 6, 3, 0.0);
    s.wave.assign(n, 51, 5, 0.0);
    s.HSNOW.assign(n, 8, 0.0);
    s.St_Event.assign(n, 0);
    s.snow_retention_kind = 1;
}

} // namespace

TEST(SnowCalls, RainAtTheThresholdFallsAsSnowAndStartsTheHour)
{
    error_state_clear();
    auto s = grid(1, 2, 30.0);
    snow_arrays(*s);
    s->nwsrfs_snow = 1;
    read_snow_bands(*s);
    s->snow_scf[1] = s->snow_scf[2] = 1.2;
    s->hmet_first_date[1] = 1;
    s->hmet_first_date[2] = 15;
    s->hmet_air_temp = 0.0; // at the threshold of 0 deg C
    s->rain_state = 1;
    s->current_time = 2451545.0;
    s->ov_next = s->current_time;
    s->ov_last = s->current_time - 600.0 / 86400.0;
    s->rain_rate[1] = s->rain_rate[2] = 6.0; // 1 mm in 10 minutes
    precip_apply_step(*s);
    ASSERT_FALSE(error_state.raised);
    EXPECT_NEAR(s->snow_swe[1], 1.2 * 0.001, 1e-9);
    EXPECT_EQ(s->ov_depth[1], 0.0);
    EXPECT_NEAR(s->rain_vol, 2 * 0.001 * 900.0, 1e-9); // the rain totals count it as rain
    EXPECT_EQ(s->snow_present, 1);
    EXPECT_NEAR(s->snow_period_hours[1], 1.0 / 6.0, 1e-6); // the snow call counted its time

    // Above the threshold the rain reaches the ground.
    s->hmet_air_temp = 0.5;
    s->ov_next = s->current_time;
    precip_apply_step(*s);
    EXPECT_NEAR(s->ov_depth[2], 0.001, 1e-9);
    EXPECT_NEAR(s->snow_swe[2], 1.2 * 0.001, 1e-9);
    error_state_clear();
}

struct HourlySnow : testing::Test {
    torva_test::scratch_dir dir{"hourly_snow"};
    std::unique_ptr<model_state> s = grid(1, 2, 100.0);
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }
    // Weather hours at temp_f deg F, then the hourly step's arrays.
    void start(int hours, int temp_f)
    {
        std::string records;
        for (int h = 0; h < hours; ++h)
            records +=
                "1998 6 1 " + std::to_string(h) + " 29.92 50 5 10 " + std::to_string(temp_f) + " 0.0 0.0\n";
        torva_test::write_file(dir.file("w.hmet"), records);
        s->hmet_ktr = 1;
        s->super_quiet = 1;
        snow_arrays(*s);
        file_rec_open(s->hmet_file, dir.file("w.hmet"), "r");
        for (dvec* v : {&s->slope_x, &s->slope_y, &s->pet_rate, &s->et_rate, &s->dist_albedo,
                        &s->dist_veg_height, &s->dist_trans_coeff, &s->dist_canopy_resist, &s->cfgi,
                        &s->soil_moisture, &s->inf_rate, &s->soil_bottom_flux})
            v->assign(2, 0.0);
        s->latitude = 40.0;
        s->hmet_dt_days = 1.0 / 24.0;
        s->dt_days = 30.0 / 86400.0;
        s->timestep_base = 30.0;
        testing::internal::CaptureStdout();
        setup_hmet(*s);
        testing::internal::GetCapturedStdout();
        s->keep_running = 1;
    }
    void hour(int h)
    {
        s->current_time = s->hmet_next = 2451000.5 + h / 24.0;
        if (h == 0)
            s->hmet_last = s->current_time - 1.0 / 24.0;
        testing::internal::CaptureStdout();
        longterm_hmet_step(*s);
        testing::internal::GetCapturedStdout();
    }
};

TEST_F(HourlySnow, TemperatureIndexPackLosesTmfOverSixEveryHourFromTheFirstStep)
{
    start(6, 41); // 5 deg C
    s->nwsrfs_snow = 1;
    s->cards.nwsrfs_mf_max_given = s->cards.nwsrfs_mf_min_given = s->cards.nwsrfs_plwhc_given = 1;
    s->cards.nwsrfs_mf_max = s->cards.nwsrfs_mf_min = 1.2;
    s->cards.nwsrfs_plwhc = 0.0;
    read_snow_bands(*s);
    s->snow_swe[1] = s->snow_swe[2] = 0.0025;
    s->snow_present = 1;
    const double left[] = {0.0015, 0.0005, 0.0};
    for (int h = 0; h < 3; ++h) {
        hour(h);
        for (int i = 1; i <= 2; ++i) {
            EXPECT_NEAR(s->snow_swe[i], left[h], 1e-12) << h;
            const double packets = sum_melt_packets(i, 2, s->Melt_Waves, 1, "ONE");
            EXPECT_NEAR(s->snow_swe[i] + packets + s->ov_depth[i], 0.0025, 1e-12);
        }
    }
    EXPECT_NEAR(s->ov_depth[1], 0.0025, 1e-12); // the last hour handed the packet over
    hour(3);
    EXPECT_EQ(s->snow_present, 0);
}

TEST_F(HourlySnow, EnergyBalanceMeltWakesADryWatershed)
{
    start(2, 50); // 10 deg C
    s->eb_snow = 1;
    read_snow_bands(*s);
    s->snow_swe[1] = 0.05;
    s->snow_present = 1;
    s->surface_active = 0;
    s->ov_next = s->inf_next = 2451100.0; // parked on a later event
    hour(0);
    EXPECT_GT(s->ov_depth[1], 0.0);
    EXPECT_EQ(s->snow_eb_melt, 1);
    EXPECT_EQ(s->surface_active, 1);
    EXPECT_NEAR(s->ov_next, s->current_time + 30.0 / 86400.0, 1e-12);
    EXPECT_NEAR(s->inf_last, s->current_time, 1e-12);
    EXPECT_EQ(s->ov_dt, 30.0);
    EXPECT_EQ(s->hmet_snow_call, 0);
}

TEST_F(HourlySnow, MeltWakingTheWatershedStartsRedistributionFromTheAccountingColumn)
{
    start(2, 50);
    s->eb_snow = 1;
    read_snow_bands(*s);
    s->snow_swe[1] = s->snow_swe[2] = 0.05;
    s->snow_present = 1;
    s->surface_active = 0;
    s->soil_water_acct = s->inf_redist = 1;
    s->redist_active = 0;
    s->top_layer_depth = 20.0; // cm
    for (ivec* v : {&s->iter_pond_1, &s->iter_n, &s->no_wat_prof, &s->iter_i_less_k})
        v->assign(2, 3);
    for (dvec* v : {&s->redist_aux, &s->event_inf_depth, &s->inf_depth_mark, &s->redist_theta_1,
                    &s->redist_theta_2, &s->dist_init_moisture})
        v->assign(2, 0.3);
    s->dist_porosity.assign(2, 0.45);
    s->dist_resid_sat.assign(2, 0.05);
    s->soil_depth.assign(2, 100.0);
    s->soil_water_top.assign(2, 5.0);
    s->soil_water_top[2] = 0.5; // 0.025, below the residual content
    s->soil_water_low.assign(2, 0.0);
    s->unsat_down_flux.assign(2, 2.0);
    s->direct_evap.assign(2, 1.0);
    s->current_time = s->hmet_next = 2451000.5;
    s->hmet_last = s->current_time - 1.0 / 24.0;
    testing::internal::CaptureStdout();
    longterm_hmet_step(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(s->surface_active, 1);
    EXPECT_EQ(s->redist_active, 1);
    const double theta[] = {0.25, 0.06};
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(s->iter_pond_1[i] + s->iter_n[i] + s->no_wat_prof[i] + s->iter_i_less_k[i], 0) << i;
        EXPECT_EQ(s->redist_aux[i] + s->event_inf_depth[i] + s->inf_depth_mark[i], 0.0) << i;
        EXPECT_NEAR(s->dist_init_moisture[i], theta[i - 1], 1e-12) << i;
        EXPECT_EQ(s->redist_theta_1[i], s->dist_init_moisture[i]);
        EXPECT_EQ(s->redist_theta_2[i], s->dist_init_moisture[i]);
        EXPECT_EQ(s->unsat_down_flux[i], 2.0); // the restart moves no downward flux
        EXPECT_EQ(s->direct_evap[i], 0.0);
    }
    EXPECT_NEAR(s->direct_evap_total, 2 * 1.0 / 100.0 * 100.0 * 100.0, 1e-9);
    EXPECT_NE(out.find("cell: 2  thi: 0.025000  thr: 0.050000   phi: 0.450000\n"
                       "Problem initializing inf_redist in main loop, thi<thr at grid cell 2, increasing it to "
                       "0.060000\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("cell: 1 "), std::string::npos) << out;
}

TEST_F(HourlySnow, MeltWakingTheWatershedStartsTheLayeredSoilFromTheAccountingColumn)
{
    start(2, 50);
    s->eb_snow = 1;
    read_snow_bands(*s);
    s->snow_swe[1] = s->snow_swe[2] = 0.05;
    s->snow_present = 1;
    s->surface_active = 0;
    s->soil_water_acct = s->inf_layered_soil = 1;
    s->THETA_ML.assign(2, 4, 0.0);
    s->soiltype.assign(2, 0);
    s->soiltype[1] = 1;
    s->soiltype[2] = 2;
    // Type 1: 10, 20 and 30 cm; type 2: 5, 40 and 10 cm.
    const double depth[2][3] = {{10.0, 20.0, 30.0}, {5.0, 40.0, 10.0}};
    const double sat[2][3] = {{0.45, 0.40, 0.35}, {0.50, 0.42, 0.38}};
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k) {
            s->soil_layers[t + 1].depth[k] = depth[t][k];
            s->soil_layers[t + 1].porosity[k] = sat[t][k];
            s->soil_layers[t + 1].residual_sat[k] = 0.05;
        }
    // Cell 1 reaches below both upper layers and holds more than its first
    // layer can (kept at saturation); cell 2 ends inside its second layer.
    s->soil_depth.assign(2, 0.0);
    s->soil_water_top.assign(2, 0.0);
    s->soil_water_low.assign(2, 0.0);
    s->soil_depth[1] = 50.0;
    s->soil_water_top[1] = 5.0;
    s->soil_water_low[1] = 5.0;
    s->soil_depth[2] = 25.0;
    s->soil_water_top[2] = 2.0;
    s->soil_water_low[2] = 4.0;
    s->direct_evap.assign(2, 1.0);
    hour(0);
    ASSERT_EQ(s->surface_active, 1);
    const double theta[2][3] = {{0.45, 0.25, 0.25}, {0.40, 0.20, 0.38}};
    for (int i = 1; i <= 2; ++i) {
        for (int k = 1; k <= 3; ++k)
            EXPECT_NEAR(s->THETA_ML[i][k], theta[i - 1][k - 1], 1e-12) << i << " " << k;
        EXPECT_EQ(s->direct_evap[i], 0.0);
    }
    EXPECT_NEAR(s->direct_evap_total, 2 * 1.0 / 100.0 * 100.0 * 100.0, 1e-9);
    EXPECT_EQ(s->top_layer_depth, 5.0); // the last cell's soil type
    EXPECT_EQ(s->soil_moist_depth, 45.0);
}

TEST_F(HourlySnow, MeltWakingTheWatershedStartsThePipeNetworkOnlyWithSurfaceInlets)
{
    // Node inlet types of one superlink of three nodes; 888 and 999 are
    // outlets, not inlets.
    const struct {
        int types[3];
        int started;
    } cases[] = {{{0, 0, 888}, 0}, {{0, 2, 999}, 1}};
    for (const auto& c : cases) {
        s = grid(1, 2, 100.0);
        start(2, 50);
        s->eb_snow = 1;
        read_snow_bands(*s);
        s->snow_swe[1] = 0.05;
        s->snow_present = 1;
        s->surface_active = 0;
        s->storm_sewer = 1;
        s->num_slink = 1;
        s->superlink_cnodes.assign(1, 2);
        s->inlet_type.assign(1, 4, 0);
        for (int k = 1; k <= 3; ++k)
            s->inlet_type[1][k] = c.types[k - 1];
        s->superlink_next_time = s->superlink_last_time = 2451100.0; // parked on a later event
        hour(0);
        ASSERT_EQ(s->surface_active, 1);
        EXPECT_EQ(s->gw_surface_flag, c.started) << c.types[1];
        if (c.started) {
            EXPECT_NEAR(s->superlink_next_time, s->current_time + 30.0 / 86400.0, 1e-12);
            EXPECT_EQ(s->superlink_last_time, s->current_time);
        } else {
            EXPECT_EQ(s->superlink_next_time, 2451100.0);
        }
    }
}

TEST_F(HourlySnow, NoRainAndNoSnowClearTheRainOnSnowState)
{
    start(2, 50);
    s->nwsrfs_snow = 1;
    read_snow_bands(*s);
    s->snow_present = 0;
    s->rain_state = 0;
    s->HSNOW[1][3] = s->HSNOW[2][3] = 1.0;
    s->St_Event[2] = 4;
    s->snow_hour_rain[2] = 0.5;
    hour(0);
    EXPECT_EQ(s->HSNOW[1][3], 0.0);
    EXPECT_EQ(s->HSNOW[2][3], 0.0);
    EXPECT_EQ(s->St_Event[2], 0);
    EXPECT_EQ(s->snow_hour_rain[2], 0.0);
}

TEST(SnowCalls, EventStorageCountsSnowOutsideChannelLakesAndEveryPacket)
{
    auto s = grid(1, 2, 10.0);
    snow_arrays(*s);
    s->snow_swe[1] = 0.01;
    s->snow_swe[2] = 0.02; // under a channel lake
    s->chan_lakes = 1;
    s->lake_mask.assign(2, 0);
    s->lake_mask[2] = 1;
    s->Melt_Waves[2][1][packet_amount] = s->Melt_Waves[2][1][packet_capacity] = 0.001;
    EXPECT_NEAR(snow_water_volume(*s), (0.01 + 0.001) * 100.0, 1e-12);
}
