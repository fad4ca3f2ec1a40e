// The mapping-table file: keyword codes, the table search and rows, index
// maps, the generic reader, the presence report and the tables with
// layouts of their own (time-series index, wells, wetlands, rating curves).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/elev_series.h"
#include "input/input_fixture.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/time_series.h"
#include "subsurface/wells.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

// A data row: ID in columns 1-6, a description up to column 86, values.
std::string table_row(int id, const std::string& values, const std::string& description = "")
{
    char id_field[16];
    std::snprintf(id_field, sizeof id_field, "%6d", id);
    std::string desc = description;
    desc.resize(80, ' ');
    return id_field + desc + values + "\n";
}

struct MappingTable : testing::Test {
    scratch_dir dir{"mapping"};
    imat mask;
    std::string out;
    double north = 0, south = 0, east = 0, west = 0;
    int rows = 0, cols = 0;

    void SetUp() override
    {
        reset_file_name_globals();
        error_state_clear();
        mask.assign(4, 5, 0);
        const int numbers[3][4] = {{0, 1, 2, 0}, {3, 4, 5, 6}, {7, 8, 9, 0}};
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= 4; ++c)
                mask[r][c] = numbers[r - 1][c - 1];
        ts_index_read = 1; // no time-series index in these files
    }
    void TearDown() override
    {
        ts_free_all();
        error_state_clear();
    }
    std::string path(const std::string& name) const { return dir.file(name); }
    void file(const std::string& name, const std::string& text) { write_file(path(name), text); }
    void grid(const std::string& name, const std::string& values) { file(name, grid_header_3x4 + values); }

    // A mapping-table file with one index map "Map" and the given tables.
    void table_file(const std::string& tables, const std::string& index_map = "ids.idx")
    {
        file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP " + path(index_map) + " Map\n" + tables);
    }
    int read(int code, dvec* a, dvec* b = nullptr)
    {
        testing::internal::CaptureStdout();
        const int got = read_mapping_table(1, path("t.cmt"), code, table_destinations{a, b}, north, south,
                                           east, west, rows, cols, mask, 3, 4, nullptr);
        out = testing::internal::GetCapturedStdout();
        return got;
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }
};

} // namespace

TEST(TableCodes, KeywordsAreComparedOverTheirOwnLength)
{
    struct code_case {
        const char* line;
        int code;
    };
    const code_case cases[] = {
        {"ROUGHNESS Map", 0}, // only table_line_code knows ROUGHNESS
        {"ROUGH_EXP Map", tc_rough_exp},
        {"GROUNDWATER_BOUNDARY Map", tc_groundwater_boundary},
        {"GROUNDWATER Map", tc_groundwater},
        {"QBN_NITROGEN Map", tc_qbn_n},
        {"QBN_SOIL_KOC Map", tc_qbn_soil_koc},
        {"RICHARDS_EQN_INFILTRAIION_HAVERCAMP Map", tc_richards_havercamp},
        {"NUM_IDS 3", tc_num_ids},
        {" ROUGH_EXP Map", 0},
        {"rough_exp Map", 0},
    };
    for (const code_case& c : cases)
        EXPECT_EQ(table_code_from_name(c.line), c.code) << c.line;
    EXPECT_EQ(table_line_code("ROUGHNESS Map"), tc_roughness);
    EXPECT_EQ(table_name_from_code(tc_roughness), "ROUGHNESS");
    EXPECT_EQ(table_name_from_code(tc_well_table), "WELL_TABLE");
    EXPECT_EQ(table_values_per_row(tc_green_ampt_infiltration), 7);
    EXPECT_EQ(table_values_per_row(tc_ovr_flow_block), 5);
}

