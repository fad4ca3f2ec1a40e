// The initial constituent state of a run: the dissolved mass on the land
// surface from a hotstart depth map, the undissolved land mass, the top
// soil layer mass, the rates per second and the event's initial masses,
// all against values worked out by hand from the fixture grids.
#include <gtest/gtest.h>

#include <string>

#include "core/model_state.h"
#include "core/run_steps.h"
#include "input/input_fixture.h"
#include "quality/quality_steps.h"

using namespace torva_test;

namespace
{

struct ConstituentSetup : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        option_checks = false; // the transport steps are not built yet
        // Cells 1..9 row by row: soil 1 in the west, soil 2 in the east.
        grid("soils.idx", "0 1 1 0\n1 1 2 2\n1 1 2 0\n");
        // Cells 2 and 4 are dry.
        grid("d.map", "0 0.1 0 0\n0.2 0 0.05 0.3\n0.1 0.1 0.1 0\n");
        grid("k.map", "0 3.6 3.6 0\n3.6 3.6 3.6 3.6\n3.6 3.6 3.6 0\n");
        grid("por.map", "0 0.4 0.4 0\n0.4 0.4 0.5 0.5\n0.4 0.4 0.5 0\n");
        grid("m0.map", "0 0.2 0.2 0\n0.2 0.2 0.2 0.2\n0.2 0.2 0.2 0\n");
        // Columns: 1, decay (per day), uptake (per day), land value, 5,
        // surface concentration (mg/L), 7, largest concentration.
        file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx \"Soils\"\n"
                      "CONTAMINANT_TRANSPORT\nNUM_CONTAM 2\n"
                      "\"Nitrate\" \"Soils\" \"no3\"\nPRECIP_CONC 0\nPARTITION 1\nNUM_IDS 2\nID\n" +
                          mapping_row(1, "1 0.864 0.0864 10 1 2 7 0.05") +
                          mapping_row(2, "2 1.728 0 20 2 4 8 0.06") +
                          "\"Lead\" \"Soils\" \"pb\"\nPRECIP_CONC 0\nPARTITION 1\nNUM_IDS 2\nID\n" +
                          mapping_row(1, "3 0 0 0 3 1.5 9 0.07") + mapping_row(2, "4 0 0 5 4 0 9 0.08"));
    }
    static std::string cards(const std::string& extra)
    {
        return cards_with(
            "OV_CON_TRANS\nMAPPING_TABLE t.cmt\nREAD_OV_HOTSTART d.map\n"
            "GREEN_AMPT\nCONDUCTIVITY k.map\nCAPILLARY k.map\nPOROSITY por.map\nMOISTURE m0.map\n" +
            extra);
    }
    // The initialisation after the hub and the first event's start.
    void start()
    {
        testing::internal::CaptureStdout();
        init_soil_constituents(*s);
        init_sim_clock(*s);
        event_start_step(*s);
        out += testing::internal::GetCapturedStdout();
    }
};

} // namespace

