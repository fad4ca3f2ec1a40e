// The nutrient module during the run, on a state loaded through the input
// hub: un-ionised ammonia against the ammonia equilibrium, the smallest
// molar amounts, the nitrogen and phosphorus totals, the soil-to-water
// transfer and the outlet series rows.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/model_state.h"
#include "input/input_fixture.h"
#include "output/output_steps.h"
#include "quality/qbn_steps.h"
#include "support/golden_compare.h"

using namespace torva_test;

namespace
{

struct QbnRun : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        grid("soils.idx", "0 1 1 0\n1 1 1 1\n1 1 1 0\n");
        grid("k.map", "0 3.6 3.6 0\n3.6 3.6 3.6 3.6\n3.6 3.6 3.6 0\n");
        grid("por.map", "0 0.4 0.4 0\n0.4 0.4 0.4 0.4\n0.4 0.4 0.4 0\n");
        file("env.dat", "AQUATIC_ENV_QBN10\nOV_MAP soils.idx\nST_MAP st.idx\nNUM_IDS 1\nID\n1\nDEFAULT\n");
        file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx Soils\nQBN_SOIL_N Soils\nNUM_IDS 1\nID\n" +
                          mapping_row(1, "1 2 3 4 5"));
    }
    bool load_qbn(const std::string& extra)
    {
        return load(cards_with("NUTRIENTS\nAQ_ENV env.dat\nMAPPING_TABLE t.cmt\nWATER_TEMP 20\n" + extra));
    }
};

// NH3 / NH4+ in moles from the equilibrium pKa = 0.09018 + 2729.92 / T.
double equilibrium_ratio(double ph, double celsius)
{
    return std::pow(10.0, ph - (0.09018 + 2729.92 / (celsius + 273.15)));
}

} // namespace

TEST_F(QbnRun, AmmoniaFollowsTheEquilibriumAboveTheSmallestAmounts)
{
    ASSERT_TRUE(load_qbn("")) << out;
    qbn_overland& o = s->qbn_object->overland;
    const int cell = 4;
    s->ov_depth[cell] = 0.01; // 1 m3 over 100 m2
    o.species[2].mass[cell] = 2.0;
    for (double t : {5.0, 20.0, 30.0})
        for (double ph : {6.5, 7.5, 8.5}) {
            o.ka = qbn_ammonia_ka(t);
            o.h_ion = std::pow(10.0, -ph);
            qbn_overland_nh3(o);
            const double expected = 2.0 / 18.039 * equilibrium_ratio(ph, t) * 17.031;
            EXPECT_NEAR(o.nh3[cell], expected, 1e-9 * expected) << t << " deg C, pH " << ph;
        }
    // 5e-8 mol of NH4 per m3 is below the smallest amount of an overland
    // cell or a lake (1e-7) but not of a channel node (1e-8).
    o.species[2].mass[cell] = 5e-8 * 18.039;
    qbn_overland_nh3(o);
    EXPECT_EQ(o.nh3[cell], 0.0);
    EXPECT_GT(qbn_nh3_mass(5e-8 * 18.039, 1.0, o.ka, o.h_ion, 1e-8), 0.0);
    EXPECT_EQ(qbn_nh3_mass(1.0, 0.99e-4, o.ka, o.h_ion, 1e-8), 0.0) << "below 1e-4 m3 of water";
}