// The fixture file: two index maps (one of them declared twice, with a
// quoted name holding a blank), a roughness and an interception table.
TEST_F(InputProject, RoughnessAndInterceptionTablesFillTheRightCells)
{
    for (const auto& e : std::filesystem::directory_iterator(TORVA_TEST_DATA "/mapping"))
        std::filesystem::copy_file(e.path(), dir.file(e.path().filename().string()));
    ASSERT_TRUE(load(std::string(base_cards_3x4) + "MAPPING_TABLE land.cmt\nINTERCEPTION\n")) << out;

    const double n[] = {0, 0.15, 0.035, 0.011, 0.15, 0.035, 0.011, 0.15, 0.011, 0.035};
    const double cap[] = {0, 0.5, 1.5, 1.5, 1.5, 0.5, 0.5, 0.5, 0.5, 1.5};
    const double coeff[] = {0, 0.8, 0.2, 0.2, 0.2, 0.8, 0.8, 0.8, 0.8, 0.2};
    for (int i = 1; i <= 9; ++i) {
        EXPECT_DOUBLE_EQ(s->dist_rough[i], n[i]) << i;
        EXPECT_DOUBLE_EQ(s->dist_icep_cap[i], cap[i]) << i;
        EXPECT_DOUBLE_EQ(s->dist_icep_coeff[i], coeff[i]) << i;
        EXPECT_EQ(s->roughness_exp[i], 0.0);
    }
    EXPECT_TRUE(printed("reading roughness table and map from master table file\n")) << out;
    EXPECT_TRUE(printed("In map land use.idx category 1 has 3 values\n"
                        "In map land use.idx category 2 has 3 values\n"
                        "In map land use.idx category 3 has 3 values\n"))
        << out;
    EXPECT_TRUE(
        printed("In map soils.idx category 10 has 5 values\nIn map soils.idx category 20 has 4 values\n"));
    const std::string summary = read_file(dir.file("run.sum"));
    EXPECT_NE(summary.find("In map soils.idx category 20 has 4 values\n"), std::string::npos);
    EXPECT_NE(summary.find("reading interception coeff. table and map from the master table file\n"),
              std::string::npos);
}

TEST_F(InputProject, PresenceReportLayout)
{
    for (const auto& e : std::filesystem::directory_iterator(TORVA_TEST_DATA "/mapping"))
        std::filesystem::copy_file(e.path(), dir.file(e.path().filename().string()));
    load(std::string(base_cards_3x4) + "MAPPING_TABLE land.cmt\nINTERCEPTION\n");
    const std::string report = "\nChecking 2D grid mapping tables...\n"
                               "  Roughness..........................Y\n"
                               "  Rough_exp..........................N\n"
                               "  Ovr_flow_block.....................N\n"
                               "  Interception.......................Y\n"
                               "  Retention..........................N\n"
                               "  G&A Infiltration...................N\n"
                               "  G&A Soil Moisture..................N\n"
                               "  Multi layer G&A Infiltration.......N\n"
                               "  Richards Havercamp.................N\n"
                               "  Richards Brooks....................N\n"
                               "  Evapotranspiration.................N\n"
                               "  Sediments..........................N\n"
                               "  Sediment Erosion Properties........N\n"
                               "  Contaminants.......................N\n"
                               "  Wetlands...........................N\n"
                               "  Overland Boundary..................N\n"
                               "  Groundwater Wells..................N\n"
                               "  Groundwater........................N\n"
                               "  Groundwater Boundary...............N\n"
                               "  Area Reduction.....................N\n"
                               "  QBN Nitrogen.......................N\n"
                               "  QBN Phosphorus.....................N\n"
                               "  QBN Other..........................N\n"
                               "  QBN Carbon.........................N\n"
                               "  QBN Dispersion.....................N\n"
                               "  QBN Soil Carbon....................N\n"
                               "  QBN Soil Nitrogen..................N\n"
                               "  QBN Soil Phosphorus................N\n"
                               "  QBN Groundwater Nitrogen...........N\n"
                               "  QBN Groundwater Phosphorus.........N\n"
                               "  QBN Groundwater Other..............N\n"
                               "  QBN Soil Km........................N\n"
                               "  QBN Soil Koc.......................N\n";
    EXPECT_TRUE(printed(report)) << out;
    EXPECT_EQ(s->mapping_table_flags[mt_roughness], 1);
    EXPECT_EQ(s->mapping_table_flags[mt_interception], 1);
    EXPECT_EQ(s->mapping_table_flags[mt_retention], 0);
}

