// Overland lakes (lake map and lake file), embankments and their low spots.
#include <gtest/gtest.h>

#include <string>

#include "core/model_state.h"
#include "input/input_fixture.h"

using namespace torva_test;

namespace
{

const std::string lake_cards =
    std::string(base_cards_3x4) + "MANNING_N 0.05\nOVERLAND_LAKE_MAP l.map\nOVERLAND_LAKE_FILE l.lak\n";

// Lakes 1 (cells 1 and 2, ground 105 and 104), 2 (cell 4, ground 102) and
// 5 (cell 9, ground 100); lakes 3 and 4 have no cell.
void lake_map(InputProject& p)
{
    p.grid("l.map", "7 1 1 0\n0 2 0 0\n0 0 5 0\n");
}

} // namespace

TEST_F(InputProject, LakesOneTwoAndFiveGiveFiveRecords)
{
    lake_map(*this);
    file("l.lak", "Torva_Overland_Lake_File comment\n# remarks are skipped\nLAKE 5 101.5 9\n"
                  "lake 2 102 0\nLAKE 1 106 1\nLAKE 3 90 0\nLAKE 4 90 0\n");
    ASSERT_TRUE(load(lake_cards)) << out << err;
    EXPECT_TRUE(printed("reading overland lake map from file: l.map\n"));
    EXPECT_TRUE(printed("1   Elev: 101.50   Volume: 9.00\n2   Elev: 102.00   Volume: 0.00\n"
                        "3   Elev: 106.00   Volume: 1.00\n"))
        << out;
    ASSERT_EQ(s->num_oland_lakes, 5);
    ASSERT_EQ(s->oland_lakes.size(), 6u);
    struct lake {
        int cells;
        double stage, volume;
    };
    const lake want[] = {{0, 0, 0}, {2, 106, 300}, {1, 102, 0}, {0, 90, 0}, {0, 90, 0}, {1, 101.5, 150}};
    for (int e = 1; e <= 5; ++e) {
        const ov_lake& l = s->oland_lakes[static_cast<size_t>(e)];
        EXPECT_EQ(l.num_cells, want[e].cells) << e;
        EXPECT_DOUBLE_EQ(l.stage, want[e].stage) << e;
        EXPECT_DOUBLE_EQ(l.stage_init, want[e].stage) << e;
        EXPECT_DOUBLE_EQ(l.volume, want[e].volume) << e;
    }
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(s->oland_lake_new[i], s->oland_lake_mask[i]);
    EXPECT_EQ(s->oland_lake_mask[9], 5);
}

TEST_F(InputProject, LakeFileErrorsStopTheRun)
{
    lake_map(*this);
    struct bad {
        std::string file;
        const char* message;
    };
    const std::string good = "LAKE 1 106 0\nLAKE 2 102 0\nLAKE 3 90 0\nLAKE 4 90 0\n";
    const bad cases[] = {
        {"TORVA_OVERLAND_LAKE_FILE\n" + good, "Incorrect number of LAKE cards in the overland lake input "
                                              "data file.\nExpected 5 LAKE cards, read 4\n"
                                              "Program terminated.\n"},
        {"TORVA_OVERLAND_LAKE_FILE\n", "Premature end-of-file in the overland lake input data file.\nNo LAKE "
                                       "cards encountered before end of "
                                       "file.\n"},
        {"LAKES\n" + good + "LAKE 5 101.5 0\n",
         "The overland lake input data file doesn't start with\n TORVA_OVERLAND_LAKE_FILE card.\n"
         "The file format is invalid.  Program terminated.\n"},
        {"TORVA\n" + good + "LAKE 6 101.5 0\n",
         "LAKE card 5 of the overland lake input data file needs a lake number from 1 to 5"},
    };
    for (const bad& b : cases) {
        file("l.lak", b.file);
        EXPECT_FALSE(load(lake_cards)) << b.file;
        EXPECT_NE(err.find(b.message), std::string::npos) << b.file << "\n---\n" << err;
    }

    // A lake cell above its lake's stage.
    file("l.lak", "TORVA\n" + good + "LAKE 5 99 0\n");
    EXPECT_FALSE(load(lake_cards));
    EXPECT_TRUE(printed("There is a lake cell in lake 5 that is above the initial lake water surface\n"
                        "elevation in that lake, which is specified as 99.000000.  This situation is not\n"
                        "physically realistic.  Check your lake map.  Program terminated.\n"))
        << out;

    // Lake numbers are categories from 0 to 9,999: a no-data value is refused.
    grid("l.map", "7 1 1 0\n0 -9999 0 0\n0 0 5 0\n");
    EXPECT_FALSE(load(lake_cards));
    EXPECT_TRUE(
        printed("Error: the value -9999 at row 2, column 2 of map l.map is not a category from 0 to 9999.\n"))
        << out;
}

TEST_F(InputProject, EmbankmentsAndLowSpots)
{
    grid("d.map", "0 2 8 0\n0 0 0 0\n0 0 0 0\n");
    file("l.spt", "LowSpot\nSPOT 1 2 2 0.5 104.5\nnot a card\nspot 1 3 8 0.25 104\n");
    const std::string dike_cards = cards_with("DIKE_MAP d.map\nLOWSPOT_FILE l.spt\n");
    ASSERT_TRUE(load(dike_cards)) << out << err;
    EXPECT_TRUE(printed("reading overland flow dike map from file: d.map\n"));
    EXPECT_EQ(s->dike_mask[1], 2);
    EXPECT_EQ(s->dike_mask[2], 8);
    ASSERT_EQ(s->lowspot_count, 2);
    EXPECT_EQ(s->lowspots[2].col, 3);
    EXPECT_EQ(s->lowspots[2].side, 8);
    EXPECT_DOUBLE_EQ(s->lowspots[2].fraction, 0.25);
    EXPECT_DOUBLE_EQ(s->lowspots[1].elevation, 104.5);

    // A low spot off the grid.
    file("l.spt", "LOWSPOT\nSPOT 4 2 2 0.5 104.5\n");
    EXPECT_FALSE(load(dike_cards));
    EXPECT_TRUE(
        printed("Error: low spot 1 of the lowspot input file l.spt, row 4 column 2, lies outside the grid "
                "of 3 rows and 4 columns.\n"))
        << out;

    // Files that are missing or malformed.
    EXPECT_FALSE(load(cards_with("DIKE_MAP d.map\nLOWSPOT_FILE none.spt\n")));
    EXPECT_TRUE(printed("Can't open input low spot file named: none.spt\n")) << out;
    EXPECT_FALSE(load(cards_with("DIKE_MAP none.map\n")));
    EXPECT_TRUE(printed("Can't open input dike mask file named: none.map\n")) << out;
    file("l.spt", "SPOTS\nSPOT 1 2 2 0.5 104.5\n");
    EXPECT_FALSE(load(dike_cards));
    EXPECT_NE(err.find("The lowspot input file: l.spt does not start with the LOWSPOT card.\n"),
              std::string::npos)
        << err;
    file("l.spt", "LOWSPOT\nSPOTS 1 2 2 0.5 104.5\n");
    EXPECT_FALSE(load(dike_cards));
    EXPECT_NE(
        err.find("Premature end-of-file in the lowspot input file.\nNo SPOT cards encountered before end of "
                 "file.\n"),
        std::string::npos)
        << err;

    // Low spots are read only together with a dike map.
    file("l.spt", "garbage\n");
    EXPECT_TRUE(load(cards_with("LOWSPOT_FILE l.spt\n"))) << out << err;
    EXPECT_EQ(s->lowspot_count, 0);
}
