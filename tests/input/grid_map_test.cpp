// The ASCII grid reader: header rule and size check, real rows, integer
// streams, category counts and the refusals of values it cannot use.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "input/grid_map.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

constexpr const char* header_3x4 = "north: 30\nsouth: 0\neast: 40\nwest: 0\nrows: 3\ncols: 4\n";

struct GridMap : testing::Test {
    scratch_dir dir{"gridmap"};
    imat mask;
    double north = 0, south = 0, east = 0, west = 0;
    int rows = 0, cols = 0;
    std::string out;

    void SetUp() override
    {
        reset_file_name_globals();
        error_state_clear();
        // . 1 2 .   /   3 4 5 6   /   7 8 9 .
        mask.assign(4, 5, 0);
        const int numbers[3][4] = {{0, 1, 2, 0}, {3, 4, 5, 6}, {7, 8, 9, 0}};
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= 4; ++c)
                mask[r][c] = numbers[r - 1][c - 1];
    }
    void TearDown() override { error_state_clear(); }

    // Reads text as a grid of the given kind into the destinations.
    void read(const std::string& text, int type, dvec* reals, ivec* ints, int quiet = 0, int exp_rows = 3,
              int exp_cols = 4)
    {
        write_file(dir.file("g.map"), text);
        file_rec f;
        ASSERT_TRUE(file_rec_open(f, dir.file("g.map"), "r"));
        testing::internal::CaptureStdout();
        read_grid_map(f, "g.map", type, north, south, east, west, rows, cols, mask, reals, nullptr, ints,
                      exp_rows, exp_cols, quiet);
        out = testing::internal::GetCapturedStdout();
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }
};

} // namespace

TEST_F(GridMap, RealRowsFillTheActiveCellsInOrder)
{
    // Labels are any words (glued to their number when short enough), blank
    // lines may follow the header, values are split by blanks, tabs and
    // commas, and CR-LF line ends are read as LF.
    dvec v;
    v.assign(9, -1.0);
    read("NORTH: 30\r\nS 0\neast:40\n  west:\n 0\nrows: 3 cols: 4\r\n\n\n"
         "-9999 1.5 2.5 -9999\r\n3,4\t5 6e0\r\n7 8 0 0\n",
         grid_cell_reals, &v, nullptr);
    EXPECT_EQ(error_state.raised, 0) << out;
    EXPECT_EQ(north, 30.0);
    EXPECT_EQ(east, 40.0);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(cols, 4);
    const double want[] = {0, 1.5, 2.5, 3, 4, 5, 6, 7, 8, 0};
    for (int i = 1; i <= 9; ++i)
        EXPECT_DOUBLE_EQ(v[i], want[i]) << i;
    EXPECT_EQ(out, "Warning: Map contains 1 cells with zero values. Map: g.map\n");
}

TEST_F(GridMap, RowLinesOfAnyLengthAndBlankRows)
{
    // A row far longer than 25,000 characters is still one row.
    dvec v;
    v.assign(9, -1.0);
    const std::string pad(30000, ' ');
    read(std::string(header_3x4) + "0 1" + pad + "2 0\n0 0 0 0\n7" + pad + "8 9 0\n", grid_cell_reals, &v,
         nullptr, 1);
    EXPECT_EQ(error_state.raised, 0) << out;
    const double want[] = {0, 1, 2, 0, 0, 0, 0, 7, 8, 9};
    for (int i = 1; i <= 9; ++i)
        EXPECT_DOUBLE_EQ(v[i], want[i]) << i;
    EXPECT_EQ(out, ""); // quiet: no zero-cell warning
}

TEST_F(GridMap, ExactConversionOfDecimals)
{
    dvec v;
    v.assign(9, 0.0);
    read(std::string(header_3x4) +
             "0 0.1 -123.456789012345 0\n1e-3 +2.5E2 .5 -0\n9007199254740993 123456789.123456789 1e-300 0\n",
         grid_cell_reals, &v, nullptr, 1);
    EXPECT_EQ(error_state.raised, 0) << out;
    const char* words[] = {"",     "0.1",
                           "-123.456789012345", "1e-3",
                           "+2.5E2", ".5",
                           "-0",   "9007199254740993",
                           "123456789.123456789", "1e-300"};
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(v[i], std::strtod(words[i], nullptr)) << words[i];
}

