// The standalone layered soil table: values land in their soil id's record
// and layer; an id beyond the records, a table that ends early and a word
// where a number belongs stop with a message naming the id and the field.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/mapping_table.h"
#include "subsurface/soil_tables.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

const std::string layer12 = "1.5 0.25 11 0.45 0.3 0.1 0.05 0.2 20\n";
const std::string layer3 = "0.5 0.2 15 0.4 0.3 0.1 0.04 0.25\n";

struct SoilTable : testing::Test {
    scratch_dir dir{"soil_table"};
    std::unique_ptr<model_state> s = std::make_unique<model_state>();
    std::string out;
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }

    bool read(const std::string& text)
    {
        write_file(dir.file("layers.tab"), text);
        file_rec table;
        EXPECT_TRUE(file_rec_open(table, dir.file("layers.tab"), "r"));
        testing::internal::CaptureStdout();
        const bool ok = read_soil_layer_table(table, "layers.tab", *s);
        out = testing::internal::GetCapturedStdout();
        file_rec_close(table);
        return ok;
    }
};

} // namespace

TEST_F(SoilTable, LayeredValuesGoToTheirIdAndLayer)
{
    ASSERT_TRUE(read("2\n0\n9999\n" + layer12 + "2.5, 0.3, 12, 0.5, 0.35, 0.12, 0.06, 0.22, 30\n" + layer3 + "0\n" +
                     layer12 + layer12 + layer3))
        << out;
    const soil_layer_rec& r = s->soil_layers[9999];
    EXPECT_EQ(r.hyd_cond[0], 1.5);
    EXPECT_EQ(r.hyd_cond[1], 2.5);
    EXPECT_EQ(r.hyd_cond[2], 0.5);
    EXPECT_EQ(r.pore_index[1], 0.3);
    EXPECT_EQ(r.cap_head[2], 15.0);
    EXPECT_EQ(r.porosity[1], 0.5);
    EXPECT_EQ(r.field_capacity[1], 0.35);
    EXPECT_EQ(r.wilting_point[1], 0.12);
    EXPECT_EQ(r.residual_sat[2], 0.04);
    EXPECT_EQ(r.init_moisture[2], 0.25);
    EXPECT_EQ(r.depth[0], 20.0);
    EXPECT_EQ(r.depth[1], 30.0);
    EXPECT_EQ(r.depth[2], 0.0); // the third layer has no thickness
    EXPECT_EQ(s->soil_layers[0].hyd_cond[0], 1.5);
}

TEST_F(SoilTable, BadTablesStopNamingTheIdAndTheField)
{
    struct bad_case {
        const char* name;
        std::string text;
        const char* message;
    };
    const bad_case cases[] = {
        {"id beyond the records", "1\n0\n10000\n" + layer12 + layer12 + layer3,
         "Error: soil table layers.tab: soil id 10000 is outside 0 to 9999.\n"},
        {"negative id", "1\n0\n-1\n" + layer12 + layer12 + layer3,
         "Error: soil table layers.tab: soil id -1 is outside 0 to 9999.\n"},
        {"ends early", "1\n0\n7\n" + layer12 + layer12,
         "Error: soil table layers.tab, soil id 7, layer 3: the conductivity is missing.\n"},
        {"short line", "1\n0\n7\n" + layer12 + "1.5 0.25 11 0.45 0.3 0.1 0.05 0.2\n" + layer3,
         "Error: soil table layers.tab, soil id 7, layer 2: the thickness is missing.\n"},
        {"word for a number", "1\n0\n7\n" + layer12 + layer12 + "0.5 0.2 15 0.4 0.3 dry 0.04 0.25\n",
         "Error: soil table layers.tab, soil id 7, layer 3: the wilting point is not a number.\n"},
        {"porosity above one", "1\n0\n7\n" + layer12 + layer12 + "0.5 0.2 15 1.4 0.3 0.1 0.04 0.25\n",
         "Error: soil table layers.tab, soil id 7, layer 3: the porosity 1.4 is outside 0 to 1.\n"},
        {"fewer types than counted", "2\n0\n7\n" + layer12 + layer12 + layer3,
         "Error: soil table layers.tab: the id of soil type 2 of 2 is missing.\n"},
        {"no count", "", "Error: soil table layers.tab: the number of soil types is missing.\n"},
    };
    for (const bad_case& c : cases) {
        error_state_clear();
        s = std::make_unique<model_state>();
        EXPECT_FALSE(read(c.text)) << c.name;
        EXPECT_NE(out.find(c.message), std::string::npos) << c.name << "\n" << out;
        EXPECT_TRUE(error_state.raised) << c.name;
    }
}