TEST_F(MappingTable, PresenceFlagsFollowTheIndexMapsAndCountLines)
{
    grid("ids.idx", "0 1 1 0\n1 1 1 1\n1 1 1 0\n");
    table_file("RETENTION Map\nNUM_IDS 1\nhdr\n" + table_row(1, "5") +
               "SEDIMENTS Map\nNUM_SED 0\n"
               "CONTAMINANT_TRANSPORT\nNUM_CONTAM 2\n");

    int flags[mapping_table_flag_total] = {};
    testing::internal::CaptureStdout();
    check_mapping_tables(path("t.cmt"), flags, 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("Retention"), std::string::npos); // quiet
    EXPECT_EQ(error_state.raised, 0);
    EXPECT_EQ(flags[mt_retention], 1);
    EXPECT_EQ(flags[mt_sediments], 0); // NUM_SED 0
    EXPECT_EQ(flags[mt_contaminants], 1);
    EXPECT_EQ(flags[mt_roughness], 0);

    testing::internal::CaptureStdout();
    check_mapping_tables(path("nothing.cmt"), flags, 0);
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(printed("\nUnable to open Mapping Table file: " + path("nothing.cmt") + "\n")) << out;
    EXPECT_FALSE(printed("Checking"));
    EXPECT_EQ(flags[mt_retention], 1) << "flags are left alone";

    // A table that is there but unusable stops the run at the check, naming
    // the table: it never reads as absent (which would let a uniform card
    // stand in for it).
    struct broken {
        std::string text;
        std::string message;
    };
    const std::string declared = "TORVA_INDEX_MAP_TABLES\nINDEX_MAP " + path("ids.idx") + " Map\n";
    const broken cases[] = {
        {"INDEX_MAP " + path("ids.idx") + " Map\nROUGHNESS Map\nNUM_IDS 1\nhdr\n" + table_row(1, "0.05"),
         "Error: the first line of the mapping table file " + path("t.cmt") +
             " is not its header: it must begin with TORVA_INDEX_MAP_TABLES.\n"},
        {declared + "ROUGHNESS Other\nNUM_IDS 1\nhdr\n" + table_row(1, "0.05"),
         "Error: table ROUGHNESS of the mapping table file " + path("t.cmt") +
             " uses the index map \"Other\", which no INDEX_MAP line of the block after the header declares.\n"},
        {declared + "INDEX_MAP " + path("none.idx") + " Missing\nEVAPOTRANSPIRATION Missing\nNUM_IDS 1\n",
         "Error: the index map of table EVAPOTRANSPIRATION in the mapping table file " + path("t.cmt") +
             " cannot be opened.\n"},
    };
    for (const broken& b : cases) {
        error_state_clear();
        file("t.cmt", b.text);
        testing::internal::CaptureStdout();
        check_mapping_tables(path("t.cmt"), flags, 1);
        out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(printed(b.message)) << out;
        EXPECT_EQ(error_state.raised, 1) << b.message;
    }
    error_state_clear();
}

TEST_F(MappingTable, TableAndIndexMapErrors)
{
    grid("ids.idx", "0 1 1 0\n1 2 1 2\n1 1 2 0\n");
    struct bad {
        std::string tables;
        const char* message;
    };
    const std::string hdr = "NUM_IDS 2\nID   DESCRIPTION\n";
    const std::string rows2 = table_row(1, "5") + table_row(2, "6");
    const bad cases[] = {
        {"ROUGHNESS Map\n" + hdr + rows2,
         "Problem reading mapping table file -- no entries found in table RETENTION (NUM_IDS is 0)\n"},
        {"RETENTION Map \n" + hdr + rows2, // the map name carries a trailing blank
         "uses the index map \"Map \", which no INDEX_MAP line of the block after the header declares.\n"},
        {"RETENTION Map\nNUM_IDS 0\n", "no entries found in table RETENTION"},
        {"RETENTION Map\n" + hdr + table_row(0, "5") + table_row(2, "6"),
         "has the ID 0; table IDs run from 1 to 10000000.\n"},
        {"RETENTION Map\n" + hdr + table_row(1, "5") + "     2 short row\n",
         "Error: in table RETENTION of the mapping table file "},
        {"RETENTION Map\n" + hdr + table_row(1, "5") + "     2\n", ", column 1 of ID 2 is missing.\n"},
        {"RETENTION Map\n" + hdr + table_row(1, "5") + table_row(2, "nan"), ", column 1 of ID 2 (\"nan\") is not finite.\n"},
        {"RETENTION Map\n" + hdr + table_row(1, "5") + table_row(2, "1e400"), ", column 1 of ID 2 (\"1e400\") is out of range.\n"},
        {"RETENTION Map\n" + hdr + table_row(1, "5") + table_row(2, "6mm"), ", column 1 of ID 2 (\"6mm\") is not a number.\n"},
        {"RETENTION Map\n" + hdr + table_row(1, "5") + table_row(2, "-6"), ", column 1 of ID 2 is -6; it must be 0 or more.\n"},
        {"RETENTION Map\nNUM_IDS 1\nID\n" + table_row(1, "5"), // ID 2 of the map is beyond the table
         "Index ID exceeds table limit, file: "},
    };
    for (const bad& b : cases) {
        error_state_clear();
        table_file(b.tables);
        dvec v;
        v.assign(9, -1.0);
        read(tc_retention, &v);
        EXPECT_TRUE(printed(b.message)) << b.tables << "\n---\n" << out;
        EXPECT_EQ(error_state.raised, 1);
    }
    EXPECT_TRUE(printed("[row 2:col 2]")) << out;

    // A declaration separated from the header block by a blank line is
    // never collected.
    error_state_clear();
    file("t.cmt",
         "TORVA_INDEX_MAP_TABLES\n\nINDEX_MAP " + path("ids.idx") + " Map\nRETENTION Map\n" + hdr + rows2);
    dvec v;
    v.assign(9, 0.0);
    read(tc_retention, &v);
    EXPECT_TRUE(printed("Error: table RETENTION of the mapping table file " + path("t.cmt") +
                        " uses the index map \"Map\", which no INDEX_MAP line")) << out;

    // The index map does not open.
    error_state_clear();
    table_file("RETENTION Map\n" + hdr + rows2, "gone.idx");
    read(tc_retention, &v);
    EXPECT_TRUE(printed("Unable to open index file " + path("gone.idx") + "\n")) << out;
}

