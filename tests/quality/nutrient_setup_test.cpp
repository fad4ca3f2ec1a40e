// The nutrient module's overland set-up through the input hub: the
// aquatic-environment file, the overland part whose arrays are the rows of
// the model's constituent containers, initial values given as a number, by
// mapping table and by map file, the rain concentrations per table column,
// the soil pools, and the refusals with their exact messages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/model_state.h"
#include "core/run_steps.h"
#include "input/input_fixture.h"
#include "quality/quality_steps.h"

using namespace torva_test;

namespace
{

struct NutrientSetup : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        grid("soils.idx", "0 1 1 0\n1 1 2 2\n1 1 2 0\n");
        grid("d.map", "0 0.1 0 0\n0.2 0 0.05 0.3\n0.1 0.1 0.1 0\n"); // cells 2 and 4 dry
        grid("do.map", "0 8 7 0\n6 5 4 3\n2 1 9 0\n");
        grid("k.map", "0 3.6 3.6 0\n3.6 3.6 3.6 3.6\n3.6 3.6 3.6 0\n");
        grid("por.map", "0 0.4 0.4 0\n0.4 0.4 0.5 0.5\n0.4 0.4 0.5 0\n");
        file("env.dat",
             "AQUATIC_ENV_QBN10\nOV_MAP soils.idx\nST_MAP st.idx\nNUM_IDS 2\nID\n1\nDEFAULT\n2\nDEFAULT\n");
    }
    void tables(bool with_n = true)
    {
        std::string t = "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx Soils\n";
        if (with_n)
            t += "QBN_N Soils\nNUM_IDS 2\nPRECIP_CONC 0.1 0.2 0.3 0.4\nID\n" + mapping_row(1, "1 2 3 4") +
                 mapping_row(2, "5 6 7 8");
        t += "QBN_OTH Soils\nNUM_IDS 2\nPRECIP_CONC 0.7 0.8 0.9\nID\n" + mapping_row(1, "10 20 30") +
             mapping_row(2, "40 50 60");
        t += "QBN_SOIL_N Soils\nNUM_IDS 2\nID\n" + mapping_row(1, "1 2 3 4 5") + mapping_row(2, "6 7 8 9 10");
        file("t.cmt", t);
    }
    static std::string cards(const std::string& extra)
    {
        return cards_with(
            "NUTRIENTS\nAQ_ENV env.dat\nMAPPING_TABLE t.cmt\nREAD_OV_HOTSTART d.map\nWATER_TEMP 20\n"
            "OV_INIT_NH4 0.5\nOV_INIT_NO3\nOV_INIT_DO do.map\n" +
            extra);
    }
};

const double depth[10] = {0, 0.1, 0, 0.2, 0, 0.05, 0.3, 0.1, 0.1, 0.1};
const int soil[10] = {0, 1, 1, 1, 1, 2, 2, 1, 1, 2};

} // namespace