TEST_F(QbnRun, TotalsAreTheSumsOfTheirSpecies)
{
    ASSERT_TRUE(load_qbn("CHAN_PH 8\n")) << out;
    qbn_overland& o = s->qbn_object->overland;
    for (int j = 1; j <= 9; ++j) {
        s->ov_depth[j] = j == 3 ? 0.0 : 0.05; // cell 3 is dry
        for (int k = 0; k < qbn_constituent_count; ++k)
            o.species[k].mass[j] = k + 1.0;
    }
    qbn_overland_nh3(o);
    const checked_array<double>& n = qbn_overland_total_n(o);
    const checked_array<double>& p = qbn_overland_total_p(o);
    EXPECT_EQ(o.nh3[3], 0.0);
    EXPECT_DOUBLE_EQ(n[3], 1.0 + 2.0 + 3.0 + 4.0);
    EXPECT_GT(o.nh3[5], 0.0);
    EXPECT_DOUBLE_EQ(n[5], 10.0 + o.nh3[5]);
    EXPECT_DOUBLE_EQ(p[5], 5.0 + 6.0);

    // A lake: Kjeldahl nitrogen leaves out NO2 and NO3.
    qbn_lake lake;
    dvec volume;
    dvector_alloc_zero(volume, 1, "volume");
    volume[1] = 50.0;
    lake.volume = &volume;
    lake.num_lakes = 1;
    lake.ka = o.ka;
    lake.h_ion = o.h_ion;
    for (int k = 0; k < qbn_constituent_count; ++k) {
        qbn_constituent_alloc(lake.species[k], 1);
        lake.species[k].mass[1] = 10.0 * (k + 1);
    }
    for (checked_array<double>* a : {&lake.nh3, &lake.total_n, &lake.kjeldahl_n, &lake.total_p})
        checked_array_grow(*a, 1);
    qbn_lake_nh3(lake);
    EXPECT_GT(lake.nh3[1], 0.0);
    EXPECT_DOUBLE_EQ(qbn_lake_total_n(lake)[1], 100.0 + lake.nh3[1]);
    EXPECT_DOUBLE_EQ(qbn_lake_tkn(lake)[1], 70.0 + lake.nh3[1]);
    EXPECT_DOUBLE_EQ(qbn_lake_total_p(lake)[1], 110.0);
}

TEST_F(QbnRun, TransferTakesNothingUntilReactionsAskForIt)
{
    ASSERT_TRUE(load_qbn("SOIL_CON_TRANS\nSOILS_QBN_N\nGREEN_AMPT\nCONDUCTIVITY k.map\nCAPILLARY k.map\n"
                         "POROSITY por.map\nMOISTURE por.map\n"))
        << out;
    qbn_overland& o = s->qbn_object->overland;
    ASSERT_EQ(o.soil_exch_cell_mass, &s->soil_exch_cell_mass);
    ASSERT_EQ(o.ov_soil_exch_mass, &s->ov_soil_exch_mass);
    ASSERT_EQ(o.qbn_cell_mass, &s->qbn_cell_mass);
    const int f = s->first_qbn_constituent;
    const double nh4_pool = (*s->qbn_object->soil.pools[3])[4][1];
    ASSERT_EQ(nh4_pool, 1000.0);
    qbn_overland_step(o, 0.0, 0.01, s->rain_rate);
    for (int i = f; i < f + 13; ++i)
        for (int j = 1; j <= 9; ++j) {
            EXPECT_EQ(s->soil_exch_cell_mass[i][j], 0.0);
            EXPECT_EQ(s->ov_soil_exch_mass[i][j], 0.0);
        }
    EXPECT_EQ((*s->qbn_object->soil.pools[3])[4][1], nh4_pool) << "the pools are not changed here";
    EXPECT_DOUBLE_EQ(s->THETA[4][1], s->soil_moisture[4]);
}

TEST_F(QbnRun, OutletSeriesRowsPerOutputTime)
{
    ASSERT_TRUE(load_qbn("OUT_HYD_NO3 no3\nOUT_HYD_DO oxygen\n")) << out;
    qbn_model& m = *s->qbn_object;
    const double rows[2][2] = {{1.25, 1234.56789}, {0.0, 98765.4321}};
    const double times[2] = {5.0, 10.5};
    for (int r = 0; r < 2; ++r) {
        s->elapsed_min = times[r];
        m.series_values[1][qbn_series_conc] = rows[r][0];
        m.series_values[1][qbn_series_mass] = rows[r][1];
        m.series_values[8][qbn_series_conc] = 8.0 + r;
        m.series_values[8][qbn_series_mass] = 80.0 + r;
        write_qbn_series(*s);
    }
    s->long_term = 1;
    s->output_time = 2000.12345678;
    write_qbn_series(*s);
    for (int i : {1, 8}) {
        file_rec_close(m.conc_files[i]);
        file_rec_close(m.mass_files[i]);
    }
    EXPECT_TRUE(matches_golden("qbn_series_no3.conc", read_file(dir.file("no3.conc")), {}));
    EXPECT_TRUE(matches_golden("qbn_series_no3.mass", read_file(dir.file("no3.mass")), {}));
    EXPECT_EQ(read_file(dir.file("oxygen.mass")),
              "      5.00000000     80.0000\n     10.50000000     81.0000\n   2000.12345678     81.0000\n");
}