TEST_F(MappingTable, RowsHoldExactlyTheirTablesValueCount)
{
    grid("ids.idx", "0 1 1 0\n1 2 1 2\n1 1 2 0\n");
    struct row_case {
        int code;
        const char* table;
        std::string row2; // values of ID 2; the row sits on line 7
        const char* message; // nullptr: the table is read
    };
    const row_case cases[] = {
        {tc_retention, "RETENTION", "6", nullptr},
        {tc_retention, "RETENTION", "6 remark 7", nullptr}, // words after the values are a remark
        {tc_retention, "RETENTION", "6 7", "line 7: ID 2 has more values than the table's 1 (\"7\" follows them).\n"},
        {tc_interception, "INTERCEPTION", "6 0.5", nullptr},
        {tc_interception, "INTERCEPTION", "6 0.5\t-1e-3",
         "line 7: ID 2 has more values than the table's 2 (\"-1e-3\" follows them).\n"},
        {tc_interception, "INTERCEPTION", "6", ", column 2 of ID 2 is missing.\n"},
        {tc_qbn_n, "QBN_N", "1 2 3 4", nullptr},
        {tc_qbn_n, "QBN_N", "1 2 3 4 5", "line 7: ID 2 has more values than the table's 4 (\"5\" follows them).\n"},
        {tc_qbn_n, "QBN_N", "1 2 3", ", column 4 of ID 2 is missing.\n"},
    };
    for (const row_case& c : cases) {
        error_state_clear();
        const std::string first = c.code == tc_retention ? "5" : c.code == tc_interception ? "5 0.5" : "9 8 7 6";
        table_file(std::string(c.table) + " Map\nNUM_IDS 2\nID   DESCRIPTION\n" + table_row(1, first) +
                   table_row(2, c.row2, "second"));
        dvec a, b;
        a.assign(9, -1.0);
        b.assign(9, -1.0);
        const int got = read(c.code, &a, &b);
        if (!c.message) {
            EXPECT_EQ(got, 1) << c.table << " " << c.row2 << "\n" << out;
            EXPECT_EQ(error_state.raised, 0) << c.row2 << "\n" << out;
            EXPECT_EQ(a[4], c.code == tc_qbn_n ? 1.0 : 6.0) << c.row2; // cell 4 has ID 2
            continue;
        }
        EXPECT_EQ(got, 0) << c.row2;
        EXPECT_EQ(error_state.raised, 1) << c.row2;
        EXPECT_TRUE(printed(std::string("Error: in table ") + c.table + " of the mapping table file " + path("t.cmt")))
            << out;
        EXPECT_TRUE(printed(c.message)) << c.row2 << "\n---\n" << out;
        EXPECT_EQ(a[4], -1.0) << "a refused table fills no cell";
    }
}

