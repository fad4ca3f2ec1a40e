// Sediment and contaminant inputs: the erosion method, water viscosity and
// settling velocities, the size classes and erosion properties, the
// contaminant table with shared and missing lines, and the growth of the
// per-constituent containers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/input_fixture.h"
#include "input/quality_inputs.h"

using namespace torva_test;

namespace
{

struct QualityInputs : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        option_checks = false;
        grid("soils.idx", "0 1 1 0\n1 1 2 2\n1 1 2 0\n");
    }
    // SEDIMENTS (classes of 0.05, 0.0625 and 0.5 mm) and SOIL_EROSION_PROPS.
    void sediment_tables(int erosion_classes = 3, const std::string& first_gravity = "2.65")
    {
        const std::string pad(40, ' ');
        file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx Soils\n"
                      "SEDIMENTS\nNUM_SED 3\nNAME  SG  D  FB  OUT\n"
                      "silt" + pad.substr(4) + first_gravity + " 0.05 0.1 silt.out\n"
                      "fine sand" + pad.substr(9) + "2.65,0.0625,0.2 \"fine sand.out\"\n"
                      "sand" + pad.substr(4) + "2.65\t0.5 0.3 sand.out\n"
                      "SOIL_EROSION_PROPS Soils\nNUM_IDS 2\nNUM_SED " + std::to_string(erosion_classes) +
                      "\nID\n" + mapping_row(1, "1 2 3 4 5 0.2 0.3 0.5") + mapping_row(2, "6 7 8 9 10 0.6 0.4 0"));
    }
    static std::string erosion_cards(const std::string& extra = "")
    {
        return cards_with("SOIL_EROSION 12\nOUTLET_SED_FLUX sed.out\nSAND_SIZE 0.0625\nMAPPING_TABLE t.cmt\n" + extra);
    }
};

// Settling velocity by hand: Stokes' law, and the Julien (1995) formula
// w = 8 nu / d (sqrt(1 + 0.0139 d*^3) - 1), d* = d ((G - 1) g / nu^2)^(1/3).
double stokes(double g, double d, double nu)
{
    return (g - 1.0) * 9.81 * d * d / (18.0 * nu);
}
double julien(double g, double d, double nu)
{
    const double dstar = d * std::cbrt((g - 1.0) * 9.81 / (nu * nu));
    return 8.0 * nu / d * (std::sqrt(1.0 + 0.0139 * dstar * dstar * dstar) - 1.0);
}

} // namespace

TEST(SedimentPhysics, ViscosityAndSettlingVelocity)
{
    // Water tables: 1.787e-6 m2/s at 0 C, 1.004e-6 at 20 C.
    EXPECT_NEAR(water_viscosity_at(0.0), 1.79e-6, 0.01 * 1.79e-6);
    EXPECT_NEAR(water_viscosity_at(20.0), 1.004e-6, 0.01 * 1.004e-6);
    const double nu = water_viscosity_at(20.0);
    EXPECT_DOUBLE_EQ(fall_velocity_of(2.65, 5e-5, nu), stokes(2.65, 5e-5, nu));
    EXPECT_DOUBLE_EQ(fall_velocity_of(2.65, 1e-4, nu), stokes(2.65, 1e-4, nu)) << "0.1 mm is still Stokes";
    for (double d : {1.1e-4, 5e-4, 2e-3})
        EXPECT_NEAR(fall_velocity_of(2.65, d, nu), julien(2.65, d, nu), 1e-5 * julien(2.65, d, nu)) << d;
    // Quartz sand of 0.5 mm settles at about 7 cm/s.
    EXPECT_NEAR(fall_velocity_of(2.65, 5e-4, nu), 0.07, 0.005);
}

