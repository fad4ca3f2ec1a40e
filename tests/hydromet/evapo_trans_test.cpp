// Energy-balance evapotranspiration: a night hour's Penman-Monteith PET
// against the balance solved independently, a calm hour, cloud above ten
// tenths, and the same rates on 1 and 4 threads.
#include <gtest/gtest.h>
#include <omp.h>

#include <cmath>

#include "hydromet/et_balance.h"
#include "hydromet/hmet_services.h"
#include "hydromet/rain_fixture.h"

using namespace rain_test;
using et_test::balance_pet;

namespace
{

std::unique_ptr<model_state> basin(int rows, int cols)
{
    auto s = grid(rows, cols, 100.0);
    const int n = s->num_cells;
    for (dvec* v : {&s->slope_x, &s->slope_y, &s->pet_rate, &s->et_rate, &s->dist_albedo, &s->dist_veg_height,
                    &s->dist_trans_coeff, &s->dist_canopy_resist})
        v->assign(n, 0.0);
    for (int i = 1; i <= n; ++i) {
        s->dist_albedo[i] = 0.2;
        s->dist_veg_height[i] = 0.5;
        s->dist_canopy_resist[i] = 100.0;
        s->slope_x[i] = 0.01 * (i % 7);
        s->slope_y[i] = 0.02 * (i % 5);
    }
    s->et_calc_penman = 1;
    s->latitude = 40.0;
    s->cur_year = 1998;
    s->cur_month = 6;
    s->cur_day = 1;
    s->cur_hour = 0; // the sun is below the horizon
    s->hmet_pressure = 1013.25;
    s->hmet_air_temp = 20.0;
    s->hmet_rel_hum = 50.0;
    s->hmet_wind = 3.0;
    s->hmet_cloud = 5.0;
    s->hmet_global_rad = 0.0;
    return s;
}

double night_pet(double p_mb, double t_c, double rh_pct, double u, double cloud_tenths, double h_v)
{
    return balance_pet(p_mb, t_c, rh_pct, u, cloud_tenths, h_v);
}

TEST(EvapoTrans, NightPetMatchesTheBalanceSolvedIndependently)
{
    auto s = basin(2, 2);
    // Several hours of the same record: the ground temperature settles.
    for (int k = 0; k < 3; ++k)
        EXPECT_DOUBLE_EQ(evapo_trans(*s), 20.0);
    const double expect = night_pet(1013.25, 20.0, 50.0, 3.0, 5.0, 0.5);
    ASSERT_GT(expect, 0.0);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_NEAR(s->pet_rate[i], expect, 1e-3 * expect) << i;
        EXPECT_LT(s->et_rate[i], s->pet_rate[i]);
    }
}

// The actual rate of a night hour: the canopy resistance of 100 s/m times
// the hour's factor (4.023803564 at 00:00, 3.818082516 at 22:00) enters
// the Penman-Monteith denominator as gamma (1 + r_s / r_a).
TEST(EvapoTrans, NightAetMatchesTheBalanceSolvedIndependently)
{
    struct hour_case {
        int hour;
        double factor;
    };
    for (const hour_case& c : {hour_case{0, 4.023803564}, hour_case{22, 3.818082516}}) {
        auto s = basin(1, 2);
        s->cur_hour = c.hour;
        for (int k = 0; k < 3; ++k)
            evapo_trans(*s);
        const et_test::balance_rates_cm expect =
            et_test::balance_rates(1013.25, 20.0, 50.0, 3.0, 5.0, 0.5, 0.0, nullptr, c.factor * 100.0);
        ASSERT_GT(expect.aet, 0.0);
        ASSERT_LT(expect.aet, 0.8 * expect.pet);
        for (int i = 1; i <= 2; ++i) {
            EXPECT_NEAR(s->pet_rate[i], expect.pet, 1e-3 * expect.pet) << c.hour << " " << i;
            EXPECT_NEAR(s->et_rate[i], expect.aet, 1e-3 * expect.aet) << c.hour << " " << i;
        }
    }
}