TEST_F(MappingTable, PrecipConcLineHoldsOneValuePerColumn)
{
    grid("ids.idx", "0 1 1 0\n1 2 1 2\n1 1 2 0\n");
    struct conc_case {
        std::string values; // of the PRECIP_CONC line, line 5 of the file
        std::vector<double> want; // rain concentrations 1..4; empty: refused
        const char* message;
    };
    const conc_case cases[] = {
        {"0.1 0.2 0.3 0.4", {0.1, 0.2, 0.3, 0.4}, nullptr},
        {"0.1 0.2 0.3 0.4 remark", {0.1, 0.2, 0.3, 0.4}, nullptr},
        {"0.1 0.2", {0.1, 0.2, 0.0, 0.0}, nullptr}, // missing values read 0
        {"0.1 0.2 0.3 0.4 0.5", {}, "line 5: PRECIP_CONC value 5 (\"0.5\") is one value too many; the table takes 4.\n"},
        {"0.1 inf 0.3 0.4", {}, "line 5: PRECIP_CONC value 2 (\"inf\") is not finite; the table takes 4.\n"},
    };
    for (const conc_case& c : cases) {
        error_state_clear();
        table_file("QBN_N Map\nNUM_IDS 2\nPRECIP_CONC " + c.values + "\nID\n" + table_row(1, "1 2 3 4") +
                   table_row(2, "5 6 7 8"));
        dvec rain, first;
        rain.assign(4, -1.0);
        first.assign(9, -1.0);
        testing::internal::CaptureStdout();
        const int got = read_mapping_table(1, path("t.cmt"), tc_qbn_n, table_destinations{&first}, north, south,
                                           east, west, rows, cols, mask, 3, 4, nullptr, 4, &rain);
        out = testing::internal::GetCapturedStdout();
        if (c.want.empty()) {
            EXPECT_EQ(got, 0) << c.values;
            EXPECT_EQ(error_state.raised, 1) << c.values;
            EXPECT_TRUE(printed("Error: in table QBN_N of the mapping table file " + path("t.cmt") + ", " +
                                c.message))
                << out;
            EXPECT_EQ(rain[1], -1.0) << "a refused line sets no concentration";
            continue;
        }
        EXPECT_EQ(got, 1) << c.values << "\n" << out;
        EXPECT_EQ(error_state.raised, 0) << out;
        for (int i = 1; i <= 4; ++i)
            EXPECT_EQ(rain[i], c.want[static_cast<std::size_t>(i - 1)]) << c.values << " value " << i;
        EXPECT_EQ(first[4], 5.0) << "the rows after the line are read from the same file";
    }
}

TEST_F(MappingTable, ActiveCellWithoutIdIsRefusedAndNoValueShifts)
{
    // Cell 4 has ID 0: refused, and the cells before it hold their own values.
    grid("ids.idx", "7 1 2 0\n1 0 1 2\n1 1 2 0\n");
    table_file("RETENTION Map\nNUM_IDS 2\nID\n" + table_row(1, "5") + table_row(2, "6"));
    dvec v;
    v.assign(9, -1.0);
    read(tc_retention, &v);
    EXPECT_TRUE(printed("Error: cell 4 (row 2, column 2) of index map " + path("ids.idx") +
                        " has the ID 0; every cell of the watershed needs an ID from 1 to 2 of its table.\n"))
        << out;
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(v[1], 5.0);
    EXPECT_EQ(v[2], 6.0);
    EXPECT_EQ(v[3], 5.0);
    EXPECT_EQ(v[4], -1.0);
    EXPECT_EQ(v[5], -1.0) << "cells after the refused one get no neighbour's value";
}

TEST_F(MappingTable, TimeSeriesIndexBindsByNamePrefix)
{
    ts_index_read = 0;
    for (const char* name : {"flow_a", "flow_b", "stage"})
        ts_new()->name = name;
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nTIME_SERIES_INDEX\nNUM_IDS 3\nID  NAME\n"
                  "     1 flow\n     2 \"stage\" trailing words\n     3 missing\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_ts_index_table(path("t.cmt")), 1);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Adding table to list: flow... Success!\nAdding table to list: stage... Success!\n"
                   "Adding table to list: missing... Failure, table not found.\n");
    auto it = ts_index_list.begin(); // the last row first
    EXPECT_EQ(it->id, 3);
    EXPECT_EQ(it->series, nullptr);
    ++it;
    EXPECT_EQ(it->series->name, "stage");
    ++it;
    EXPECT_EQ(it->series->name, "flow_a");
    EXPECT_EQ(ts_index_read, 1);
    ts_free_all();
    EXPECT_EQ(ts_index_read, 0) << "the next run reads its own index";
}

