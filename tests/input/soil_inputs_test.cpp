// Soil and infiltration parameters through the input hub: units at input,
// grids and mapping tables giving the same cells, area reduction, the
// redistribution stops, the water table and aquifer bottom of Richards
// columns, the node matrices and the evapotranspiration maps.
#include <gtest/gtest.h>

#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/input_fixture.h"
#include "input/subsurface_inputs.h"

using namespace torva_test;

namespace
{

struct SoilInputs : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        option_checks = false;
    }
};

} // namespace

TEST_F(SoilInputs, GreenAmptGridsAndTablesGiveTheSameCellsInModelUnits)
{
    // Soil 1 on the west half, soil 2 on the east half.
    grid("k.map", "0 3.6 7.2 0\n3.6 3.6 7.2 7.2\n3.6 3.6 7.2 0\n");
    grid("hc.map", "0 25 10 0\n25 25 10 10\n25 25 10 0\n");
    grid("por.map", "0 0.4 0.45 0\n0.4 0.4 0.45 0.45\n0.4 0.4 0.45 0\n");
    grid("m0.map", "0 0.2 0.3 0\n0.2 0.2 0.3 0.3\n0.2 0.2 0.3 0\n");
    ASSERT_TRUE(load(cards_with("GREEN_AMPT\nCONDUCTIVITY k.map\nCAPILLARY hc.map\nPOROSITY por.map\n"
                                "MOISTURE m0.map\n")))
        << out;
    EXPECT_TRUE(printed("reading saturated hydraulic conductivity map from file: k.map\n")) << out;
    EXPECT_DOUBLE_EQ(s->dist_ksat[1], 1e-5); // 3.6 cm/h
    EXPECT_DOUBLE_EQ(s->dist_cap_head[1], 0.25); // 25 cm
    const int n = s->num_cells;
    std::vector<double> ksat, cap, por, moist;
    for (int i = 1; i <= n; ++i) {
        ksat.push_back(s->dist_ksat[i]);
        cap.push_back(s->dist_cap_head[i]);
        por.push_back(s->dist_porosity[i]);
        moist.push_back(s->dist_init_moisture[i]);
        // The Green-Ampt starting moisture is the moisture map, not zeros.
        EXPECT_EQ(s->soil_moisture[i], s->dist_init_moisture[i]) << i;
        EXPECT_GT(s->soil_moisture[i], 0.0) << i;
    }

    grid("soils.idx", "0 1 2 0\n1 1 2 2\n1 1 2 0\n");
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx Soils\n"
                  "GREEN_AMPT_INFILTRATION Soils\nNUM_IDS 2\nID\n" +
                      mapping_row(1, "3.6 25 0.4 0.3 0.05 0 0.1") + mapping_row(2, "7.2 10 0.45 0.3 0.05 0 0.1") +
                      "GREEN_AMPT_INITIAL_SOIL_MOISTURE Soils\nNUM_IDS 2\nID\n" + mapping_row(1, "0.2") +
                      mapping_row(2, "0.3"));
    ASSERT_TRUE(load(cards_with("GREEN_AMPT\nMAPPING_TABLE t.cmt\n"))) << out;
    EXPECT_TRUE(printed("reading saturated hydraulic conductivity table and map from the master table file\n"))
        << out;
    for (int i = 1; i <= n; ++i) {
        EXPECT_EQ(s->dist_ksat[i], ksat[static_cast<size_t>(i - 1)]) << i;
        EXPECT_EQ(s->dist_cap_head[i], cap[static_cast<size_t>(i - 1)]) << i;
        EXPECT_EQ(s->dist_porosity[i], por[static_cast<size_t>(i - 1)]) << i;
        EXPECT_EQ(s->dist_init_moisture[i], moist[static_cast<size_t>(i - 1)]) << i;
        EXPECT_EQ(s->soil_moisture[i], moist[static_cast<size_t>(i - 1)]) << i;
    }
}

TEST_F(SoilInputs, AreaReductionKeepsTheOpenFraction)
{
    grid("k.map", "0 3.6 3.6 0\n3.6 3.6 3.6 3.6\n3.6 3.6 3.6 0\n");
    const std::string ga = "GREEN_AMPT\nCONDUCTIVITY k.map\nCAPILLARY k.map\nPOROSITY k.map\n";
    grid("ar.map", "0 0.3 0 0\n0.3 0.3 0.3 0.3\n0.3 0.3 0.3 0\n");
    ASSERT_TRUE(load(cards_with(ga + "AREA_REDUCTION ar.map\n"))) << out;
    EXPECT_TRUE(printed("reading area reduction map from file: ar.map\n")) << out;
    EXPECT_DOUBLE_EQ(s->area_reduction_values[1], 0.7);
    EXPECT_DOUBLE_EQ(s->area_reduction_values[2], 1.0);

    // The card without a file or a table: every cell stays open.
    ASSERT_TRUE(load(cards_with(ga + "AREA_REDUCTION\n"))) << out;
    for (int i = 1; i <= s->num_cells; ++i)
        EXPECT_EQ(s->area_reduction_values[i], 1.0) << i;

    EXPECT_FALSE(load(cards_with(ga + "AREA_REDUCTION none.map\n")));
    EXPECT_TRUE(printed("Can't open area reduction file named: none.map\n")) << out;
}

