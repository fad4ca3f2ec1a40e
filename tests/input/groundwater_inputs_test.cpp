// Groundwater, lumped-model and link-map inputs: boundary types, static
// fluxes and wells, aquifer conductivity and porosity by source, the files
// that cannot be opened, and the strict reading of the static flux table.
#include <gtest/gtest.h>

#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/input_fixture.h"
#include "input/subsurface_inputs.h"
#include "subsurface/wells.h"

using namespace torva_test;

namespace
{

struct GroundwaterInputs : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        option_checks = false;
        grid("wt.map", "0 100 99 0\n98 97 96 95\n97 96 95 0\n");
        grid("ab.map", "0 90 90 0\n90 90 90 90\n90 90 90 0\n");
        grid("gb.map", "0 1 1 0\n1 1 1 1\n1 1 1 0\n");
    }
    static std::string gw_cards(const std::string& extra)
    {
        return cards_with("WATER_TABLE wt.map\nGW_SIMULATION\nGW_BOUNDFILE gb.map\nAQUIFER_BOTTOM ab.map\n" +
                          extra);
    }
    // Runs one reader on the loaded state with its screen output.
    template <class F>
    void call(F f)
    {
        testing::internal::CaptureStdout();
        f(*s);
        out = testing::internal::GetCapturedStdout();
    }
};

} // namespace

TEST_F(GroundwaterInputs, StaticFluxAndUniformConductivityInModelUnits)
{
    // No cell of type 6: the table named by the card is read all the same.
    file("flux.tab", "1\n  2 3   8.64\n");
    ASSERT_TRUE(load(gw_cards("GW_UNIF_HYCOND 36\nGW_UNIF_POROSITY 0.3\nGW_FLUXBOUNDTABLE flux.tab\n"))) << out;
    EXPECT_TRUE(printed("reading the groundwater boundary file: gb.map\n")) << out;
    for (int i = 1; i <= s->num_cells; ++i) {
        EXPECT_DOUBLE_EQ(s->gw_hyd_cond[i], 1e-4) << i; // 36 cm/h
        EXPECT_EQ(s->gw_hyd_cond_copy[i], s->gw_hyd_cond[i]);
        EXPECT_EQ(s->gw_porosity[i], 0.3);
        EXPECT_EQ(s->gw_porosity_copy[i], 0.3);
        EXPECT_EQ(s->gw_cell_dx[i], 10.0);
        EXPECT_EQ(s->gw_cell_dy[i], 10.0);
        EXPECT_EQ(s->gw_ksat_x[i], s->gw_hyd_cond[i]);
        EXPECT_EQ(s->gw_ksat_y[i], s->gw_hyd_cond[i]);
        // 8.64 m3/day over a 10 m cell (row 2, column 3 is cell 5).
        EXPECT_DOUBLE_EQ(s->well_flux[i], i == 5 ? 1e-6 : 0.0) << i;
    }
}

TEST_F(GroundwaterInputs, StaticFluxTableIsReadStrictly)
{
    const std::string cards = gw_cards("GW_UNIF_HYCOND 36\nGW_FLUXBOUNDTABLE flux.tab\n");
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"1\n5 3 8.64\n", "Error: entry 1 of flux.tab, row 5 column 3, lies outside the grid of 3 rows and 4 columns.\n"},
        {"1\n2 0 8.64\n", "Error: entry 1 of flux.tab, row 2 column 0, lies outside the grid of 3 rows and 4 columns.\n"},
        {"1\n1 1 8.64\n", "Error: entry 1 of flux.tab, row 1 column 1, lies outside the watershed.\n"},
        {"1\n2 3 8.64x\n", "Error: file flux.tab, line 2, entry 1: the flux \"8.64x\" is not a number.\n"},
        {"1\n2 3 inf\n", "Error: file flux.tab, line 2, entry 1: the flux \"inf\" is not finite.\n"},
        {"1\n2 3.5 1\n", "Error: file flux.tab, line 2, entry 1: the column \"3.5\" is not a whole number.\n"},
        {"-1\n", "Error: file flux.tab, line 1, entry 0: the number of entries \"-1\" lies outside 0 to 1e+07.\n"},
        {"2\n2 3 8.64\n", "Error: file flux.tab, line 1: the number of entries 2 is more than the 9 characters left "
                         "in the file can hold.\n"},
        {"2\n2 3 8.64\n3 ", "Error: file flux.tab ends after line 3, before the column of entry 2.\n"},
        {"2\n2 3 8.64\n2 3 1\n", "Error: file flux.tab, line 3: entry 2 gives row 2, column 3 a flux again (entry 1 "
                                 "gave it first).\n"},
        {"1\n2 3 8.64\n2 4 1\n", "Error: file flux.tab, line 3: \"2\" follows the last of the 1 entries the file "
                                 "announces.\n"},
    };
    for (const auto& c : cases) {
        file("flux.tab", c.text);
        EXPECT_FALSE(load(cards)) << c.text;
        EXPECT_TRUE(printed(c.message)) << c.text << out;
    }
    EXPECT_FALSE(load(gw_cards("GW_UNIF_HYCOND 36\nGW_FLUXBOUNDTABLE none.tab\n")));
    EXPECT_TRUE(printed("Can't open static flux table file: none.tab\n")) << out;
}