namespace
{

// A mapping-table file with a MULTI_LAYER_SOIL section of the given rows.
std::string multi_layer_section(int ids, const std::string& rows)
{
    return "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx Soils\nMULTI_LAYER_SOIL Soils\nNUM_IDS " +
           std::to_string(ids) + "\nNUM_SATURATED_DEPTH 0\nID  DESCRIPTION  K  PSD  HC  POR  FC  WP  RES  INIT  D\n" + rows;
}

} // namespace

TEST_F(SoilTable, MultiLayerSectionTakesTheFirstNonZeroNumberAfterTheId)
{
    struct section_case {
        const char* name;
        std::string rows;
        int result;
        double k1;
        const char* message;
    };
    const std::string rest = "0.25 11 0.45 0.3 0.1 0.05 0.2 20\n" + layer12 + layer3;
    const section_case cases[] = {
        // "Soil 2" is meant as a name, but its number is the conductivity.
        {"number in the description", "12 Soil 2 " + rest, 1, 2.0, ""},
        {"zero then a number", "12 Silt 0 1.5 " + rest, 1, 1.5, ""},
        {"id beyond the records", "10000 Loam 1.5 " + rest, -1, 0.0,
         "Error: soil table t.cmt: soil id 10000 is outside 0 to 9999.\n"},
        {"truncated", "12 Loam 1.5 " + rest.substr(0, rest.size() - layer3.size()), -1, 0.0,
         "Error: soil table t.cmt, soil id 12, layer 3: the conductivity is missing.\n"},
        {"word for a number", "12 Loam 1.5 0.25 11 0.45 wet 0.1 0.05 0.2 20\n" + layer12 + layer3, -1, 0.0,
         "Error: soil table t.cmt, soil id 12, layer 1: the field capacity is not a number.\n"},
        // A conductivity beyond the reals is the conductivity, not a word of
        // the description (the row was refused as short, naming another field).
        {"nan conductivity", "12 Loam nan " + rest, -1, 0.0,
         "Error: soil table t.cmt, line 7, soil id 12, layer 1: the conductivity \"nan\" is not finite.\n"},
        {"inf conductivity", "12 Loam -INF " + rest, -1, 0.0,
         "Error: soil table t.cmt, line 7, soil id 12, layer 1: the conductivity \"-INF\" is not finite.\n"},
        {"conductivity too large", "12 Loam 1e400 " + rest, -1, 0.0,
         "Error: soil table t.cmt, line 7, soil id 12, layer 1: the conductivity \"1e400\" is out of range.\n"},
        {"names that begin like nan and inf", "12 Nancy Inferior 1.5 " + rest, 1, 1.5, ""},
    };
    for (const section_case& c : cases) {
        error_state_clear();
        s = std::make_unique<model_state>();
        write_file(dir.file("t.cmt"), multi_layer_section(1, c.rows));
        file_rec table;
        ASSERT_TRUE(file_rec_open(table, dir.file("t.cmt"), "r"));
        std::string index_map;
        find_mapping_table(table, tc_multi_layer_soil, index_map);
        testing::internal::CaptureStdout();
        const int got = read_multi_layer_soil_table(table, "t.cmt", *s);
        out = testing::internal::GetCapturedStdout();
        file_rec_close(table);
        EXPECT_EQ(got, c.result) << c.name << "\n" << out;
        if (c.result > 0) {
            EXPECT_EQ(s->soil_layers[12].hyd_cond[0], c.k1) << c.name;
            EXPECT_EQ(s->soil_layers[12].depth[0], 20.0) << c.name;
            EXPECT_EQ(s->soil_layers[12].hyd_cond[2], 0.5) << c.name;
            EXPECT_EQ(s->soil_layers[12].init_moisture[2], 0.25) << c.name;
        } else {
            EXPECT_NE(out.find(c.message), std::string::npos) << c.name << "\n" << out;
        }
    }
}