TEST_F(QualityInputs, ErosionClassesAndPropertiesThroughTheHub)
{
    sediment_tables();
    ASSERT_TRUE(load(erosion_cards("WATER_TEMP -5\n"))) << out;
    EXPECT_EQ(s->sed.erosion_method, 2);
    EXPECT_EQ(s->ov_sed_scheme, 2);
    EXPECT_EQ(s->ov_con_trans, 1);
    EXPECT_EQ(s->sed.num_sed, 3);
    EXPECT_EQ(s->sed.water_temp, 0.0);
    const double nu = s->sed.water_viscosity;
    EXPECT_NEAR(nu, 1.79e-6, 0.01 * 1.79e-6);
    EXPECT_DOUBLE_EQ(s->fall_velocity[1], stokes(2.65, 5e-5, nu));
    EXPECT_NEAR(s->fall_velocity[3], julien(2.65, 5e-4, nu), 1e-5 * s->fall_velocity[3]);
    EXPECT_DOUBLE_EQ(s->particle_density[1], 2.65 * 998.2 * 1000.0);
    EXPECT_EQ(s->sed_output_names[2], "fine sand.out");
    // 0.0625 mm equals SAND_SIZE: sand. Fine classes come first.
    EXPECT_EQ(s->sand[1], 0);
    EXPECT_EQ(s->sand[2], 1);
    EXPECT_EQ(s->num_fine_classes, 1);
    EXPECT_EQ(s->num_sand_classes, 2);
    EXPECT_EQ(s->sed_class[1], 1);
    EXPECT_EQ(s->sed_class[3], 3);
    // Cell 4 has ID 1, cell 5 ID 2.
    EXPECT_EQ(s->splash_K[4], 1.0);
    EXPECT_EQ(s->sed_K[5], 10.0);
    EXPECT_EQ(s->detach_exp[5], 8.0);
    EXPECT_EQ(s->sed_fract[4][3][1], 0.5);
    EXPECT_EQ(s->sed_fract[5][1][1], 0.6);
    // The classes are the run's constituents; erosion without a contaminant
    // table adds no contaminants.
    EXPECT_EQ(s->num_constituents, 3);
    EXPECT_EQ(s->num_contam, 0);
    EXPECT_EQ(s->constituent_type.cap, 0);
    EXPECT_EQ(s->ov_conc.count, 0);
    EXPECT_TRUE(s->ov_point_q) << "the work arrays are sized";
}

// Erosion alone sets up no contaminant, so a load map has nothing to load.
TEST_F(QualityInputs, ALoadMapWithoutContaminantsIsRefused)
{
    sediment_tables();
    grid("load.map", "0 1 1 0\n1 1 2 2\n1 1 2 0\n");
    EXPECT_FALSE(load(erosion_cards("CONTAM_MAP load.map\n")));
    EXPECT_TRUE(
        printed("Error: the contaminant load map load.map sets the first contaminant's mass on the land, "
                "but the run has no contaminants (no CONTAMINANT_TRANSPORT table).\n"))
        << out;
}

// Two contaminants on the soil map: land values 10 and 20 (ID 1), 30 and
// 40 (ID 2). The load map replaces the first one's cell by cell.
TEST_F(QualityInputs, ALoadMapReplacesTheFirstContaminantsLandValue)
{
    file("t.cmt",
         "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx \"Soils\"\nCONTAMINANT_TRANSPORT\nNUM_CONTAM 2\n"
         "\"A\" \"Soils\" \"a.out\"\nPRECIP_CONC 0\nPARTITION 0\nNUM_IDS 2\nID\n" +
             mapping_row(1, "0 0 0 10 0 0 0 0") + mapping_row(2, "0 0 0 30 0 0 0 0") +
             "\"B\" \"Soils\" \"b.out\"\nPRECIP_CONC 0\nPARTITION 0\nNUM_IDS 2\nID\n" +
             mapping_row(1, "0 0 0 20 0 0 0 0") + mapping_row(2, "0 0 0 40 0 0 0 0"));
    const std::string cards = cards_with("OV_CON_TRANS\nMAPPING_TABLE t.cmt\nCONTAM_MAP load.map\n");
    grid("load.map", "0 1 2 0\n3 4 5 6\n7 8 9 0\n");
    ASSERT_TRUE(load(cards)) << out;
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(s->land_mass[1][i], i) << i;
    EXPECT_EQ(s->land_mass[2][4], 20.0);
    EXPECT_EQ(s->land_mass[2][5], 40.0);

    const struct {
        const char* map; // null: no file
        const char* message;
    } bad[] = {
        {nullptr, "Error: Unable to open contam file.\n"},
        {"0 1 2 0\n3 4 5 6\n", "Unexpected end of file in file: load.map\n"},
        {"0 1 2 0\n3 4 5x 6\n7 8 9 0\n",
         "Error: row 2, column 3 of map load.map holds \"5x\", which is not a number.\n"},
        {"0 1 2 0\n3 4 5 6\n7 -8 9 0\n", "Error: row 3, column 2 of the contaminant load map load.map holds "
                                         "-8; a load cannot be negative.\n"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.message);
        std::remove(dir.file("load.map").c_str());
        if (c.map)
            grid("load.map", c.map);
        EXPECT_FALSE(load(cards));
        EXPECT_TRUE(printed(c.message)) << out;
    }
}