TEST_F(GroundwaterInputs, BoundaryFileWinsOverTheTable)
{
    grid("gwb.idx", "0 1 1 0\n1 1 2 2\n1 1 2 0\n");
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP gwb.idx Bound\nGROUNDWATER_BOUNDARY Bound\nNUM_IDS 2\nID\n" +
                      mapping_row(1, "1") + mapping_row(2, "2"));
    grid("gb.map", "0 1 1 0\n1 1 1 4\n1 1 1 0\n");
    ASSERT_TRUE(load(gw_cards("MAPPING_TABLE t.cmt\nGW_UNIF_HYCOND 36\n"))) << out;
    EXPECT_EQ(s->gwbound[5], 1);
    EXPECT_EQ(s->gwbound[6], 4);

    s->gw_boundfile_name.clear();
    call(read_groundwater_inputs);
    EXPECT_TRUE(printed("reading the groundwater boundary file from the mapping table\n")) << out;
    EXPECT_EQ(s->gwbound[4], 1);
    EXPECT_EQ(s->gwbound[5], 2);
    EXPECT_EQ(s->gwbound[6], 2);
    EXPECT_EQ(s->gw_porosity[5], 0.0) << "the boundary types are not left as porosity";
}

TEST_F(GroundwaterInputs, ConductivityAndPorositySources)
{
    EXPECT_FALSE(load(gw_cards("")));
    EXPECT_TRUE(printed("Error: the mapping table for the groundwater table is not set up correctly.")) << out;

    // Conductivity from its grid, porosity from the Groundwater table.
    grid("k.map", "0 3.6 3.6 0\n3.6 3.6 3.6 3.6\n3.6 3.6 3.6 0\n");
    grid("aq.idx", "0 1 1 0\n1 1 2 2\n1 1 2 0\n");
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP aq.idx Aquifer\nGROUNDWATER Aquifer\nNUM_IDS 2\nID\n" +
                      mapping_row(1, "72 0.25") + mapping_row(2, "72 0.35"));
    ASSERT_TRUE(load(gw_cards("MAPPING_TABLE t.cmt\nGW_HYCOND_MAP k.map\n"))) << out;
    EXPECT_TRUE(printed("reading ground water hydraulic conductivity map from file: k.map\n")) << out;
    EXPECT_TRUE(printed("reading ground water porosity map from the master table file\n")) << out;
    EXPECT_DOUBLE_EQ(s->gw_hyd_cond[5], 1e-5);
    EXPECT_EQ(s->gw_porosity[4], 0.25);
    EXPECT_EQ(s->gw_porosity[5], 0.35);
    EXPECT_EQ(s->gw_porosity_copy[5], 0.35);

    // Both from the table.
    ASSERT_TRUE(load(gw_cards("MAPPING_TABLE t.cmt\n"))) << out;
    EXPECT_DOUBLE_EQ(s->gw_hyd_cond[5], 2e-4);
    EXPECT_EQ(s->gw_porosity[5], 0.35);
    const std::string summary = read_file(dir.file("run.sum"));
    EXPECT_NE(summary.find("reading hyd. cond. map from the master table file\n"), std::string::npos) << summary;
}