namespace
{

// Cells of one soil type each, given ground height above the aquifer bottom.
void richards_cells(model_state& s, const std::vector<int>& types, const std::vector<double>& thickness)
{
    const int n = static_cast<int>(types.size());
    s.num_cells = n;
    s.soiltype.assign(n, 0);
    s.numcells.assign(n, 0);
    s.numtot.assign(n, 0);
    s.ground_elev.assign(n, 100.0);
    s.bottom_elev.assign(n, 0.0);
    for (int i = 1; i <= n; ++i) {
        s.soiltype[i] = types[static_cast<std::size_t>(i - 1)];
        s.bottom_elev[i] = 100.0 - thickness[static_cast<std::size_t>(i - 1)];
    }
}

// Brooks-Corey layer lines of 10, 20 and 30 cm in 5 cm nodes; the bubbling
// head is given positive.
const std::string brooks_layers = "3.6 0.45 0.05 0.2 0.1 0.3 10 0.4 20 5\n"
                                  "1.8 0.40 0.04 0.2 0.1 0.3 20 0.3 25 5\n"
                                  "0.9 0.35 0.03 0.2 0.1 0.3 30 0.2 30 5\n";

} // namespace

TEST_F(SoilTable, RichardsBrooksCoreyStandaloneWithVegetationAndNodeCounts)
{
    for (int wt : {0, 1}) {
        error_state_clear();
        s = std::make_unique<model_state>();
        // Aquifer below the soil: none, 0.05, 0.33 and 0.32 m.
        richards_cells(*s, {4, 4, 4, 4}, {0.5, 0.65, 0.93, 0.92});
        s->long_term = 1;
        s->water_table = wt;
        s->aquifer_delta_z = 0.1;
        s->dist_albedo.assign(4, 0.0);
        s->dist_canopy_resist.assign(4, 0.0);
        write_file(dir.file("rich.tab"), "2 0\n9\n0.2 1.5 0.8 40\n" + brooks_layers + "4 0.25 2.0 0.9 60\n" +
                                             brooks_layers);
        file_rec table;
        ASSERT_TRUE(file_rec_open(table, dir.file("rich.tab"), "r"));
        testing::internal::CaptureStdout();
        const int most = read_richards_soil_table(*s, table, 1, 0);
        out = testing::internal::GetCapturedStdout();
        file_rec_close(table);
        const soil_layer_rec& r = s->soil_layers[4];
        EXPECT_EQ(r.bubbling_head[0], -20.0);
        EXPECT_EQ(r.bubbling_head[2], -30.0);
        EXPECT_EQ(r.pore_index[1], 0.3);
        EXPECT_EQ(r.node_spacing[2], 5.0);
        EXPECT_EQ(r.hyd_cond[2], 0.9);
        EXPECT_EQ(r.field_capacity[0], 0.3);
        EXPECT_EQ(s->dist_albedo[2], 0.25);
        EXPECT_EQ(s->dist_canopy_resist[3], 60.0);
        ASSERT_EQ(s->num3.size(), 9); // sized by the largest id
        EXPECT_EQ(s->num1[4], 2);
        EXPECT_EQ(s->num2[4], 6);
        if (!wt) {
            EXPECT_EQ(s->num3[4], 13);
            EXPECT_EQ(s->numcells[1], 13);
            EXPECT_EQ(most, 15);
        } else {
            EXPECT_EQ(s->num3[4], 12); // one less with a water table
            const int expected[] = {13, 14, 17, 16}; // 3.3 steps round up, 3.2 do not
            for (int i = 1; i <= 4; ++i) {
                EXPECT_EQ(s->numtot[i], expected[i - 1]) << i;
                EXPECT_EQ(s->numcells[i], expected[i - 1] + 9) << i;
            }
            EXPECT_EQ(most, 17 + 9 + 2);
        }
    }
}

