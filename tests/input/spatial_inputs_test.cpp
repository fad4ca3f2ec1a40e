// The watershed and its surface parameters through the input hub: cell
// numbering and "maskmap", the size checks, elevation and outlet, the
// per-cell arrays, roughness, retention, blockage, boundaries, hotstarts
// and the overland location lists.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/input_fixture.h"
#include "input/spatial_inputs.h"

using namespace torva_test;

namespace
{

const std::string cards = std::string(base_cards_3x4) + "MANNING_N 0.05\n";

// A mapping-table data row: ID in columns 1-6, values from column 87.
std::string table_row(int id, const std::string& values)
{
    std::string row = std::to_string(id);
    row.insert(0, 6 - row.size(), ' ');
    return row + std::string(80, ' ') + values + "\n";
}

} // namespace

TEST_F(InputProject, MaskNumbersTheCellsAndWritesMaskmap)
{
    ASSERT_TRUE(load(cards)) << out;
    EXPECT_TRUE(printed("reading watershed mask from file: m.msk\nnumber of grid cells in watershed: 9\n"
                        "reading elevation map from file: m.ele\noutlet is in grid cell: 6\n"))
        << out;
    EXPECT_EQ(s->num_cells, 9);
    EXPECT_DOUBLE_EQ(s->sac_area, 900.0);
    // A border of zeros on every side: rows 0..4, columns 0..5.
    ASSERT_EQ(s->mask.rows(), 4);
    ASSERT_EQ(s->mask.cols(), 5);
    const int numbers[5][6] = {
        {0, 0, 0, 0, 0, 0}, {0, 0, 1, 2, 0, 0}, {0, 3, 4, 5, 6, 0}, {0, 7, 8, 9, 0, 0}, {0, 0, 0, 0, 0, 0}};
    for (int r = 0; r <= 4; ++r)
        for (int c = 0; c <= 5; ++c)
            EXPECT_EQ(s->mask[r][c], numbers[r][c]) << r << "," << c;
    // Cell 1 at row 1, column 2; cell 7 (the -9999 of the mask) at row 3, column 1.
    EXPECT_EQ(s->cell_row[1], 1);
    EXPECT_EQ(s->cell_col[1], 2);
    EXPECT_DOUBLE_EQ(s->cell_x[1], 15.0);
    EXPECT_DOUBLE_EQ(s->cell_y[1], 25.0);
    EXPECT_DOUBLE_EQ(s->cell_x[7], 5.0);
    EXPECT_DOUBLE_EQ(s->cell_y[7], 5.0);
    const double elev[] = {0, 105, 104, 103, 102, 101, 100, 102, 101, 100};
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(s->ground_elev[i], elev[i]) << i;

    const std::string maskmap = read_file(dir.file("maskmap"));
    EXPECT_EQ(maskmap, "north:     30.00\nsouth:      0.00\neast:     40.00\nwest:      0.00\n"
                       "rows:     3\ncols:     4\n0 1 2 0 \n3 4 5 6 \n7 8 9 0 \n");
    // The program's own reader gives the same numbers back.
    file_rec f;
    ASSERT_TRUE(file_rec_open(f, dir.file("maskmap"), "r"));
    imat back;
    back.assign(4, 5, 0);
    double n, so, e, w;
    int rows, cols;
    read_grid_map(f, "maskmap", grid_full_ints, n, so, e, w, rows, cols, back, nullptr, nullptr, nullptr, 3,
                  4, 1);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            EXPECT_EQ(back[r][c], s->mask[r][c]);
    EXPECT_EQ(n, 30.0);
    EXPECT_EQ(e, 40.0);
}