TEST_F(QualityInputs, ErosionMethodOutsideTheFormulasIsRefused)
{
    sediment_tables();
    for (const char* method : {"0", "7", "10", "17"}) {
        EXPECT_FALSE(load(cards_with(std::string("SOIL_EROSION ") + method +
                                     "\nOUTLET_SED_FLUX sed.out\nSAND_SIZE 0.0625\nMAPPING_TABLE t.cmt\n")));
        EXPECT_TRUE(printed(std::string("Error: SOIL_EROSION ") + method +
                            " is not an erosion method: give 1 to 6, or 11 to 16 to carry the sediment as "
                            "overland constituents.\n"))
            << out;
    }
}

TEST_F(QualityInputs, SedimentTablesThatDoNotFitStopTheRun)
{
    sediment_tables(2);
    EXPECT_FALSE(load(erosion_cards()));
    EXPECT_TRUE(printed("Error: The number of sediments specified in the SEDIMENTS table is 3 while the number of "
                        "sediments \nspecified in the SED_EROS_PROPS table is 2. The values must match.\n"))
        << out;

    sediment_tables(3, "2.65x");
    EXPECT_FALSE(load(erosion_cards()));
    EXPECT_TRUE(printed("Error: row 1 of table SEDIMENTS in the mapping table file t.cmt: the specific gravity "
                        "\"2.65x\" is not a number.\n"))
        << out;

    // The capacity formulas and the settling velocity divide by the specific
    // gravity less 1 and by the diameter.
    sediment_tables(3, "1.0");
    EXPECT_FALSE(load(erosion_cards()));
    EXPECT_TRUE(printed("Error: row 1 of table SEDIMENTS in the mapping table file t.cmt: the specific gravity "
                        "\"1.0\" must lie above 1 and at most 25.\n"))
        << out;
    sediment_tables(3, "2.65 0");
    EXPECT_FALSE(load(erosion_cards()));
    EXPECT_TRUE(printed("Error: row 1 of table SEDIMENTS in the mapping table file t.cmt: the particle diameter "
                        "\"0\" must lie above 0 and at most 1000.\n"))
        << out;

    file("t.cmt", "TORVA_INDEX_MAP_TABLES\n");
    EXPECT_FALSE(load(erosion_cards()));
    EXPECT_TRUE(printed("Error: Sediment transport specified but sediments table missing in the .cmt file.\n")) << out;

    sediment_tables();
    EXPECT_FALSE(load(cards_with("SOIL_EROSION 1\nSAND_SIZE 0.0625\nMAPPING_TABLE t.cmt\n")));
    EXPECT_TRUE(printed("outlet sediment hydrograph")) << out;
}