TEST_F(SoilTable, RichardsHavercampSectionReadsValuesFromCharacter88)
{
    richards_cells(*s, {3, 3}, {0.5, 0.5});
    const std::string first = "     3 Sandy loam 2 (survey 1999)";
    const std::string values = "3.6 0.45 0.05 0.2 0.1 0.3 10 15 1.8 1e6 4.7 5\n";
    write_file(dir.file("t.cmt"), "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx Soils\n"
                                  "RICHARDS_EQN_INFILTRAIION_HAVERCAMP Soils\nNUM_IDS 1\nNUM_SATURATED_DEPTH 0\n"
                                  "ID DESCRIPTION K POR\n" +
                                      first + std::string(87 - first.size(), ' ') + values + values + values);
    file_rec table;
    ASSERT_TRUE(file_rec_open(table, dir.file("t.cmt"), "r"));
    std::string index_map;
    find_mapping_table(table, tc_richards_havercamp, index_map);
    testing::internal::CaptureStdout();
    const int most = read_richards_soil_table(*s, table, 2, 1);
    out = testing::internal::GetCapturedStdout();
    file_rec_close(table);
    EXPECT_EQ(most, 2 + 2 + 2 + 1 + 2) << out;
    const soil_layer_rec& r = s->soil_layers[3];
    EXPECT_EQ(r.hyd_cond[0], 3.6);
    EXPECT_EQ(r.hav_alpha[0], 15.0);
    EXPECT_EQ(r.hav_beta[1], 1.8);
    EXPECT_EQ(r.hav_a[2], 1e6);
    EXPECT_EQ(r.hav_b[2], 4.7);
    EXPECT_EQ(r.node_spacing[2], 5.0);
}

TEST_F(SoilTable, RichardsTablesRefuseBadIdsAndShortTables)
{
    struct bad_case {
        const char* name;
        std::string text;
        const char* message;
    };
    const bad_case cases[] = {
        {"id beyond the records", "1 0\n10000\n" + brooks_layers,
         "soil id 10000 is outside 0 to 9999.\n"},
        {"ends early", "1 0\n4\n" + brooks_layers.substr(0, brooks_layers.size() - 6),
         "soil id 4, layer 3: the bubbling head is missing.\n"},
        {"word for a number", "1 0\n4\n3.6 0.45 x 0.2 0.1 0.3 10 0.4 20 5\n" + brooks_layers,
         "soil id 4, layer 1: the residual water content is not a number.\n"},
        {"cell of a type not in the table", "1 0\n5\n" + brooks_layers,
         "has no soil id 4, the soil type of cell 1.\n"},
    };
    for (const bad_case& c : cases) {
        error_state_clear();
        s = std::make_unique<model_state>();
        richards_cells(*s, {4}, {0.5});
        write_file(dir.file("rich.tab"), c.text);
        file_rec table;
        ASSERT_TRUE(file_rec_open(table, dir.file("rich.tab"), "r"));
        testing::internal::CaptureStdout();
        EXPECT_EQ(read_richards_soil_table(*s, table, 1, 0), -1) << c.name;
        out = testing::internal::GetCapturedStdout();
        file_rec_close(table);
        EXPECT_NE(out.find(c.message), std::string::npos) << c.name << "\n" << out;
    }
}

