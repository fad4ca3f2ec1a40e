// Whole runs of the tiny example made bad in one place each: every one
// stops at start-up with a message that names the file and the place (row
// and column, line, table, ID and column, or card). The good variants of
// each family run clean, so the stop is the fault's alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/run_simulation.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

const std::string tiny_folder = std::string(TORVA_EXAMPLES) + "/tiny";

// The roughness of the tiny example from a table instead of MANNING_N.
const char* const table_cards = "MAPPING_TABLE tiny.cmt\n";
const char* const table_header = "TORVA_INDEX_MAP_TABLES\nINDEX_MAP tiny.idx \"land\"\n";
const char* const roughness_table = "ROUGHNESS \"land\"\nNUM_IDS 2\nID    DESCRIPTION\n"
                                    "     1 grass                                                                           0.05\n"
                                    "     2 road                                                                            0.02\n";
const char* const index_map = "north: 30.00\nsouth: 0.00\neast: 40.00\nwest: 0.00\nrows: 3\ncols: 4\n"
                              "1 1 2 2\n1 1 2 2\n1 1 2 2\n";

// The rain of the tiny example from a gauge file instead of uniform rain.
const char* const gauge_cards = "PRECIP_FILE tiny.gag\n";
const char* const gauge_file = "EVENT ten minutes of rain\nNRGAG 1\nNRPDS 3\nCOORD 20.0 15.0 \"Gauge A\"\n"
                               "GAGES 2000 1 1 12 0  0.0\nGAGES 2000 1 1 12 5  4.0\nGAGES 2000 1 1 12 10 4.0\n";

enum class family { grid, table, gauge };

struct bad_case {
    const char* label;
    family kind;
    std::string file; // the file changed, or "" for none
    std::string from; // text replaced at its first place
    std::string to;
    std::vector<std::string> messages; // each printed
    std::string cards = "";            // appended to the project
};

struct BadData : testing::Test {
    void SetUp() override { reset_file_name_globals(); }
    void TearDown() override
    {
        reset_file_name_globals();
        error_state_clear();
    }

    // Writes the project of a family into the folder, applies the change
    // and runs it; the run's screen output.
    std::string run(const scratch_dir& dir, family kind, const std::string& file = "",
                    const std::string& from = "", const std::string& to = "", const std::string& cards = "")
    {
        std::string prj = read_file(tiny_folder + "/tiny.prj") + cards;
        std::vector<std::pair<std::string, std::string>> files = {
            {"tiny.msk", read_file(tiny_folder + "/tiny.msk")}, {"tiny.ele", read_file(tiny_folder + "/tiny.ele")}};
        if (kind == family::table) {
            prj.replace(prj.find("MANNING_N"), prj.find('\n', prj.find("MANNING_N")) - prj.find("MANNING_N") + 1,
                        table_cards);
            files.emplace_back("tiny.cmt", std::string(table_header) + roughness_table);
            files.emplace_back("tiny.idx", index_map);
        }
        if (kind == family::gauge) {
            for (const char* card : {"PRECIP_UNIF", "RAIN_INTENSITY", "RAIN_DURATION"}) {
                const std::size_t at = prj.find(card);
                prj.erase(at, prj.find('\n', at) - at + 1);
            }
            prj += gauge_cards;
            files.emplace_back("tiny.gag", gauge_file);
        }
        files.emplace_back("tiny.prj", prj);
        for (auto& f : files) {
            if (f.first == file) {
                const std::size_t at = f.second.find(from);
                EXPECT_NE(at, std::string::npos) << from;
                if (at != std::string::npos)
                    f.second.replace(at, from.size(), to);
            }
            write_file(dir.file(f.first), f.second);
        }
        reset_file_name_globals();
        std::string folder = dir.path();
        set_project_path(folder); // files are looked for, and written, in the scratch folder
        error_state_clear();
        testing::internal::CaptureStdout();
        run_simulation(dir.file("tiny.prj"), nullptr, "");
        return testing::internal::GetCapturedStdout();
    }
};

} // namespace

TEST_F(BadData, GoodVariantsOfEachFamilyRunClean)
{
    for (family kind : {family::grid, family::table, family::gauge}) {
        scratch_dir dir("baddata");
        const std::string out = run(dir, kind);
        EXPECT_EQ(error_state.raised, 0) << out;
        EXPECT_EQ(out.find("Error"), std::string::npos) << out;
    }
}