TEST_F(InputProject, WellTableBindsWellsToCells)
{
    grid("wells.idx", "2 1 0 0\n0 0 2 0\n0 0 0 0\n");
    ts_new()->name = "pump";
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP wells.idx Wells\nTIME_SERIES_INDEX\nNUM_IDS 1\nID NAME\n"
                  "     3 pump\nWELL_TABLE Wells\nNUM_IDS 2\nID\n" +
                      table_row(1, "0 -250 9") + table_row(2, "2 3.7 0"));
    ASSERT_TRUE(load(std::string(base_cards_3x4) + "MANNING_N 0.05\nMAPPING_TABLE t.cmt\n")) << out;
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_well_table(*s, s->mapping_table_name), 1);
    out = testing::internal::GetCapturedStdout();
    // Wells at cell 1 (row 1, col 2: ID 1) and cell 5 (row 2, col 3: ID 2);
    // position (1,1) lies outside the watershed. The last placed comes first.
    ASSERT_EQ(well_list.size(), 2u) << out;
    EXPECT_EQ(well_list[0].id, 5);
    EXPECT_EQ(well_list[0].kind, 2);
    EXPECT_EQ(well_list[0].ts_id, 3);
    EXPECT_EQ(well_list[0].flux, 0.0);
    EXPECT_EQ(well_list[1].id, 1);
    EXPECT_EQ(well_list[1].kind, 0);
    EXPECT_EQ(well_list[1].flux, -250.0);
    EXPECT_TRUE(well_table_list.empty());

    // An ID of the map that the table does not list.
    wells_free();
    grid("wells.idx", "0 1 0 0\n0 0 2 0\n0 0 0 0\n");
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP wells.idx Wells\nWELL_TABLE Wells\nNUM_IDS 2\nID\n" +
                      table_row(1, "0 -250 9") + table_row(3, "0 1 0"));
    testing::internal::CaptureStdout();
    read_well_table(*s, s->mapping_table_name);
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(printed("Error: A well was found in the index map (cell [2,3]) that \n"
                        "  was not found in the well table.\n"))
        << out;
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_TRUE(well_table_list.empty());

    // A well that pumps by a series whose ID the index does not hold.
    error_state_clear();
    wells_free();
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP wells.idx Wells\nWELL_TABLE Wells\nNUM_IDS 2\nID\n" +
                      table_row(1, "0 -250 9") + table_row(2, "1 4 0"));
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_well_table(*s, s->mapping_table_name), 0);
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(printed("Error: row 2 (ID 2) of table WELL_TABLE in the mapping table file t.cmt gives the time "
                        "series ID 4, which has no row in the TIME_SERIES_INDEX table.\n"))
        << out;
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_TRUE(well_list.empty());
}