TEST(EvapoTrans, CalmHourGivesEqualRatesAndCloudAboveTenTenthsIsCapped)
{
    auto s = basin(1, 2);
    s->hmet_wind = 0.0;
    s->cur_hour = 12;
    s->hmet_cloud = 10.0;
    evapo_trans(*s);
    const double pet10 = s->pet_rate[1];
    EXPECT_DOUBLE_EQ(s->pet_rate[1], s->et_rate[1]);
    auto c = basin(1, 2);
    c->hmet_wind = 0.0;
    c->cur_hour = 12;
    c->hmet_cloud = 12.0;
    testing::internal::CaptureStdout();
    evapo_trans(*c);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "WARNING: Cloud cover > 1.0 in evapo_trans - possible problem with hmet file \n");
    EXPECT_DOUBLE_EQ(c->pet_rate[1], pet10);
}

TEST(EvapoTrans, ASlopeWithoutXComponentHasAspectZeroAndAFlatCellIsLit)
{
    // Noon of 1 June 1998 at 40 N: the sun stands due south of the hour
    // angle's origin (azimuth 0) at 90 - (40 - declination) degrees.
    auto s = basin(1, 2);
    s->cur_hour = 12;
    s->hmet_global_rad = 100.0;
    s->slope_x[1] = s->slope_y[1] = 0.0; // flat
    s->slope_x[2] = 0.0;                 // aspect 0: faces the sun's azimuth
    s->slope_y[2] = 0.2;
    evapo_trans(*s);
    const double pi = 3.14159265358979323846, rad = pi / 180.0;
    const int n = 152;
    const double decl = 23.45 * std::cos(2 * pi * (172 - n) / 365.0);
    const double alt = 90.0 - (40.0 - decl), sin_h = std::sin(alt * rad), cos_h = std::cos(alt * rad);
    const double m = 1.0 / (0.15 * std::pow(alt + 3.885, -1.253) + sin_h);
    const double am = 0.128 - 0.054 * std::log10(m);
    const double g = 2 * pi * (n - 1) / 365.0;
    const double e0 = 1.00011 + 0.034221 * std::cos(g) + 0.00128 * std::sin(g) + 0.000719 * std::cos(2 * g) +
                      0.000077 * std::sin(2 * g);
    const double clear = 1.0 - (1.0 - (0.18 + 0.0853 * 0.4)) * 0.5;
    auto beam = [&](double cos_theta) { return std::exp(-2 * am * m) * 1353.0 * e0 * cos_theta * clear; };
    const double beta = std::atan(0.2);
    const double short_flat = (100.0 + beam(sin_h)) * 0.8;
    const double short_tilt =
        (std::pow(std::cos(beta / 2), 2) * 100.0 + beam(std::cos(beta) * sin_h + std::sin(beta) * cos_h)) * 0.8;
    const double flat = balance_pet(1013.25, 20.0, 50.0, 3.0, 5.0, 0.5, short_flat);
    const double tilt = balance_pet(1013.25, 20.0, 50.0, 3.0, 5.0, 0.5, short_tilt);
    EXPECT_NEAR(s->pet_rate[1], flat, 1e-3 * flat);
    EXPECT_NEAR(s->pet_rate[2], tilt, 1e-3 * tilt);
    EXPECT_GT(s->pet_rate[2], s->pet_rate[1]); // tilted towards the sun
}