TEST_F(GroundwaterInputs, WellsComeFromTheWellTable)
{
    grid("wells.idx", "0 1 0 0\n0 0 0 0\n0 0 0 0\n");
    file("t.cmt", "TORVA_INDEX_MAP_TABLES\nINDEX_MAP wells.idx Wells\nWELL_TABLE Wells\nNUM_IDS 1\nID\n" +
                      mapping_row(1, "0 -250 0"));
    grid("gb.map", "0 3 1 0\n1 1 1 1\n1 1 1 0\n");
    ASSERT_TRUE(load(gw_cards("MAPPING_TABLE t.cmt\nUSE_WELLS\nGW_UNIF_HYCOND 36\n"))) << out;
    EXPECT_EQ(s->gw_boundary_count, 1);
    ASSERT_EQ(well_list.size(), 1u);
    EXPECT_EQ(well_list[0].id, 1);
    EXPECT_EQ(well_list[0].flux, -250.0);
    EXPECT_FALSE(printed("You can't have a dynamic wells")) << out;

    wells_free();
    ASSERT_TRUE(load(gw_cards("MAPPING_TABLE t.cmt\nGW_UNIF_HYCOND 36\n"))) << out;
    EXPECT_TRUE(printed("You can't have a dynamic wells in the groundwater boundary map. You must use the\n"
                        "WELL_TABLE table in the mapping table file\n"))
        << out;
    EXPECT_TRUE(well_list.empty());
}

TEST_F(GroundwaterInputs, LumpedModelAndLinkFilesThatDoNotOpenStopTheRun)
{
    EXPECT_FALSE(load(cards_with("SACRAMENTO none.sac\n")));
    EXPECT_TRUE(printed("Cannot open Sacramento input parameter file: none.sac\n")) << out;
    EXPECT_FALSE(load(cards_with("CONCEPTUAL_GW none.cgw\n")));
    EXPECT_TRUE(printed("Cannot open Conceptual GW input parameter file: none.cgw\n")) << out;

    ASSERT_TRUE(load(cards_with(""))) << out;
    s->chan_explicit = s->conceptual_gw = 1;
    s->links_name = "none.lnk";
    call(read_link_map);
    EXPECT_TRUE(printed("Cannot open link file: none.lnk\n")) << out;
    EXPECT_EQ(error_state.raised, 1);

    error_state_clear();
    grid("l.map", "0 1 1 0\n2 2 3 3\n2 2 3 0\n");
    s->links_name = dir.file("l.map");
    call(read_link_map);
    EXPECT_EQ(error_state.raised, 0) << out;
    const int links[] = {0, 1, 1, 2, 2, 3, 3, 2, 2, 3};
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(s->con_link[i], links[i]) << i;
}

TEST_F(GroundwaterInputs, WellLevelLocations)
{
    file("wl.loc", "2\n1 2\n3 3\n");
    ASSERT_TRUE(load(gw_cards("GW_UNIF_HYCOND 36\nGW_WELL_LEVEL wl.out\nOUT_WELL_LOCATION wl.loc\n"))) << out;
    ASSERT_EQ(s->num_wells, 2);
    EXPECT_EQ(s->well_row[2], 3);
    EXPECT_EQ(s->well_column[1], 2);
    file("wl.loc", "2\n1 2\n3 \n");
    EXPECT_FALSE(load(gw_cards("GW_UNIF_HYCOND 36\nGW_WELL_LEVEL wl.out\nOUT_WELL_LOCATION wl.loc\n")));
    EXPECT_TRUE(printed("Error: file wl.loc ends after line 3, before the column of entry 2.\n")) << out;
    // A count the rest of the file cannot hold is refused before anything is sized.
    file("wl.loc", "5000000\n1 2\n");
    EXPECT_FALSE(load(gw_cards("GW_UNIF_HYCOND 36\nGW_WELL_LEVEL wl.out\nOUT_WELL_LOCATION wl.loc\n")));
    EXPECT_TRUE(printed("Error: file wl.loc, line 1: the number of wells 5000000 is more than the 4 characters "
                        "left in the file can hold.\n"))
        << out;
}

// A type-8 cell takes its head from the XY head points: without them it
// would become a plain fixed head at its first level, unasked.
TEST_F(GroundwaterInputs, HeadsInterpolatedFromXyPointsNeedThePoints)
{
    grid("gb.map", "0 1 1 0\n1 1 8 8\n1 1 1 0\n");
    EXPECT_FALSE(load(gw_cards("GW_UNIF_HYCOND 36\n")));
    EXPECT_TRUE(printed("Error: " + s->gw_boundfile_name +
                        " gives 2 groundwater boundary cells (the first is cell 5) the type 8, a head interpolated "
                        "from XY head points, but the project gives no XY head points (XYBDYINPUT_GWHEADINTERP).\n"))
        << out;
}