TEST_F(SoilInputs, RedistributionWithoutPoreIndexOrResidualSaturationStops)
{
    grid("k.map", "0 3.6 3.6 0\n3.6 3.6 3.6 3.6\n3.6 3.6 3.6 0\n");
    const std::string ga = "INF_REDIST\nCONDUCTIVITY k.map\nCAPILLARY k.map\nPOROSITY k.map\n";
    EXPECT_FALSE(load(cards_with(ga + "RESIDUAL_SAT k.map\n")));
    EXPECT_EQ(err, "For infiltration redistribution, pore index map must be specified\nProgram stopped.\n");
    EXPECT_FALSE(printed("reading pore distribution")) << out;

    EXPECT_FALSE(load(cards_with(ga + "PORE_INDEX k.map\n")));
    EXPECT_EQ(err, "Program stopped.\n");
    EXPECT_TRUE(printed("reading pore distribution index map from file: k.map\n")) << out;

    ASSERT_TRUE(load(cards_with(ga + "PORE_INDEX k.map\nRESIDUAL_SAT k.map\n"))) << out;
    EXPECT_DOUBLE_EQ(s->dist_resid_sat[3], 3.6);
}

TEST_F(SoilInputs, SoilMoistureHotstartStartsBothRedistributionProfiles)
{
    grid("k.map", "0 1 1 0\n1 1 1 1\n1 1 1 0\n");
    grid("m.map", "0 0.15 0.15 0\n0.15 0.15 0.15 0.15\n0.15 0.15 0.15 0\n");
    grid("sm.map", "0 0.2 0.3 0\n0.2 0.2 0.2 0.2\n0.2 0.2 0.25 0\n");
    ASSERT_TRUE(load(cards_with("INF_REDIST\nCONDUCTIVITY k.map\nCAPILLARY k.map\nPOROSITY k.map\n"
                                "PORE_INDEX k.map\nRESIDUAL_SAT k.map\nMOISTURE m.map\nREAD_SM_HOTSTART sm.map\n")))
        << out;
    const double expected[] = {0, 0.2, 0.3, 0.2, 0.2, 0.2, 0.2, 0.2, 0.2, 0.25};
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(s->dist_init_moisture[i], expected[i]) << i;
        EXPECT_EQ(s->redist_theta_1[i], expected[i]) << i;
        EXPECT_EQ(s->redist_theta_2[i], expected[i]) << i;
    }
}

TEST_F(SoilInputs, RichardsColumnsEndOnAThinAquiferBelowTheWaterTable)
{
    grid("soil.map", "0 1 1 0\n1 1 1 1\n1 1 1 0\n");
    // One Brooks-Corey soil: 10 + 20 + 30 cm in 5 cm nodes.
    file("soil.tab", "1 0\n1\n3.6 0.45 0.05 0.2 0.1 0.3 10 0.4 20 5\n3.6 0.45 0.05 0.2 0.1 0.3 20 0.4 20 5\n"
                     "3.6 0.45 0.05 0.2 0.1 0.3 30 0.4 20 5\n");
    // Cell 6 (ground 100) has its table 0.2 m above the ground.
    grid("wt.map", "0 100 99 0\n98 97 96 100.2\n97 96 95 0\n");
    ASSERT_TRUE(load(cards_with("INF_RICHARDS\nRICHARDS_C_OPTION brooks\nSOIL_TYPE_MAP soil.map\n"
                                "SOIL_LAYER_INPUT_FILE soil.tab\nWATER_TABLE wt.map\nAQUIFER_DELTA_Z 5\n")))
        << out;
    EXPECT_EQ(s->aquifer_delta_z, 0.1);
    EXPECT_DOUBLE_EQ(s->bottom_elev[1], 99.9);
    EXPECT_DOUBLE_EQ(s->bottom_elev[5], 95.9);
    EXPECT_EQ(s->bottom_elev[6], 100.0);
    EXPECT_TRUE(printed("Aquifer bottom elevation 100.100000 for cell 6 is at or above ground surface elevation "
                        "100.000000 \nAquifer bottom elevation set to ground elevation \n"))
        << out;
    EXPECT_FALSE(printed("for cell 5 ")) << out;
    EXPECT_TRUE(printed("Reading Soil Table   Done\n")) << out;
}