TEST_F(InputProject, GridSizeAndShapeMustAgreeWithTheMask)
{
    const auto with = [](const std::string& from, const std::string& to) {
        std::string c = cards;
        c.replace(c.find(from), from.size(), to);
        return c;
    };
    // 10.04 agrees with 10 m cells to a tenth of a metre; 10.1 does not.
    EXPECT_TRUE(load(with("GRIDSIZE 10\n", "GRIDSIZE 10.04\n"))) << out;

    EXPECT_FALSE(load(with("GRIDSIZE 10\n", "GRIDSIZE 10.1\n")));
    EXPECT_TRUE(printed("\nThe grid size specified in the project file: 10.1000 m differs from\n"
                        "the north-south dimension of the raster grid cells 10.0000 m as calculated\n"
                        "from the WATERSHED_MASK header.  Check your data to make sure they agree.\n"
                        "TORVA terminating.\n\n"))
        << out;
    EXPECT_FALSE(printed("east-west")) << "only the north-south lines";

    grid("m.msk", "0 1 1 0\n1 1 1 1\n1 1 1 0\n");
    std::string text = read_file(dir.file("m.msk"));
    text.replace(text.find("east: 40"), 8, "east: 48");
    file("m.msk", text);
    EXPECT_FALSE(load(cards));
    EXPECT_TRUE(printed("the east-west dimension of the raster grid cells 12.0000 m as calculated\n")) << out;

    grid("m.msk", "0 1 1 0\n1 1 1 1\n1 1 1 0\n");
    EXPECT_FALSE(load(with("ROWS 3\n", "ROWS 4\n")));
    EXPECT_TRUE(printed("Incorrect number of rows in map: m.msk\n")) << out;
    EXPECT_FALSE(load(with("COLS 4\n", "COLS 5\n")));
    EXPECT_TRUE(printed("Incorrect number of columns in map: m.msk\n")) << out;
}

TEST_F(InputProject, OutletOutsideTheMaskStopsTheRun)
{
    std::string c = cards;
    c.replace(c.find("OUTROW 2\nOUTCOL 4"), 17, "OUTROW 1\nOUTCOL 1");
    EXPECT_FALSE(load(c));
    EXPECT_TRUE(printed("\nThe outlet row and column you specified in the project file are not\n"
                        "inside the watershed mask.  Check the outlet row and column again, and\n"
                        "make sure they are correctly specified in the project file using the\n"
                        "OUTROW and OUTCOL project file cards.  TORVA terminating.\n\n"))
        << out;

    // An empty mask: no cells, a maskmap of zeros, no area.
    grid("m.msk", "0 0 0 0\n0 0 0 0\n0 0 0 0\n");
    EXPECT_FALSE(load(cards));
    EXPECT_TRUE(printed("Warning: Map contains only zero values. Map: m.msk\n"));
    EXPECT_EQ(s->num_cells, 0);
    EXPECT_EQ(s->sac_area, 0.0);
    EXPECT_FALSE(s->ground_elev);
    EXPECT_NE(read_file(dir.file("maskmap")).find("0 0 0 0 \n0 0 0 0 \n0 0 0 0 \n"), std::string::npos);
}

TEST(OutletCell, ChannelRoutingAcceptsAnOutletOffTheMask)
{
    scratch_dir dir{"outlet"};
    write_file(dir.file("e.map"), "north: 10\nsouth: 0\neast: 20\nwest: 0\nrows: 1\ncols: 2\n0 7\n");
    auto s = std::make_unique<model_state>();
    s->rows = 1;
    s->cols = 2;
    s->mask.assign(2, 3, 0);
    s->mask[1][2] = 1;
    s->num_cells = 1;
    s->ground_elev.assign(1, 0.0);
    s->outrow = 1;
    s->outcol = 1;
    s->chan_explicit = 1;
    s->elevation_name = "e.map";
    ASSERT_TRUE(file_rec_open(s->elevation_file, dir.file("e.map"), "r"));
    error_state_clear();
    testing::internal::CaptureStdout();
    read_elevation_map(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "reading elevation map from file: e.map\noutlet is in grid cell: 0\n");
    EXPECT_EQ(error_state.raised, 0);
    EXPECT_EQ(s->ground_elev[1], 7.0);
    EXPECT_FALSE(s->elevation_file.fp) << "closed after reading";
}