TEST_F(GridMap, BadValuesAreRefusedAtTheirRowAndColumn)
{
    // Nothing is read as 0: a word that is not a finite number, a short row,
    // a blank row and a missing row each stop the run naming the place.
    struct bad {
        std::string values;
        const char* message;
    };
    const bad cases[] = {
        {"0 1 2 0\n3 4 nan 6\n7 8 9 0\n", "Error: row 2, column 3 of map g.map holds \"nan\", which is not finite.\n"},
        {"0 1 2 0\n3 4 5 -inf\n7 8 9 0\n", "Error: row 2, column 4 of map g.map holds \"-inf\", which is not finite.\n"},
        {"0 1 2 0\n3 4 5 6\n7 1e400 9 0\n", "Error: row 3, column 2 of map g.map holds \"1e400\", which is out of range.\n"},
        {"0 1 2 0\n3 4 5 6\n7 8abc 9 0\n", "Error: row 3, column 2 of map g.map holds \"8abc\", which is not a number.\n"},
        {"0 1 2 0\n3 4 5 6\n7 0x10 9 0\n", "Error: row 3, column 2 of map g.map holds \"0x10\", which is not a number.\n"},
        {"0 1 2 0\n3 4 5\n7 8 9 0\n", "Error: row 2, column 4 of map g.map is missing: the row is short.\n"},
        {"0 1 2 0\n\n7 8 9 0\n", "Error: row 2, column 1 of map g.map is missing: the row is short.\n"},
        {"0 1 2 0\n3 4 5 6\n", "Unexpected end of file in file: g.map\n"
                                 "Error: row 3, column 1 of map g.map is missing: the file ends before it.\n"},
    };
    for (const bad& b : cases) {
        error_state_clear();
        dvec v;
        v.assign(9, 0.0);
        read(std::string(header_3x4) + b.values, grid_cell_reals, &v, nullptr);
        EXPECT_TRUE(printed(b.message)) << out;
        EXPECT_EQ(error_state.raised, 1) << b.message;
    }
}

TEST_F(GridMap, SizeDifferentFromTheModelStopsTheRun)
{
    struct mismatch {
        int rows, cols;
        const char* message;
    };
    const mismatch cases[] = {
        {4, 4, "Incorrect number of rows in map: g.map\n"},
        {4, 5, "Incorrect number of rows and columns in map: g.map\n"},
        {3, 5, "Incorrect number of columns in map: g.map\n"},
    };
    for (const mismatch& m : cases) {
        error_state_clear();
        dvec v;
        v.assign(9, 0.0);
        read(std::string(header_3x4) + "1 1 1 1\n1 1 1 1\n1 1 1 1\n", grid_cell_reals, &v, nullptr, 0, m.rows,
             m.cols);
        EXPECT_EQ(out, std::string(m.message) + "\n") << m.message;
        EXPECT_EQ(error_state.raised, 1);
        EXPECT_EQ(v[1], 0.0) << "no value is read";
    }
}

TEST_F(GridMap, UnreadableHeaderOrEarlyEndStopsTheRun)
{
    struct bad {
        std::string text;
        const char* message;
    };
    const bad cases[] = {
        {"ncols 4\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 10\nNODATA_value -9999\n1 1 1 1\n",
         "Error: the header of map g.map does not give the east edge as a number after its label.\n"},
        {"north: 30\nsouth: 0\neast: 40\nwest: 0\nrows: 3.5\ncols: 4\n",
         "Error: the header of map g.map does not give the rows as an integer after its label.\n"},
        {"north: 30\nsouth: 0\n", "Error: the header of map g.map does not give the east edge as a number"},
        {std::string(header_3x4) + "1 1 1 1\n1 1 1 1\n", "Unexpected end of file in file: g.map\n"},
        {"north: nan\nsouth: 0\neast: 40\nwest: 0\nrows: 3\ncols: 4\n",
         "Error: the header of map g.map does not give the north edge as a number after its label.\n"},
        {"north: 30\nsouth: 0\neast: 1e400\nwest: 0\nrows: 3\ncols: 4\n",
         "Error: the header of map g.map does not give the east edge as a number after its label.\n"},
        {"north: 0\nsouth: 30\neast: 40\nwest: 0\nrows: 3\ncols: 4\n",
         "Error: the header of map g.map puts the north edge (0) below the south edge (30).\n"},
        {"north: 30\nsouth: 0\neast: -40\nwest: 0\nrows: 3\ncols: 4\n",
         "Error: the header of map g.map puts the east edge (-40) below the west edge (0).\n"},
    };
    for (const bad& b : cases) {
        error_state_clear();
        dvec v;
        v.assign(9, 0.0);
        read(b.text, grid_cell_reals, &v, nullptr);
        EXPECT_TRUE(printed(b.message)) << out;
        EXPECT_EQ(error_state.raised, 1) << b.message;
    }
}