TEST_F(BadData, EachFaultStopsTheRunNamingItsPlace)
{
    const std::string row1 = "100.3 100.2 100.1 100.0\n";
    const bad_case cases[] = {
        // Grids: nothing is read as 0, and the place is named.
        {"nan elevation", family::grid, "tiny.ele", row1, "100.3 nan 100.1 100.0\n",
         {"Error: row 1, column 2 of map tiny.ele holds \"nan\", which is not finite.\n"}},
        {"elevation beyond a double", family::grid, "tiny.ele", row1, "100.3 100.2 1e400 100.0\n",
         {"Error: row 1, column 3 of map tiny.ele holds \"1e400\", which is out of range.\n"}},
        {"word in an elevation row", family::grid, "tiny.ele", row1, "100.3 100.2 100.1 1OO.0\n",
         {"Error: row 1, column 4 of map tiny.ele holds \"1OO.0\", which is not a number.\n"}},
        {"short elevation row", family::grid, "tiny.ele", row1, "100.3 100.2 100.1\n",
         {"Error: row 1, column 4 of map tiny.ele is missing: the row is short.\n"}},
        {"missing elevation row", family::grid, "tiny.ele", row1 + row1 + row1, row1 + row1,
         {"Unexpected end of file in file: tiny.ele\n",
          "Error: row 3, column 1 of map tiny.ele is missing: the file ends before it.\n"}},
        // A map holds exactly what its header gives: the mask, a real map and
        // an index map refuse a value or a row beyond it, naming the line.
        {"value beyond the elevation header", family::grid, "tiny.ele", row1, "100.3 100.2 100.1 100.0 99.9\n",
         {"Error: map tiny.ele, line 7: \"99.9\" lies beyond the 3 rows of 4 values that its header gives.\n"}},
        {"row beyond the elevation header", family::grid, "tiny.ele", row1 + row1 + row1,
         row1 + row1 + row1 + "\n" + row1,
         {"Error: map tiny.ele, line 11: \"100.3\" lies beyond the 3 rows of 4 values that its header gives.\n"}},
        {"value beyond the mask header", family::grid, "tiny.msk", "1 1 1 1\n1 1 1 1\n1 1 1 1\n",
         "1 1 1 1\n1 1 1 1\n1 1 1 1 0\n",
         {"Error: map tiny.msk, line 9: \"0\" lies beyond the 3 rows of 4 values that its header gives.\n"}},
        {"elevation edges reversed", family::grid, "tiny.ele", "east: 40.00\nwest: 0.00", "east: 0.00\nwest: 40.00",
         {"Error: the header of map tiny.ele puts the east edge (0) below the west edge (40).\n"}},
        {"infinite north edge", family::grid, "tiny.ele", "north: 30.00", "north: inf",
         {"Error: the header of map tiny.ele does not give the north edge as a number after its label.\n"}},

        // Mapping tables: named by table, ID and column; never a uniform value.
        {"nan roughness", family::table, "tiny.cmt", "0.02\n", "nan\n",
         {"Error: in table ROUGHNESS of the mapping table file tiny.cmt, column 1 of ID 2 (\"nan\") is not finite.\n"}},
        {"negative roughness", family::table, "tiny.cmt", "0.02\n", "-0.02\n",
         {"Error: in table ROUGHNESS of the mapping table file tiny.cmt, column 1 of ID 2 is -0.02; it must be "
          "above 0.\n"}},
        {"table file without its header", family::table, "tiny.cmt", "TORVA_INDEX_MAP_TABLES\n", "",
         {"Error: the first line of the mapping table file tiny.cmt is not its header: it must begin with "
          "TORVA_INDEX_MAP_TABLES.\n"}},
        {"undeclared index-map name", family::table, "tiny.cmt", "ROUGHNESS \"land\"", "ROUGHNESS \"lands\"",
         {"Error: table ROUGHNESS of the mapping table file tiny.cmt uses the index map \"\"lands\"\", which no "
          "INDEX_MAP line of the block after the header declares.\n"}},
        {"missing index map", family::table, "tiny.cmt", "tiny.idx", "gone.idx",
         {"Error: the index map of table ROUGHNESS in the mapping table file tiny.cmt cannot be opened.\n",
          "Unable to open index file gone.idx\n"}},
        {"broken table beside MANNING_N", family::table, "tiny.cmt", "ROUGHNESS \"land\"", "ROUGHNESS \"lands\"",
         {"Error: table ROUGHNESS of the mapping table file tiny.cmt uses the index map"},
         "MANNING_N 0.05\n"},
        {"index map without its last row", family::table, "tiny.idx", "1 1 2 2\n1 1 2 2\n1 1 2 2\n",
         "1 1 2 2\n1 1 2 2\n",
         {"Error: row 3, column 1 of index map tiny.idx is missing: the file ends before it.\n",
          "Unexpected end of file in file: tiny.idx\n"}},
        {"row beyond the index map header", family::table, "tiny.idx", "1 1 2 2\n1 1 2 2\n1 1 2 2\n",
         "1 1 2 2\n1 1 2 2\n1 1 2 2\n1 1 2 2\n",
         {"Error: map tiny.idx, line 10: \"1\" lies beyond the 3 rows of 4 values that its header gives.\n"}},
        {"index map edges reversed", family::table, "tiny.idx", "north: 30.00\nsouth: 0.00",
         "north: 0.00\nsouth: 30.00",
         {"Error: the header of map tiny.idx puts the north edge (0) below the south edge (30).\n"}},

        // Precipitation file: the line, gauge or card is named.
        {"nan depth", family::gauge, "tiny.gag", "12 5  4.0", "12 5  nan",
         {"On line no. 2 the value \"nan\" of gage 1 is not finite.\n"}},
        {"garbage depth", family::gauge, "tiny.gag", "12 5  4.0", "12 5  4.0mm",
         {"On line no. 2 the value \"4.0mm\" of gage 1 is not a number.\n"}},
        {"accumulation at one time with two depths", family::gauge, "tiny.gag",
         "GAGES 2000 1 1 12 0  0.0\nGAGES 2000 1 1 12 5  4.0\nGAGES 2000 1 1 12 10 4.0\n",
         "ACCUM 2000 1 1 12 0  0.0\nACCUM 2000 1 1 12 5  4.0\nACCUM 2000 1 1 12 5  6.0\n",
         {"On line no. 3 the accumulated precip. of gage 1 differs from the previous line, which has the same "
          "date and time: the depth between them would fall in no time.\n"}},
        {"missing COORD", family::gauge, "tiny.gag", "NRGAG 1", "NRGAG 2",
         {"Gage 2 of the 2 that NRGAG gives has no COORD card: \"GAGES\" stands in its place.\n"}},
        {"absurd gauge count", family::gauge, "tiny.gag", "NRGAG 1", "NRGAG 99999999999",
         {"NRGAG gives \"99999999999\": it must give the number of rain gages, or the word FILES for radar grid "
          "files.\n"}},
        {"absurd line count", family::gauge, "tiny.gag", "NRPDS 3", "NRPDS 1e9",
         {"NRPDS gives \"1e9\": it must give the number of data lines, from 1 to 99999.\n"}},
    };
    for (const bad_case& c : cases) {
        scratch_dir dir("baddata");
        const std::string out = run(dir, c.kind, c.file, c.from, c.to, c.cards);
        EXPECT_EQ(error_state.raised, 1) << c.label << "\n" << out;
        for (const std::string& m : c.messages)
            EXPECT_NE(out.find(m), std::string::npos) << c.label << "\n" << out;
        EXPECT_EQ(out.find("Reduce the model time step"), std::string::npos) << c.label;
        EXPECT_EQ(out.find("uniform overland flow Manning n"), std::string::npos) << c.label;
    }
}

TEST_F(BadData, NoDataElevationOnAnActiveCellIsNamed)
{
    scratch_dir dir("baddata");
    const std::string out =
        run(dir, family::grid, "tiny.ele", "100.3 100.2 100.1 100.0\n100.3 100.2", "100.3 100.2 100.1 100.0\n100.3 -9999");
    EXPECT_NE(out.find("Warning: cell 6 (row 2, column 2) of elevation map tiny.ele holds -9999, the usual no-data "
                       "value.\n"),
              std::string::npos)
        << out;
}
