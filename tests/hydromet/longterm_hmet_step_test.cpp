// The hourly step: one "evap_out" row per hour with the station
// temperature, the mean PET of the past hour and the mean frozen-ground
// index, and the end of the data (the run ends, or the last event runs on).
#include <gtest/gtest.h>

#include <cstdio>

#include "hydromet/hmet_services.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_fixture.h"
#include "support/test_support.h"

using namespace rain_test;

namespace
{

struct HourlyStep : testing::Test {
    torva_test::scratch_dir dir{"hmet_step"};
    std::unique_ptr<model_state> s = grid(1, 2, 100.0);
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }

    void start(const std::string& records)
    {
        torva_test::write_file(dir.file("w.hmet"), records);
        s->hmet_ktr = s->long_term = 1;
        s->super_quiet = 1;
        file_rec_open(s->hmet_file, dir.file("w.hmet"), "r");
        for (dvec* v : {&s->slope_x, &s->slope_y, &s->pet_rate, &s->et_rate, &s->dist_albedo, &s->dist_veg_height,
                        &s->dist_trans_coeff, &s->dist_canopy_resist, &s->cfgi, &s->soil_moisture, &s->inf_rate,
                        &s->soil_bottom_flux, &s->ground_elev, &s->snow_swe})
            v->assign(2, 0.0);
        s->latitude = 40.0;
        s->hmet_dt_days = 1.0 / 24.0;
        testing::internal::CaptureStdout();
        setup_hmet(*s);
        testing::internal::GetCapturedStdout();
        s->keep_running = 1;
    }
    // The step at each hour; the clock's calendar follows the records.
    std::string hour(int h)
    {
        s->current_time = s->hmet_next = 2451000.5 + h / 24.0;
        s->cur_year = 1998;
        s->cur_month = 6;
        s->cur_day = 1;
        s->cur_hour = h;
        testing::internal::CaptureStdout();
        longterm_hmet_step(*s);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(HourlyStep, RowsCarryStationTemperaturePetAndCfgiThenTheDataEnd)
{
    start("1998 6 1 0 29.92 50 5 10 14 0.0 0.0\n1998 6 1 1 29.92 50 5 10 14 0.0 0.0\n");
    s->inf_richards = 1; // the log is written with Richards infiltration
    s->THETA.assign(3, 2, 0.3);
    file_rec_open(s->evap_log, dir.file("evap_out"), "w");
    hour(0);
    const double pet_h0 = s->pet_rate[1] * 3600.0;
    hour(1);
    EXPECT_EQ(hour(2), "End of meteorology data reached.  TORVA terminated\n");
    EXPECT_EQ(s->keep_running, 0);
    file_rec_close(s->evap_log);
    // -10 F is -23.33 C: the index gains from the 24-hour mean (one and two
    // hours of -23.33 among zeros).
    const double t = (14.0 - 32.0) * 5.0 / 9.0;
    const double cfgi1 = -t / 24.0, cfgi2 = cfgi1 * 0.99875 - 2.0 * t / 24.0;
    char expect[512];
    std::snprintf(expect, sizeof expect,
                  "1998/6/1   0:00 %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf\n"
                  "1998/6/1   1:00 %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf\n",
                  0.3, 0.0, 0.0, 0.0, 0.0, 0.0, t, 0.3, pet_h0, 0.0, 0.0, 0.0, cfgi1, t);
    EXPECT_EQ(torva_test::read_file(dir.file("evap_out")), expect);
    EXPECT_NEAR(s->cfgi[1], cfgi2 * 0.99875 - 2.0 * t / 24.0, 1e-9); // the end hour still updates
}

TEST_F(HourlyStep, DataEndingDuringTheLastEventLetTheEventRunOn)
{
    start("1998 6 1 0 29.92 50 5 10 68 0.0 0.0\n");
    s->event_active = 1;
    s->event_num = s->num_events = 2;
    hour(0);
    EXPECT_EQ(hour(1), ""); // no end message
    EXPECT_EQ(s->hmet_next, -10.0);
    EXPECT_EQ(s->keep_running, 1);
}

TEST_F(HourlyStep, AnAllLakeBasinLogsZerosInsteadOfDividingByNoCells)
{
    start("1998 6 1 0 29.92 50 5 10 68 0.0 0.0\n1998 6 1 1 29.92 50 5 10 68 0.0 0.0\n");
    s->inf_richards = 1;
    s->THETA.assign(3, 2, 0.3);
    s->overland_lake_on = 1;
    s->oland_lake_new.assign(2, 1);
    s->cfgi[1] = s->cfgi[2] = 7.0;
    s->super_quiet = 0;
    file_rec_open(s->evap_log, dir.file("evap_out"), "w");
    hour(0);
    const std::string screen = hour(1);
    file_rec_close(s->evap_log);
    EXPECT_EQ(screen, "1998/6/1  1:00 PET cm/h 0.0000 AET cm/h 0.0000 Infil cm/h 0.0000 Theta  0.00 \n");
    char expect[512];
    std::snprintf(expect, sizeof expect,
                  "1998/6/1   0:00 %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf\n"
                  "1998/6/1   1:00 %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf\n",
                  0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 20.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 20.0);
    EXPECT_EQ(torva_test::read_file(dir.file("evap_out")), expect);
    EXPECT_EQ(s->cfgi[1], 7.0); // lake cells keep their index
}

TEST_F(HourlyStep, LayerMeansUseTheTopLayerOfTheSoilTypeWithLayeredSoil)
{
    // Two cells of 20 cm with 4 cm of water on top and 3 cm below. The last
    // two columns of the row are the top and lower layer means.
    const struct {
        int layered;
        double top_layer; // TOP_LAYER_DEPTH, cm
        double top, low;
    } cases[] = {
        {0, 15.0, 4.0 / 15.0, 3.0 / 5.0},
        {0, 25.0, 4.0 / 20.0, 999.99},          // no cell below the top layer
        {1, 15.0, (0.4 + 0.2) / 2.0, 3.0 / 10.0}, // soil types with top layers of 10 and 30 cm
    };
    for (const auto& c : cases) {
        s = grid(1, 2, 100.0);
        start("1998 6 1 0 29.92 50 5 10 14 0.0 0.0\n");
        s->soil_water_acct = 1;
        s->inf_layered_soil = c.layered;
        s->top_layer_depth = c.top_layer;
        for (dvec* v : {&s->soil_depth, &s->soil_water_top, &s->soil_water_low})
            v->assign(2, 0.0);
        s->soiltype.assign(2, 0);
        for (int k = 1; k <= 2; ++k) {
            s->soil_depth[k] = 20.0;
            s->soil_water_top[k] = 4.0;
            s->soil_water_low[k] = 3.0;
            s->soiltype[k] = k;
        }
        s->soil_layers[1].depth[0] = 10.0;
        s->soil_layers[2].depth[0] = 30.0;
        file_rec_open(s->evap_log, dir.file("evap_out"), "w");
        hour(0);
        file_rec_close(s->evap_log);
        char tail[64];
        std::snprintf(tail, sizeof tail, "%12.6lf   %12.6lf\n", c.top, c.low);
        const std::string row = torva_test::read_file(dir.file("evap_out"));
        ASSERT_GE(row.size(), std::string(tail).size());
        EXPECT_EQ(row.substr(row.size() - std::string(tail).size()), tail) << c.layered << " " << c.top_layer;
    }
}

} // namespace