TEST_F(GridMap, OnlyZeroValuesWarnsEvenWhenQuiet)
{
    dvec v;
    v.assign(9, 0.0);
    read(std::string(header_3x4) + "0 0 0 0\n0 0 0 0\n0 0 0 0\n", grid_cell_reals, &v, nullptr, 1);
    EXPECT_EQ(out, "Warning: Map contains only zero values. Map: g.map\n");
    // A non-zero value in an inactive cell keeps the warning away, and the
    // inactive zero is no zero cell.
    read(std::string(header_3x4) + "4 1 1 0\n1 1 1 1\n1 1 1 1\n", grid_cell_reals, &v, nullptr);
    EXPECT_EQ(out, "");
}

TEST_F(GridMap, IntegerStreamsWrapAnywhere)
{
    // The full-grid kind writes every position of the grid it is given.
    read(std::string(header_3x4) + "0 1\n1 0 1 1 1 1\n-9999\n1 1 0\n", grid_full_ints, nullptr, nullptr);
    EXPECT_EQ(error_state.raised, 0) << out;
    const int want[3][4] = {{0, 1, 1, 0}, {1, 1, 1, 1}, {-9999, 1, 1, 0}};
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            EXPECT_EQ(mask[r][c], want[r - 1][c - 1]) << r << "," << c;
}

TEST_F(GridMap, CategoriesAreCountedAndRangeChecked)
{
    ivec ids;
    ids.assign(9, 0);
    // Inactive cells may hold anything.
    read(std::string(header_3x4) + "-9999 3 1 12000\n1 3 3 0\n1 1 3 7\n", grid_cell_ints, nullptr, &ids);
    EXPECT_EQ(out, "In map g.map category 1 has 4 values\nIn map g.map category 3 has 4 values\n");
    const int want[] = {0, 3, 1, 1, 3, 3, 0, 1, 1, 3};
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(ids[i], want[i]) << i;
    EXPECT_EQ(grid_category_cells(3), 4);

    struct refused {
        const char* values;
        const char* message;
    };
    const refused cases[] = {
        {"0 1 1 0\n1 -9999 1 1\n1 1 1 0\n",
         "Error: the value -9999 at row 2, column 2 of map g.map is not a category from 0 to 9999.\n"},
        {"0 1 1 0\n1 1 1 1\n1 1 10000 0\n",
         "Error: the value 10000 at row 3, column 3 of map g.map is not a category from 0 to 9999.\n"},
        {"0 1 1 0\n1 1.5 1 1\n1 1 1 0\n",
         "Error: the value \"1.5\" at row 2, column 2 of map g.map is not an integer.\n"},
    };
    for (const refused& r : cases) {
        error_state_clear();
        read(std::string(header_3x4) + r.values, grid_cell_ints, nullptr, &ids);
        EXPECT_TRUE(printed(r.message)) << out;
        EXPECT_EQ(error_state.raised, 1);
    }

    // Quiet: no category lines.
    error_state_clear();
    read(std::string(header_3x4) + "0 1 1 0\n1 1 1 1\n1 1 1 0\n", grid_cell_ints, nullptr, &ids, 1);
    EXPECT_EQ(out, "");
}

TEST_F(GridMap, DestinationTooSmallIsRefusedNotOverrun)
{
    dvec v;
    v.assign(5, 0.0);
    read(std::string(header_3x4) + "1 1 1 1\n1 1 1 1\n1 1 1 1\n", grid_cell_reals, &v, nullptr);
    EXPECT_TRUE(printed("Error: there is no storage for the values of map g.map\n")) << out;
    EXPECT_EQ(error_state.raised, 1);
}