TEST_F(InputProject, WetlandsAreNumberedInOrderOfFirstAppearance)
{
    const std::string rows = table_row(5, "100 200 8640 300 86400 0.2 50") + table_row(9, "1 2 3 4 5 6 7");
    const auto wetland_file = [&](const std::string& table_rows, int count) {
        file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP wet.idx Wet\nWETLAND_PROPERTIES Wet\nNUM_IDS " +
                          std::to_string(count) + "\nID\n" + table_rows);
    };
    grid("wet.idx", "5 9 0 0\n0 5 0 9\n0 0 0 0\n");
    wetland_file(rows, 2);
    ASSERT_TRUE(load(std::string(base_cards_3x4) + "MANNING_N 0.05\nMAPPING_TABLE t.cmt\n")) << out;
    EXPECT_TRUE(printed("Simulating wetlands\n"));
    EXPECT_EQ(s->wetland_count, 2);
    // Cell 1 holds ID 9 (first met: wetland 1), cell 4 ID 5 (wetland 2).
    const int want[] = {0, 1, 0, 0, 2, 0, 1, 0, 0, 0};
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(s->wetland_mask[i], want[i]) << i;
    const wetland_rec& w = s->wetland_props[2];
    EXPECT_DOUBLE_EQ(w.initial_depth, 0.1);
    EXPECT_DOUBLE_EQ(w.layer_depth, 0.2);
    EXPECT_DOUBLE_EQ(w.layer_conductivity, 0.1);
    EXPECT_DOUBLE_EQ(w.transition_depth, 0.3);
    EXPECT_DOUBLE_EQ(w.surface_conductivity, 1.0);
    EXPECT_EQ(w.spare, 0.0);
    EXPECT_DOUBLE_EQ(w.wetland_roughness, 0.2);
    EXPECT_DOUBLE_EQ(w.elevation_offset, 0.05);

    // Three table rows for two IDs of the map.
    wetland_file(rows + table_row(7, "1 1 1 1 1 1 1"), 3);
    EXPECT_FALSE(load(std::string(base_cards_3x4) + "MANNING_N 0.05\nMAPPING_TABLE t.cmt\n"));
    EXPECT_TRUE(printed("It contains\n2 ID's, while the mapping table file contains 3 ID's.\n")) << out;

    // An ID above 300, even with only two types.
    grid("wet.idx", "5 301 0 0\n0 5 0 0\n0 0 0 0\n");
    wetland_file(table_row(5, "1 1 1 1 1 1 1") + table_row(301, "1 1 1 1 1 1 1"), 2);
    EXPECT_FALSE(load(std::string(base_cards_3x4) + "MANNING_N 0.05\nMAPPING_TABLE t.cmt\n"));
    EXPECT_TRUE(printed("The number of wetland ids specified in the master table file \nis over 300!"))
        << out;
}

// The wetland records: 0..n zeroed; a count that cannot be held prints the
// allocator's message and leaves no records.
TEST(WetlandRecords, StructAllocZeroesOrSaysItRanOutOfMemory)
{
    std::vector<wetland_rec> records(1);
    records[0].initial_depth = 3.0;
    ASSERT_TRUE(struct_alloc(2, records));
    ASSERT_EQ(records.size(), 3u);
    for (const wetland_rec& w : records)
        EXPECT_EQ(w.initial_depth, 0.0);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(struct_alloc(records.max_size(), records));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Problem allocating memory for array of structures in struct_alloc.\n");
    EXPECT_TRUE(records.empty());
}

TEST_F(MappingTable, RatingCurvesBindElevationSeriesToBoundaryCells)
{
    elev_series_new()->name = "weir_high";
    elev_series_new()->name = "weir";
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nRATINGCURVES\nNUM_IDS 2\nID  NAME\n     2 weir\n     3 nothing\n");
    ivec type;
    dvec b;
    type.assign(4, 0);
    b.assign(4, 0.0);
    type[1] = 6, b[1] = 2.0;  // bound
    type[4] = 99, b[4] = 3.0; // receiving cell: not bound
    std::vector<ov_bc_cell> curves;
    EXPECT_EQ(read_ov_rating_curves(path("t.cmt"), curves, type, b, 4), 1);
    ASSERT_EQ(curves.size(), 5u);
    EXPECT_EQ(curves[1].rating, &elev_series_list.front()); // first name beginning with "weir"
    EXPECT_EQ(curves[4].rating, nullptr);
    EXPECT_EQ(error_state.raised, 0);

    // A cell whose ID has no row would exchange through no curve.
    type[2] = 7, b[2] = 5.0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_ov_rating_curves(path("t.cmt"), curves, type, b, 4), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: cell 2 is an overland boundary of type 7 whose rating curve ID 5 has no row in the "
              "RATINGCURVES table of the mapping table file " + path("t.cmt") + ".\n\n");
    EXPECT_EQ(error_state.raised, 1);

    error_state_clear();
    type[2] = 0;
    type[3] = 6, b[3] = 3.0; // its series does not exist
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_ov_rating_curves(path("t.cmt"), curves, type, b, 4), 0);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("Error: The elevation series for a RATING_CURVE card is not found."), std::string::npos)
        << said;
    EXPECT_NE(said.find("Error: the RATINGCURVES table of the mapping table file " + path("t.cmt") +
                        " binds ID 3 to the elevation series \"nothing\", which no elevation series file holds.\n"),
              std::string::npos)
        << said;
    EXPECT_EQ(error_state.raised, 1);
    elev_series_free_all();
}