TEST_F(SoilInputs, RetentionOptionDecidesTheNodeMatrices)
{
    ASSERT_TRUE(load(cards_with(""))) << out;
    const auto made = [&] {
        const dmat* all[] = {&s->PHEAD,  &s->KHEAD,  &s->THETA,  &s->WATCAP,  &s->WATFLUX, &s->SOURCE, &s->DZ,
                             &s->KS,     &s->THETAS, &s->THETAR, &s->THETAWP, &s->THETAFC, &s->LAM,    &s->BP,
                             &s->thehac, &s->BChc,   &s->AHAV,   &s->BHAV,    &s->ALPHA,   &s->BETA};
        int count = 0;
        for (const dmat* m : all)
            if (*m) {
                ++count;
                EXPECT_EQ(m->rows(), s->num_cells);
                EXPECT_EQ(m->cols(), 7);
            }
        return count;
    };
    s->richards_c_option = 1; // brooks
    alloc_richards_nodes(*s, 7);
    EXPECT_EQ(made(), 16);
    ASSERT_TRUE(load(cards_with(""))) << out;
    s->richards_c_option = 2; // havercamp
    alloc_richards_nodes(*s, 7);
    EXPECT_EQ(made(), 20);
}

TEST_F(SoilInputs, VegetationHeightNeedsPenmanEvapotranspiration)
{
    grid("vh.map", "0 2 2 0\n2 2 2 2\n2 2 2 0\n");
    ASSERT_TRUE(load(cards_with(""))) << out;
    s->long_term = 1;
    s->vheight_given = 1;
    s->vheight_name = "vh.map";
    dvector_alloc_zero(s->dist_veg_height, s->num_cells, "dist_veg_height");
    ASSERT_TRUE(file_rec_open(s->vheight_file, dir.file("vh.map"), "r"));
    testing::internal::CaptureStdout();
    read_et_and_moisture_maps(*s);
    out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(printed("vegetation-height")) << out;
    EXPECT_EQ(s->dist_veg_height[1], 0.0);

    s->et_calc_penman = 1;
    testing::internal::CaptureStdout();
    read_et_and_moisture_maps(*s);
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(printed("reading vegetation-height map from file: vh.map\n")) << out;
    EXPECT_EQ(s->dist_veg_height[1], 2.0);
}

TEST_F(SoilInputs, SoilMoistureLocationsLieInTheWatershedAndTheirColumns)
{
    const std::string cards = cards_with("IN_THETA_LOCATION th.loc\nOUT_THETA_LOCATION th.out\n");
    file("th.loc", "2\n1 2\n3 1\n");
    ASSERT_TRUE(load(cards)) << out;
    ASSERT_EQ(s->num_theta_cells, 2);
    EXPECT_EQ(s->cell_loc[1], 1);
    EXPECT_EQ(s->cell_loc[2], 7);

    const struct {
        const char* text;
        const char* message;
    } refused[] = {
        {"2\n1 2\n", "End of file reached in file th.loc, exiting\nError: file th.loc, line 1: the number of cells 2 "
                     "is more than the 4 characters left in the file can hold.\n"},
        {"2\n1 2\n3 1\n1 3\n", "Error: file th.loc, line 4: \"1\" follows the last of the 2 entries the file "
                                "announces.\n"},
        {"1\n4 1\n", "Error: entry 1 of th.loc, row 4 column 1, lies outside the grid of 3 rows and 4 columns.\n"},
        {"1\n1 1\n", "Error: entry 1 of th.loc, row 1 column 1, lies outside the watershed.\n"},
        {"1\n1 x\n", "Error: file th.loc, line 2, entry 1: the column \"x\" is not a number.\n"},
    };
    for (const auto& c : refused) {
        file("th.loc", c.text);
        EXPECT_FALSE(load(cards)) << c.text;
        EXPECT_TRUE(printed(c.message)) << c.text << out;
    }

    // Richards columns: row, column, node count and the nodes of each entry.
    const auto read_richards = [&](const std::string& text) {
        file("th.loc", "0\n");
        EXPECT_TRUE(load(cards)) << out;
        s->inf_richards = 1;
        ivector_alloc_zero(s->numcells, s->num_cells, "numcells");
        for (int i = 1; i <= s->num_cells; ++i)
            s->numcells[i] = 3;
        file("th.loc", text);
        EXPECT_TRUE(file_rec_open(s->in_theta_location_file, dir.file("th.loc"), "r"));
        testing::internal::CaptureStdout();
        read_cell_location_list(*s);
        out = testing::internal::GetCapturedStdout();
        return error_state.raised == 0;
    };
    ASSERT_TRUE(read_richards("2 3\n2 2 2 1 3\n3 3 0\n")) << out;
    EXPECT_EQ(s->num_theta_cells, 2);
    EXPECT_EQ(s->cell_loc[1], 4);
    EXPECT_EQ(s->cell_num[1], 2);
    EXPECT_EQ(s->cell_node_list[1][2], 3);
    EXPECT_EQ(s->cell_num[2], 0);
    EXPECT_EQ(s->cell_loc[2], 9);

    EXPECT_FALSE(read_richards("1 3\n2 2 2 1 4\n"));
    EXPECT_TRUE(printed("Error: entry 1 of th.loc, row 2 column 2, lists node 4; the soil column of cell 4 has 3 "
                        "nodes.\n"))
        << out;
    EXPECT_FALSE(read_richards("1 1\n2 2 3 1 2 3\n"));
    EXPECT_TRUE(printed("Error: entry 1 of th.loc lists 3 nodes, more than the 2 the file allows.\n")) << out;
    EXPECT_FALSE(read_richards("1 900000000\n2 2 1 1\n"));
    EXPECT_TRUE(printed("Error: file th.loc, line 1, entry 0: the largest node count \"900000000\" lies outside 0 to")) << out;
    EXPECT_FALSE(read_richards("1 3\n2 2 2 1\n"));
    EXPECT_TRUE(printed("End of file reached in file th.loc, exiting\n")) << out;
}