TEST(EvapoTrans, HourlyGridsGiveEveryCellItsOwnWeatherAndTheMeanTemperature)
{
    auto s = basin(1, 3);
    s->hmet_ascii = 1;
    for (dvec* v : {&s->hmet_cell_cloud, &s->hmet_cell_temp, &s->hmet_cell_rel_hum, &s->hmet_cell_pressure,
                    &s->hmet_cell_wind, &s->hmet_cell_global_rad, &s->hmet_cell_direct_rad})
        v->assign(3, 0.0);
    s->cur_hour = 12; // the radiation term is the grid's, sun or not
    const double t[3] = {20.0, 5.0, -9999.0}, rh[3] = {50.0, 80.0, 50.0}, u[3] = {3.0, 1.5, 3.0};
    const double p[3] = {1013.25, 950.0, 1013.25}, cloud[3] = {5.0, 12.0, 5.0}, rs[3] = {200.0, 50.0, 0.0};
    for (int i = 1; i <= 3; ++i) {
        s->hmet_cell_temp[i] = t[i - 1];
        s->hmet_cell_rel_hum[i] = rh[i - 1];
        s->hmet_cell_wind[i] = u[i - 1];
        s->hmet_cell_pressure[i] = p[i - 1];
        s->hmet_cell_cloud[i] = cloud[i - 1];
        s->hmet_cell_global_rad[i] = rs[i - 1];
    }
    s->hmet_air_temp = 12.5; // the reader's mean
    testing::internal::CaptureStdout();
    EXPECT_DOUBLE_EQ(evapo_trans(*s), 12.5); // the cell without data is left out
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(out.find("WARNING: Cloud cover > 1.0 in evapo_trans - possible problem with hmet file \n") !=
                std::string::npos)
        << out;
    for (int i = 1; i <= 2; ++i) {
        const double expect = balance_pet(p[i - 1], t[i - 1], rh[i - 1], u[i - 1], cloud[i - 1], 0.5, 0.0, &rs[i - 1]);
        ASSERT_GT(expect, 0.0);
        EXPECT_NEAR(s->pet_rate[i], expect, 1e-3 * expect) << i;
    }
    // The cell without temperature data has no evapotranspiration, a
    // finite ground temperature and keeps its frozen-ground index.
    EXPECT_EQ(s->pet_rate[3], 0.0);
    EXPECT_EQ(s->et_rate[3], 0.0);
    EXPECT_DOUBLE_EQ(s->ground_temp[3], 12.5 + 273.15);
    s->cfgi.assign(3, 5.0);
    update_cfgi(*s);
    EXPECT_EQ(s->cfgi[3], 5.0);
    EXPECT_EQ(s->cfgi[1], 0.0); // 20 C melts it
}

TEST(EvapoTrans, DayOfYearFollowsTheGregorianLeapRule)
{
    // Noon rates under the same record depend on the date only through the
    // day of the year: 1 March is day 60 in 1900 and 1901 (1900 is not a
    // leap year), day 61 in 2000 like 2 March 2001.
    auto noon_pet = [](int year, int month, int day) {
        auto s = basin(1, 1);
        s->cur_year = year;
        s->cur_month = month;
        s->cur_day = day;
        s->cur_hour = 12;
        evapo_trans(*s);
        return s->pet_rate[1];
    };
    EXPECT_EQ(noon_pet(1900, 3, 1), noon_pet(1901, 3, 1));
    EXPECT_EQ(noon_pet(2000, 3, 1), noon_pet(2001, 3, 2));
    EXPECT_NE(noon_pet(2000, 3, 1), noon_pet(2001, 3, 1));
}

TEST(EvapoTrans, OneAndFourThreadsGiveTheSameRates)
{
    auto one = basin(64, 64);
    auto four = basin(64, 64);
    one->cur_hour = four->cur_hour = 14;
    const int saved = omp_get_max_threads();
    omp_set_num_threads(1);
    evapo_trans(*one);
    omp_set_num_threads(4);
    evapo_trans(*four);
    omp_set_num_threads(saved);
    for (int i = 1; i <= one->num_cells; ++i) {
        ASSERT_EQ(one->pet_rate[i], four->pet_rate[i]) << i;
        ASSERT_EQ(one->et_rate[i], four->et_rate[i]) << i;
    }
}

} // namespace