TEST_F(NutrientSetup, OverlandValuesByNumberTableAndMap)
{
    tables();
    ASSERT_TRUE(load(cards(""))) << out;
    EXPECT_TRUE(printed("Reading the aquatic environment file env.dat.\n")) << out;
    EXPECT_TRUE(printed("Allocating memory for overland QBN...Done\n")) << out;
    EXPECT_TRUE(printed("Assigning spatially uniform parameters for the Ammonium (NH4+) constituent\n"))
        << out;
    EXPECT_TRUE(printed("Assigning parameters for the Nitrate (NO3-) constituent from the mapping table.\n"))
        << out;
    EXPECT_TRUE(
        printed("Assigning parameters from a continuous map for the constituent Dissolved Oxygen (O2)\n"))
        << out;
    const int f = s->first_qbn_constituent;
    ASSERT_EQ(f, 1);
    qbn_overland& o = s->qbn_object->overland;
    // The model's rows are the species' own arrays.
    EXPECT_EQ(s->ov_conc[f + 2], o.species[2].conc.data);
    EXPECT_EQ(s->ov_mass[f + 8], o.species[8].mass.data);
    EXPECT_EQ(s->ov_soil_conc[f], o.species[0].maxconc.data);
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(s->ov_conc[f + 2][i], 0.5) << i;
        EXPECT_DOUBLE_EQ(s->ov_mass[f + 2][i], 0.5 * depth[i] * 100.0) << i;
        EXPECT_EQ(s->ov_conc[f + 1][i], soil[i] == 1 ? 2.0 : 6.0) << i;
        EXPECT_EQ(s->ov_conc[f + 6][i], soil[i] == 1 ? 10.0 : 40.0) << "algae from QBN_OTH";
    }
    EXPECT_EQ(s->ov_conc[f + 8][1], 8.0);
    EXPECT_EQ(s->ov_conc[f + 8][9], 9.0);
    EXPECT_EQ(s->ov_conc[f][1], 1.0) << "a table read fills NO2 without a card";
    EXPECT_EQ(s->ov_conc[f + 4][1], 0.0) << "no QBN_P table";
    // Rain concentrations by the column that fills each constituent.
    EXPECT_EQ(s->precip_conc[f + 1], 0.2);
    EXPECT_EQ(s->precip_conc[f + 3], 0.4);
    EXPECT_EQ(s->precip_conc[f + 4], 0.0) << "no QBN_P table";
    EXPECT_EQ(s->precip_conc[f + 6], 0.7);
    EXPECT_EQ(s->precip_conc[f + 8], 0.9);
    EXPECT_DOUBLE_EQ(o.ka, std::pow(10.0, -(0.09018 + 2729.92 / 293.15)));
    EXPECT_EQ(o.water_temp[9], 20.0);
    EXPECT_EQ(s->qbn_object->params.ov_index[5], 2);

    // The initial surface masses reach the run's and the event's totals:
    // NH4 0.5 mg/L over 100 m2 cells of 0.95 m total depth.
    testing::internal::CaptureStdout();
    init_soil_constituents(*s);
    init_sim_clock(*s);
    event_start_step(*s);
    testing::internal::GetCapturedStdout();
    EXPECT_NEAR(s->OV_MASS_INIT[f + 2], 0.5 * 0.95 * 100.0 / 1000.0, 1e-12);
    EXPECT_NEAR(s->event_ov_mass_init[f + 2], 0.5 * 0.95 * 100.0 / 1000.0, 1e-12);
}

TEST_F(NutrientSetup, SoilPoolsFromTheSoilTables)
{
    tables();
    ASSERT_TRUE(load(cards("SOIL_CON_TRANS\nSOILS_QBN_N\nGREEN_AMPT\nCONDUCTIVITY k.map\nCAPILLARY k.map\n"
                           "POROSITY por.map\nMOISTURE por.map\n")))
        << out;
    EXPECT_TRUE(printed("Allocating memory for QBN Soils...Done\n")) << out;
    const int f = s->first_qbn_constituent;
    EXPECT_EQ(s->num_constituents, 13);
    qbn_soil& soil_part = s->qbn_object->soil;
    // Pool entry 3 is NH4 (first QBN_SOIL_N column), entry 7 organic
    // stable nitrogen (the fifth); values in kg become g in layer 1.
    EXPECT_EQ((*soil_part.pools[3])[4][1], 1000.0);
    EXPECT_EQ((*soil_part.pools[3])[5][1], 6000.0);
    EXPECT_EQ((*soil_part.pools[7])[5][1], 10000.0);
    EXPECT_EQ((*soil_part.pools[1])[4][1], 0.0) << "no QBN_SOIL_C table";
    // The model's soil masses of the nutrient constituents are the pools.
    EXPECT_EQ(s->soil_mass.table[f + 2], soil_part.pools[3]->row_table);
    EXPECT_EQ(s->qbn_object->overland.soil, &soil_part);
}