TEST_F(SoilInputs, LayeredSoilsStartFromTheirSoilTypes)
{
    grid("soil.map", "0 1 1 0\n1 1 2 2\n1 1 2 0\n");
    file("layers.tab", "2\n0\n1\n1 0.3 10 0.4 0.3 0.1 0.05 0.2 20\n1 0.3 10 0.4 0.3 0.1 0.05 0.2 30\n"
                       "1 0.3 10 0.4 0.3 0.1 0.05 0.2\n2\n1 0.3 10 0.4 0.3 0.1 0.05 0.1 20\n"
                       "1 0.3 10 0.4 0.3 0.1 0.05 0.2 30\n1 0.3 10 0.4 0.3 0.1 0.05 0.3\n");
    const std::string cards =
        cards_with("INF_LAYERED_SOIL\nSOIL_TYPE_MAP soil.map\nSOIL_LAYER_INPUT_FILE layers.tab\n");
    ASSERT_TRUE(load(cards)) << out;
    EXPECT_TRUE(printed("reading soil map from file: soil.map\n")) << out;
    EXPECT_EQ(s->soiltype[4], 1);
    EXPECT_EQ(s->soiltype[5], 2);

    // The starting water content of every layer comes from the soil type.
    ASSERT_TRUE(file_rec_open(s->soil_type_map_file, dir.file("soil.map"), "r"));
    testing::internal::CaptureStdout();
    read_infiltration_params(*s);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s->soil_moisture[5], 0.1);
    EXPECT_EQ(s->THETA_ML[5][1], 0.1);
    EXPECT_EQ(s->THETA_ML[5][3], 0.3);
    EXPECT_EQ(s->THETA_ML[4][2], 0.2);

    grid("soil.map", "0 1 1 0\n1 1 10000 2\n1 1 2 0\n");
    EXPECT_FALSE(load(cards));
    EXPECT_TRUE(printed("Error: the soil type map soil.map gives soil type 10000 at row 2 column 3; soil types run "
                        "from 0 to 9999.\n"))
        << out;
}

TEST_F(SoilInputs, GreenAmptReadsTheWaterTableItNames)
{
    grid("k.map", "0 3.6 3.6 0\n3.6 3.6 3.6 3.6\n3.6 3.6 3.6 0\n");
    grid("wt.map", "0 100 99 0\n98 97 96 95\n97 96 95 0\n");
    const std::string ga = "GREEN_AMPT\nCONDUCTIVITY k.map\nCAPILLARY k.map\nPOROSITY k.map\n";
    ASSERT_TRUE(load(cards_with(ga + "WATER_TABLE wt.map\n"))) << out;
    EXPECT_EQ(s->elevgw[4], 97.0);
    EXPECT_FALSE(load(cards_with(ga + "WATER_TABLE none.map\n")));
    EXPECT_TRUE(printed("none.map")) << out;
}