TEST_F(ConstituentSetup, SurfaceAndLandMassesFromTheHotstartDepths)
{
    ASSERT_TRUE(load(cards(""))) << out;
    start();
    // Nitrate: 2 mg/L on soil 1, 4 mg/L on soil 2, 100 m2 cells; the dry
    // cells 2 and 4 hold nothing:
    // 100 x (0.1 x 2 + 0.2 x 2 + 0.05 x 4 + 0.3 x 4 + 0.1 x 2 + 0.1 x 2 + 0.1 x 4) g.
    EXPECT_NEAR(s->OV_MASS_INIT[1], 0.280, 1e-12);
    // Lead: 1.5 mg/L on soil 1 only: 100 x 1.5 x (0.1 + 0.2 + 0.1 + 0.1) g.
    EXPECT_NEAR(s->OV_MASS_INIT[2], 0.075, 1e-12);
    EXPECT_EQ(s->ov_conc[1][2], 0.0) << "a dry cell's concentration is reset";
    EXPECT_EQ(s->ov_mass[1][4], 0.0);
    EXPECT_DOUBLE_EQ(s->ov_mass[1][6], 0.3 * 4 * 100);
    // The land values: six soil-1 cells of 10 and three soil-2 cells of 20
    // (kg), held in grams.
    EXPECT_NEAR(s->OV_LAND_MASS_INIT[1], 120.0, 1e-9);
    EXPECT_NEAR(s->OV_LAND_MASS_INIT[2], 15.0, 1e-9);
    EXPECT_DOUBLE_EQ(s->land_mass[1][5], 20000.0);
    EXPECT_NEAR(s->GLOBAL_MASS_INIT[1], 120.28, 1e-9);
    // Rates per second: 0.864 per day is 1e-5 per second.
    EXPECT_DOUBLE_EQ(s->ov_decay[1][1], 1e-5);
    EXPECT_DOUBLE_EQ(s->ov_uptake[1][1], 1e-6);
    EXPECT_DOUBLE_EQ(s->ov_decay[1][5], 2e-5);
    // The event starts from the same masses.
    EXPECT_NEAR(s->event_ov_mass_init[1], 0.280, 1e-12);
    EXPECT_NEAR(s->event_ov_mass_init[2], 0.075, 1e-12);
    EXPECT_NEAR(s->event_ov_land_mass[1], 120.0, 1e-9);
    EXPECT_NEAR(s->event_ov_land_mass[2], 15.0, 1e-9);
}

TEST_F(ConstituentSetup, TopSoilLayerMassFromTheSoilConcentration)
{
    // One constituent layer of 0.1 m under plain Green-Ampt.
    ASSERT_TRUE(load(cards("SOIL_CON_TRANS\nMIXING_LAYER_DEPTH 0.1\n"))) << out;
    ASSERT_EQ(s->soil_con_layers, 1);
    start();
    EXPECT_DOUBLE_EQ(s->soil_con_layer_depth[1], 0.1);
    EXPECT_DOUBLE_EQ(s->soil_con_layer_bottom[1], 0.1);
    // concentration (mg/kg) x 2650 kg/m3 x (1 - porosity) x 0.1 m x 100 m2:
    // soil 1 (10 mg/kg, 0.4) gives 159 g, soil 2 (20 mg/kg, 0.5) 265 g.
    EXPECT_NEAR(s->soil_mass.table[1][1][1], 159.0, 1e-9);
    EXPECT_NEAR(s->soil_mass.table[1][5][1], 265.0, 1e-9);
    EXPECT_DOUBLE_EQ(s->soil_conc.table[1][5][1], 20.0);
    EXPECT_NEAR(s->land_mass[1][5], 265.0, 1e-9) << "the land value becomes the layer mass";
    EXPECT_NEAR(s->OV_LAND_MASS_INIT[1], (6 * 159.0 + 3 * 265.0) / 1000.0, 1e-12);
    // Lead: 5 mg/kg on the three soil-2 cells only.
    EXPECT_NEAR(s->OV_LAND_MASS_INIT[2], 3 * 66.25 / 1000.0, 1e-12);
    EXPECT_NEAR(s->GLOBAL_MASS_INIT[1], 0.280 + 1.749, 1e-12);
    EXPECT_DOUBLE_EQ(s->soil_decay[1][1], 1e-5);
    EXPECT_NEAR(s->event_soil_mass_init[1], 1.749, 1e-12);
    EXPECT_NEAR(s->event_soil_mass_init[2], 0.19875, 1e-12);
}

TEST_F(ConstituentSetup, NothingChangesWithoutSurfaceTransport)
{
    ASSERT_TRUE(load(cards(""))) << out;
    s->ov_con_trans = 0;
    init_soil_constituents(*s);
    EXPECT_EQ(s->OV_MASS_INIT[1], 0.0);
    EXPECT_DOUBLE_EQ(s->ov_decay[1][1], 0.864);
    EXPECT_DOUBLE_EQ(s->land_mass[1][1], 10.0);
}
