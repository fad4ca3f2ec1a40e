// Energy-balance evapotranspiration: a night hour's Penman-Monteith PET
// against the balance solved independently, a calm hour, cloud above ten
// tenths, and the same rates on 1 and 4 threads.
#include <gtest/gtest.h>
#include <omp.h>

#include <cmath>

#include "hydromet/hmet_services.h"
#include "hydromet/rain_fixture.h"

using namespace rain_test;

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

// The night balance and Penman-Monteith PET, solved by bisection (cm/s).
double night_pet(double p_mb, double t_c, double rh_pct, double u, double cloud_tenths, double h_v)
{
    const double sigma = 5.67e-8, lambda = 2500.36, cp = 1.013, ct = 0.0025;
    const double pk = p_mb * 0.1, tk = t_c + 273.15, c = cloud_tenths / 10.0;
    auto es = [](double tc) { return 0.6108 * std::exp(17.27 * tc / (tc + 237.3)); };
    const double ea = es(t_c) * rh_pct / 100.0;
    const double eps = (0.74 + 0.0049 * ea) * (1 + 0.17 * c * c);
    const double rho = 3.486 * pk / (t_c + 275.0);
    const double qa = 0.622 * ea / (pk - 0.378 * ea);
    auto balance = [&](double tg, double& h, double& r) {
        const double eg = es(tg - 273.15);
        const double qg = 0.622 * eg / (pk - 0.378 * eg);
        const double e = qg > qa ? rho * ct * u * (qg - qa) : 0.0;
        h = rho * cp * ct * u * (tg - tk);
        r = -(eps * sigma * std::pow(tk, 4) - sigma * std::pow(tg, 4)) / 1000.0;
        return lambda * e + h * 4.0 / 3.0 + r;
    };
    double lo = tk - 40, hi = tk + 40, h = 0, r = 0;
    for (int k = 0; k < 200; ++k) {
        const double mid = 0.5 * (lo + hi);
        (balance(mid, h, r) > 0 ? hi : lo) = mid;
    }
    const double tg = 0.5 * (lo + hi);
    balance(tg, h, r);
    const double d = es(tg - 273.15) - ea;
    const double delta = 4098 * es(t_c) / std::pow(t_c + 237.3, 2);
    const double gamma = cp / 0.622 * pk / lambda;
    const double zd = h_v + 2 - 0.67 * h_v;
    const double ra = std::log(zd / (0.0123 * h_v)) * std::log(zd / (0.123 * h_v)) / (0.41 * 0.41 * u);
    return (delta * (-r - h / 3) + rho * cp * d / ra) / (delta + gamma) / (lambda * 1000) * 100;
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