TEST_F(QualityInputs, ContaminantsKeepTheirOwnValues)
{
    grid("land.idx", "0 1 2 0\n2 2 2 2\n2 2 2 0\n");
    const std::string header = "ID\n";
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx \"Soils\"\nINDEX_MAP land.idx \"Land\"\n"
                  "CONTAMINANT_TRANSPORT\nNUM_CONTAM 3\n"
                  "\"Nitrate\" \"Soils\" \"no3 out.txt\"\nPRECIP_CONC 0.5\nPARTITION 2\nNUM_IDS 2\n" + header +
                  mapping_row(1, "1 0.1 0.01 10 1 0.5 7 0.05") + mapping_row(2, "2 0.2 0.02 20 2 0.6 8 0.06") +
                  // The second shares the first's index map.
                  "\"Atrazine\" \"Soils\" \"atr.out\"\nPRECIP_CONC 0\nPARTITION 3\nNUM_IDS 2\n" + header +
                  mapping_row(2, "4 0.4 0 40 4 0.8 9 0.08") + mapping_row(1, "3 0.3 0 30 3 0.7 9 0.07") +
                  "\"Lead\" \"Land\" \"pb.out\"\nPRECIP_CONC 0.7\nPARTITION 0\nNUM_IDS 2\n" + header +
                  mapping_row(1, "5 0.5 0 50 5 0.9 9 0.09") + mapping_row(2, "6 0.6 0 60 6 1.0 9 0.10"));
    ASSERT_TRUE(load(cards_with("OV_CON_TRANS\nMAPPING_TABLE t.cmt\n"))) << out;
    EXPECT_TRUE(printed("\nReading contaminant table...  3 contaminants found\n"
                        "  Checking Nitrate............................In map soils.idx category 1 has 6 values\n"
                        "In map soils.idx category 2 has 3 values\nfound and read index map\n"
                        "  Checking Atrazine...........................In map soils.idx"))
        << out;
    EXPECT_EQ(s->num_contam, 3);
    EXPECT_EQ(s->constituent_names[3], "Lead");
    EXPECT_EQ(s->contam_output_names[1], "no3 out.txt");
    EXPECT_EQ(s->precip_conc[1], 0.5);
    EXPECT_EQ(s->precip_conc[2], 0.0);
    EXPECT_EQ(s->precip_conc[3], 0.7);
    EXPECT_EQ(s->water_soil_partition_coef[2], 3.0);
    EXPECT_EQ(s->water_soil_partition_coef[1], 2.0);
    EXPECT_EQ(s->water_soil_partition_coef[3], 0.0);
    // Cell 4 has soil ID 1, cell 5 ID 2 (both maps of the first two), and
    // land ID 2; rows are found by ID, not by their order.
    EXPECT_EQ(s->ov_con_table_1[1][4], 1.0);
    EXPECT_EQ(s->ov_decay[1][5], 0.2);
    EXPECT_EQ(s->land_mass[2][5], 40.0);
    EXPECT_EQ(s->ov_soil_conc[2][4], 0.07);
    EXPECT_EQ(s->ov_con_table_1[3][4], 6.0);
    EXPECT_EQ(s->num_constituents, 3);
    EXPECT_EQ(s->constituent_type[3], 1);
    EXPECT_FALSE(printed("Warning")) << out;

    // An index-map name the INDEX_MAP lines do not declare: the table's own
    // message, the constituent and the name, and the read ends with error 69.
    std::string text = read_file(dir.file("t.cmt"));
    text.replace(text.find("\"Atrazine\" \"Soils\""), 18, "\"Atrazine\" \"Clay\"");
    file("t.cmt", text);
    EXPECT_FALSE(load(cards_with("OV_CON_TRANS\nMAPPING_TABLE t.cmt\n")));
    EXPECT_TRUE(printed("  Checking Atrazine...........................unable to match index map\n"
                        "Error: constituent #2 of table CONTAMINANT_TRANSPORT in the mapping table file t.cmt names "
                        "the index map \"Clay\", which no INDEX_MAP line declares.\n"
                        "  Checking Lead...............................In map land.idx"))
        << out;
    EXPECT_TRUE(printed("Error reading the contaminant transport tables in the mapping table file.\n")) << out;

    EXPECT_FALSE(load(cards_with("OV_CON_TRANS\n")));
    EXPECT_TRUE(printed("Error: The number of contaminants is not a positive value.\n"
                        "Error: OV_CON_TRANS needs the CONTAMINANT_TRANSPORT table of a mapping table file "
                        "(MAPPING_TABLE).\n"))
        << out;
}