TEST_F(SoilTable, MappingTableSoilSectionsRefuseANumberAfterALinesValues)
{
    struct row_case {
        const char* name;
        int code;
        std::string rows;    // rows of soil id 4; lines 7 to 9 of the file
        const char* message; // empty when the section is accepted
    };
    const std::string first = "     4 Loam";
    const std::string pad(87 - first.size(), ' ');
    const std::string brooks = "3.6 0.45 0.05 0.2 0.1 0.3 10 0.4 20 5";
    const std::string more = "Error: in table MULTI_LAYER_SOIL of the mapping table file t.cmt, line ";
    // The Richards reader names the file as it was opened.
    const std::string brooks_more =
        "Error: in table RICHARDS_EQN_INFILTRATION_BROOKS of the mapping table file " + dir.file("t.cmt") +
        ", line ";
    const std::string layer3_remark = layer3.substr(0, layer3.size() - 1) + "  clay, 1999 survey\n";
    const std::string lines[] = {
        more + "8: ID 4 has more values than the table's 9 (\"7\" follows them).\n",
        more + "9: ID 4 has more values than the table's 8 (\"30\" follows them).\n",
        brooks_more + "7: ID 4 has more values than the table's 10 (\"0.5\" follows them).\n",
        brooks_more + "9: ID 4 has more values than the table's 10 (\"1e-3\" follows them).\n",
    };
    const row_case cases[] = {
        {"layered, exact count", tc_multi_layer_soil,
         "4 Loam 1.5 0.25 11 0.45 0.3 0.1 0.05 0.2 20\n" + layer12 + layer3, ""},
        {"layered, remark after the values", tc_multi_layer_soil,
         "4 Loam 1.5 0.25 11 0.45 0.3 0.1 0.05 0.2 20 (field 2)\n" + layer12 + layer3_remark, ""},
        {"layered, one number too many", tc_multi_layer_soil,
         "4 Loam 1.5 0.25 11 0.45 0.3 0.1 0.05 0.2 20\n" + layer12.substr(0, layer12.size() - 1) + " 7\n" +
             layer3,
         lines[0].c_str()},
        {"layered, thickness on layer 3", tc_multi_layer_soil,
         "4 Loam 1.5 0.25 11 0.45 0.3 0.1 0.05 0.2 20\n" + layer12 + layer3.substr(0, layer3.size() - 1) +
             " 30\n",
         lines[1].c_str()},
        {"layered, short row", tc_multi_layer_soil,
         "4 Loam 1.5 0.25 11 0.45 0.3 0.1 0.05 0.2 20\n1.5 0.25 11 0.45 0.3 0.1 0.05 0.2\n" + layer3,
         "Error: soil table t.cmt, soil id 4, layer 2: the thickness is missing.\n"},
        {"Richards, exact count", tc_richards_brooks,
         first + pad + brooks + "\n" + brooks + "\n" + brooks + "\n", ""},
        {"Richards, remark after the values", tc_richards_brooks,
         first + pad + brooks + " sandy\n" + brooks + "\t# 2\n" + brooks + " , x 5\n", ""},
        {"Richards, one number too many", tc_richards_brooks,
         first + pad + brooks + " 0.5\n" + brooks + "\n" + brooks + "\n", lines[2].c_str()},
        {"Richards, one number too many on layer 3", tc_richards_brooks,
         first + pad + brooks + "\n" + brooks + "\n" + brooks + " 1e-3\n", lines[3].c_str()},
        {"Richards, short row", tc_richards_brooks,
         first + pad + brooks + "\n" + brooks + "\n3.6 0.45 0.05 0.2 0.1 0.3 10 0.4 20\n",
         "soil id 4, layer 3: the node spacing is missing.\n"},
    };
    for (const row_case& c : cases) {
        error_state_clear();
        s = std::make_unique<model_state>();
        richards_cells(*s, {4}, {0.5});
        const std::string section =
            c.code == tc_multi_layer_soil ? "MULTI_LAYER_SOIL" : "RICHARDS_EQN_INFILTRATION_BROOKS";
        write_file(dir.file("t.cmt"), "TORVA_INDEX_MAP_TABLES\nINDEX_MAP soils.idx Soils\n" + section +
                                          " Soils\nNUM_IDS 1\nNUM_SATURATED_DEPTH 0\nID DESCRIPTION K\n" +
                                          c.rows);
        file_rec table;
        ASSERT_TRUE(file_rec_open(table, dir.file("t.cmt"), "r"));
        std::string index_map;
        find_mapping_table(table, c.code, index_map);
        testing::internal::CaptureStdout();
        const int got = c.code == tc_multi_layer_soil ? read_multi_layer_soil_table(table, "t.cmt", *s)
                                                      : read_richards_soil_table(*s, table, 1, 1);
        out = testing::internal::GetCapturedStdout();
        file_rec_close(table);
        if (*c.message) {
            EXPECT_EQ(got, -1) << c.name;
            EXPECT_NE(out.find(c.message), std::string::npos) << c.name << "\n" << out;
            EXPECT_TRUE(error_state.raised) << c.name;
        } else {
            EXPECT_GT(got, 0) << c.name << "\n" << out;
            EXPECT_FALSE(error_state.raised) << c.name;
            EXPECT_EQ(s->soil_layers[4].hyd_cond[2], c.code == tc_multi_layer_soil ? 0.5 : 3.6) << c.name;
        }
    }
}