TEST_F(InputProject, RoughnessGridWithAZeroCellNamesTheFirst)
{
    grid("r.map", "0 0.1 0.2 0\n0.3 0 0.5 0.6\n0.7 0 0.9 0\n");
    EXPECT_FALSE(load(std::string(base_cards_3x4) + "ROUGHNESS r.map\n"));
    EXPECT_TRUE(printed("reading roughness map from file: r.map\n"));
    EXPECT_TRUE(printed("Overland Manning n=0 at grid cell 4.  Program terminating.\n")) << out;
    EXPECT_DOUBLE_EQ(s->dist_rough[3], 0.3) << "cells before it have been read";

    grid("r.map", "0 0.1 0.2 0\n0.3 0.4 0.5 0.6\n0.7 0.8 0.9 0\n");
    ASSERT_TRUE(load(std::string(base_cards_3x4) + "ROUGHNESS r.map\n")) << out;
    EXPECT_DOUBLE_EQ(s->dist_rough[8], 0.8);

    struct uniform {
        const char* value;
        bool accepted;
    };
    for (const uniform u : {uniform{"0.000001", false}, uniform{"0.0000011", true}}) {
        EXPECT_EQ(load(std::string(base_cards_3x4) + "MANNING_N " + u.value + "\n"), u.accepted) << u.value;
        EXPECT_EQ(
            printed("\nInvalid spatially uniform overland flow Manning n value=0.000001\nTORVA exiting.\n"),
            !u.accepted)
            << out;
    }
    EXPECT_DOUBLE_EQ(s->dist_rough[9], 0.0000011);
}

TEST_F(InputProject, RetentionInMetres)
{
    grid("ret.map", "0 5 5 0\n5 5 5 5\n5 5 10 0\n");
    ASSERT_TRUE(load(cards + "RETEN_DEPTH ret.map\n")) << out;
    EXPECT_DOUBLE_EQ(s->retent_dep[1], 0.005);
    EXPECT_DOUBLE_EQ(s->retent_dep[9], 0.01);
    ASSERT_TRUE(load(cards + "RETENTION 2\n")) << out;
    EXPECT_DOUBLE_EQ(s->retent_dep[5], 0.002);
    ASSERT_TRUE(load(cards)) << out;
    EXPECT_EQ(s->retent_dep[5], 0.0);
}

TEST_F(InputProject, BlockageAndBoundaryTables)
{
    grid("all.idx", "0 1 1 0\n1 2 1 1\n1 1 1 0\n");
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP all.idx All\n"
                  "OVR_FLOW_BLOCK All\nNUM_IDS 2\nID\n" +
                      table_row(1, "0 0 0 0 0") + table_row(2, "0.5 0.1 0.2 0.3 0.4") +
                      "OVERLAND_BOUNDARY All\nNUM_IDS 2\nID\n" + table_row(1, "0 0") + table_row(2, "2 7"));
    ASSERT_TRUE(load(cards + "MAPPING_TABLE t.cmt\nOVR_FLOW_BLOCK\nOV_BOUNDARY\n")) << out;
    EXPECT_TRUE(printed("reading overland blockage table and map from master table file\n"));
    EXPECT_DOUBLE_EQ(s->ov_block_frac[4], 0.5);
    for (int side = 1; side <= 4; ++side)
        EXPECT_DOUBLE_EQ(s->ovr_flow_block_frac[4][side], 0.1 * side);
    EXPECT_EQ(s->ovr_flow_block_frac[3][2], 0.0);
    EXPECT_EQ(s->boundary_type[4], 2);
    EXPECT_EQ(s->boundary_type[3], 0);
    EXPECT_DOUBLE_EQ(s->ov_bc_values_b[4], 7.0);

    // A type that is not a boundary type.
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP all.idx All\nOVERLAND_BOUNDARY All\nNUM_IDS 2\nID\n" +
                      table_row(1, "0 0") + table_row(2, "-1 0"));
    EXPECT_FALSE(load(cards + "MAPPING_TABLE t.cmt\nOV_BOUNDARY\n"));
    EXPECT_TRUE(printed("Error: cell 4 (row 2, column 2) has the overland boundary type -1 in table "
                        "OVERLAND_BOUNDARY; the types are 0 to 7 and 99.\n"))
        << out;

    // OV_BOUNDARY without its table.
    EXPECT_FALSE(load(cards + "OV_BOUNDARY\n"));
    EXPECT_TRUE(printed("Error: The OV_BOUNDARY card has been specified in the project file but the \n"
                        "       OVERLAND_BOUNDARY table was not found...\n"))
        << out;
}