TEST_F(NutrientSetup, MissingSourcesStopTheRun)
{
    tables(false);
    EXPECT_FALSE(load(cards("")));
    EXPECT_TRUE(
        printed("Error: Nutrient constituent to use mapping table for input value but no mapping table "
                "exists (Grid): Nitrate (NO3-)\n"))
        << out;

    tables();
    EXPECT_FALSE(load(cards("OV_INIT_CBOD none.map\n")));
    EXPECT_TRUE(printed("Error opening initial condition continuous map file \nfor the grid Carbonaceous "
                        "Biochemical Oxygen Demand constituent. \nGiven filename: none.map\n"))
        << out;
    EXPECT_TRUE(printed("Error: Unable to open the nutrient file none.map")) << out;

    file("env.dat", "AQUATIC_ENV_QBN1\n");
    EXPECT_FALSE(load(cards("")));
    EXPECT_TRUE(printed("The header should be : AQUATIC_ENV_QBN10")) << out;
}

TEST_F(NutrientSetup, ContaminantsComeFirstAndKeepTheirRows)
{
    tables();
    std::string t = read_file(dir.file("t.cmt"));
    t += "CONTAMINANT_TRANSPORT\nNUM_CONTAM 2\n";
    for (const char* name : {"a", "b"})
        t += std::string("\"") + name + "\" \"CSoils\" \"" + name +
             "\"\nPRECIP_CONC 0.5\nPARTITION 1\nNUM_IDS 2\nID\n" + mapping_row(1, "1 0 0 0 0 3 0 0") +
             mapping_row(2, "2 0 0 0 0 3 0 0");
    t.insert(t.find("\nINDEX_MAP") + 1, "INDEX_MAP soils.idx \"CSoils\"\n");
    file("t.cmt", t);
    ASSERT_TRUE(load(cards("OV_CON_TRANS\n"))) << out;
    ASSERT_EQ(s->num_contam, 2);
    const int f = s->first_qbn_constituent;
    EXPECT_EQ(f, 3);
    EXPECT_EQ(s->num_constituents, 11);
    // One row and one slot per constituent, whichever reader made it.
    for (row_array<double>* r : {&s->ov_conc, &s->ov_mass, &s->ov_soil_conc, &s->land_mass, &s->ov_decay})
        EXPECT_EQ(r->count, 11);
    EXPECT_EQ(s->precip_conc.cap, 11);
    EXPECT_EQ(s->ov_conc[2][4], 3.0) << "the second contaminant's own row";
    EXPECT_EQ(s->precip_conc[2], 0.5);
    EXPECT_EQ(s->ov_conc[f + 2], s->qbn_object->overland.species[2].conc.data);
    EXPECT_EQ(s->ov_conc[f + 2][4], 0.5);
    EXPECT_EQ(s->precip_conc[f + 1], 0.2);
    EXPECT_EQ(s->constituent_type[2], 1);
    EXPECT_EQ(s->constituent_type[f], 2);
}

TEST_F(NutrientSetup, SeriesFilesOpenUnderTheirNames)
{
    tables();
    ASSERT_TRUE(load(cards("OUT_HYD_NO3 no3\nOUT_HYD_DO oxygen\n"))) << out;
    for (const char* name : {"no3.conc", "no3.mass", "oxygen.conc", "oxygen.mass"})
        EXPECT_TRUE(file_exists(dir.file(name))) << name;
    EXPECT_FALSE(file_exists(dir.file("no2.conc")));
    EXPECT_TRUE(s->qbn_object->conc_files[1].fp);

    EXPECT_FALSE(load(cards("OUT_HYD_NH4 missing/nh4\n")));
    EXPECT_TRUE(
        printed("Error opening nutrient concentration output file (hydrograph style )\nfor the Ammonium "
                "(NH4+) hydrograph file. \nGiven filename: missing/nh4.conc\n"))
        << out;
    EXPECT_TRUE(printed("Error: Unable to open nutrient concentration file.")) << out;
}

// The channel totals are link/node files with a writer of their own: the run
// files leave them alone, so opening the run files neither creates them nor
// stops on a folder that is missing.
TEST_F(NutrientSetup, ChannelTotalsAreLeftToTheirLinkNodeWriters)
{
    tables();
    ASSERT_TRUE(load(cards("TOTAL_CHAN_N tn.out\nTOTAL_CHAN_KN tkn.out\nTOTAL_CHAN_P missing/tp.out\n")))
        << out;
    for (const char* name : {"tn.out", "tkn.out"})
        EXPECT_FALSE(file_exists(dir.file(name))) << name;
}