TEST_F(QualityInputs, ContaminantLinesRefuseAValueTooMany)
{
    struct extra_case {
        std::string precip, partition, row2; // lines 6, 7 and 11 of the file
        const char* message; // nullptr: the table is read
    };
    const extra_case cases[] = {
        {"0.5", "2", "2 0.2 0.02 20 2 0.6 8 0.06", nullptr},
        {"0.5 mg/L", "2", "2 0.2 0.02 20 2 0.6 8 0.06 remark", nullptr},
        {"0.5 0.6", "2", "2 0.2 0.02 20 2 0.6 8 0.06",
         "Error: table CONTAMINANT_TRANSPORT in the mapping table file t.cmt, line 6: the PRECIP_CONC line of "
         "constituent #1 holds more than one value (\"0.6\" follows it).\n"},
        {"0.5", "2 3", "2 0.2 0.02 20 2 0.6 8 0.06",
         "line 7: the PARTITION line of constituent #1 holds more than one value (\"3\" follows it).\n"},
        {"0.5", "2", "2 0.2 0.02 20 2 0.6 8 0.06 9",
         "Error: in table CONTAMINANT_TRANSPORT of the mapping table file t.cmt, line 11: ID 2 has more values "
         "than the table's 8 (\"9\" follows them).\n"},
        {"0.5", "2", "2 0.2 0.02 20 2 0.6 8", ", column 8 of ID 2 is missing.\n"},
    };
    for (const extra_case& c : cases) {
        file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx \"Soils\"\nCONTAMINANT_TRANSPORT\nNUM_CONTAM 1\n"
                      "\"Nitrate\" \"Soils\" \"no3.out\"\nPRECIP_CONC " + c.precip + "\nPARTITION " + c.partition +
                      "\nNUM_IDS 2\nID\n" + mapping_row(1, "1 0.1 0.01 10 1 0.5 7 0.05") + mapping_row(2, c.row2));
        const bool loaded = load(cards_with("OV_CON_TRANS\nMAPPING_TABLE t.cmt\n"));
        if (!c.message) {
            EXPECT_TRUE(loaded) << c.precip << " | " << c.row2 << "\n" << out;
            if (loaded) {
                EXPECT_EQ(s->precip_conc[1], 0.5);
                EXPECT_EQ(s->ov_soil_conc[1][5], 0.06); // cell 5 has soil ID 2
            }
            continue;
        }
        EXPECT_FALSE(loaded) << c.precip << " | " << c.partition << " | " << c.row2;
        EXPECT_TRUE(printed(c.message)) << out;
    }
}

TEST_F(QualityInputs, NutrientSpeciesGrowEveryContainer)
{
    ASSERT_TRUE(load(cards_with(""))) << out;
    s->nutrients = 1;
    s->soil_con_trans = 1;
    s->soil_con_layers = 2;
    grow_constituent_arrays(*s, 9, s->num_cells, 1);
    EXPECT_EQ(s->num_constituents, 13);
    EXPECT_EQ(s->first_qbn_constituent, 1);
    for (int i = 1; i <= 13; ++i)
        EXPECT_EQ(s->constituent_type[i], i <= 9 ? 2 : 3) << i;
    EXPECT_EQ(s->OV_MASS_INIT.cap, 13);
    EXPECT_EQ(s->event_ov_neg_mass.cap, 13);
    EXPECT_EQ(s->soil_decay_mass.cap, 13);
    EXPECT_EQ(s->ov_conc.count, 13);
    EXPECT_EQ(s->land_mass.count, 13);
    EXPECT_EQ(s->soil_conc.count, 13);
    EXPECT_EQ(s->soil_conc.cols, 3);
}