TEST_F(InputProject, HotstartDepthAndWaterLevel)
{
    grid("h.map", "0 0.2 0.2 0\n0.2 0.2 0.2 0.2\n0.2 0.2 0.2 0\n");
    ASSERT_TRUE(load(cards + "READ_OV_HOTSTART h.map\nINIT_ELEV_HEAD 101.5\n")) << out;
    EXPECT_TRUE(printed("reading overland hotstart map from file: h.map\n"));
    // Above the level the hotstart depth stays; below it the level rules.
    EXPECT_DOUBLE_EQ(s->ov_depth[1], 0.2); // ground 105
    EXPECT_DOUBLE_EQ(s->ov_depth[5], 0.5); // ground 101
    EXPECT_DOUBLE_EQ(s->ov_depth[6], 1.5); // ground 100
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(s->ov_depth_old[i], s->ov_depth[i]);

    // Snow arrays exist only in long-term runs.
    EXPECT_FALSE(load(cards + "INIT_SWE_DEPTH 0.05\n"));
    EXPECT_TRUE(
        printed("Error: INIT_SWE_DEPTH gives an initial snow water equivalent, but snow is simulated only "
                "in long-term runs (LONG_TERM card).\n"))
        << out;
}

TEST_F(InputProject, OverlandLocationListsStayOnTheGrid)
{
    file("out.loc", "2\n1 2\n3 3\n");
    ASSERT_TRUE(load(cards + "OVERLAND_DEPTHS d.out\nOVERLAND_DEPTH_LOCATION out.loc\n")) << out;
    EXPECT_EQ(s->num_overland_depth_cells, 2);
    EXPECT_EQ(s->overland_depth_row[2], 3);
    EXPECT_EQ(s->overland_depth_col[1], 2);

    file("out.loc", "2\n1 2\n4 1\n");
    EXPECT_FALSE(load(cards + "OVERLAND_WSE w.out\nOVERLAND_WSE_LOCATION out.loc\n"));
    EXPECT_TRUE(
        printed("out.loc, row 4 column 1, lies outside the grid of 3 rows and 4 columns.\n"))
        << out;
    file("out.loc", "3\n1 2\n");
    EXPECT_FALSE(load(cards + "OVERLAND_WSE w.out\nOVERLAND_WSE_LOCATION out.loc\n"));
    EXPECT_TRUE(printed("out.loc, line 1: the count of locations 3 is more than the 6 characters left in the file "
                        "can hold.\n"))
        << out;
    file("out.loc", "1\n1 2\n3 3\n");
    EXPECT_FALSE(load(cards + "OVERLAND_WSE w.out\nOVERLAND_WSE_LOCATION out.loc\n"));
    EXPECT_TRUE(printed("out.loc holds \"3\" after the last of the 1 entries its count announces.\n")) << out;
}

TEST(CellArrays, AllocatedByTheSwitchesOfTheRun)
{
    auto s = std::make_unique<model_state>();
    s->num_cells = 3;
    alloc_cell_arrays(*s);
    EXPECT_EQ(s->ov_depth.size(), 3);
    EXPECT_EQ(s->dist_rough.size(), 3);
    EXPECT_EQ(s->rightcon.size(), 3);
    EXPECT_FALSE(s->inf_rate) << "no infiltration, no soil arrays";
    EXPECT_FALSE(s->snow_swe);
    EXPECT_FALSE(s->bound_type);

    auto r = std::make_unique<model_state>();
    r->num_cells = 3;
    r->inf_richards = 1;
    r->long_term = 1;
    r->snap_retention = 1;
    alloc_cell_arrays(*r);
    EXPECT_EQ(r->num1.size(), 151);
    EXPECT_EQ(r->soiltype.size(), 3);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(r->bound_type[i], 1);
        EXPECT_EQ(r->snow_scf[i], 1.0);
    }
    EXPECT_EQ(r->Melt_Waves.dim2(), 6);
    EXPECT_EQ(r->sn_stat.cols(), 23);
    EXPECT_EQ(r->snow_retention_kind, 6);
}
