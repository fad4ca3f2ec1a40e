// The channel input file read through the input hub: the network as read,
// the structures, pumps, point sources and lakes, the grid-stream entries,
// and every refusal with its message.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "channel/channel_input.h"
#include "channel_fixture.h"

using namespace torva_test;

TEST_F(ChannelProject, FullNetworkReadsBack)
{
    ASSERT_TRUE(load_network(full_network)) << out;
    const model_state& c = *s;
    EXPECT_TRUE(printed("reading channel input data from file c.chn\n"));
    EXPECT_TRUE(printed("\n\nChannel input data:\n  max. number of u.s. dependencies:      1\n"
                        "  number of trapezoidal links:           1\n"))
        << out;
    EXPECT_TRUE(printed("  number of breakpoint links:            1\n"));
    EXPECT_TRUE(printed("    max number of xsec in any bp link:     2\n"));
    EXPECT_TRUE(printed("  number of lake links:                  2\n"));
    EXPECT_TRUE(printed("  number of hydraulic structure links:   2\n"
                        "    total no. of hydr. structure elements: 5\n"));
    EXPECT_TRUE(printed("Reading and interpolating break-point cross-sections .\n"));
    EXPECT_TRUE(printed("Finished reading non-orthogonal channel information from gst file.\n"));
    EXPECT_TRUE(printed("Initial Water Surface Elevation Lake #1: 100.00\n"
                        "Maximum Water Surface Elevation Lake #1: 102.00\n"
                        "number of coords for lake #1's search order: 3\n"));

    // Counts, links and connectivity.
    EXPECT_EQ(c.num_links, 6);
    EXPECT_EQ(c.node_dim, 6);
    EXPECT_EQ(c.link_dim, 7);
    EXPECT_EQ(c.dslink[2], 3);
    EXPECT_EQ(c.ndep[6], 1);
    EXPECT_EQ(c.uslinks[6][1], 5);
    const int types[] = {0, 4, 8, 64, 64, 32, 32};
    const int nx[] = {0, 4, 3, 2, 2, 0, 0}; // the lakes give no NODES card
    for (int l = 1; l <= 6; ++l) {
        EXPECT_EQ(c.ltype[l], types[l]) << l;
        EXPECT_EQ(c.nx[l], nx[l]) << l;
        EXPECT_EQ(c.og_nx1[l], nx[l]) << l;
    }
    EXPECT_EQ(c.ldex[5], 1);
    EXPECT_EQ(c.ldex[6], 2);
    EXPECT_DOUBLE_EQ(c.inv_mannings_n[1], 25.0);

    // Node beds of NODES 5, ELEV 10..6: the means of neighbouring points,
    // dry at the start.
    const double beds[] = {0, 9.5, 8.5, 7.5, 6.5};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_DOUBLE_EQ(c.bel[k][1], beds[k]) << k;
        EXPECT_DOUBLE_EQ(c.yp[k][1], beds[k]) << k;
        EXPECT_EQ(c.qp[k][1], 0.0);
    }
    // The section of the last XSEC node (4) on every node point.
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(c.bottom[k][1], 2.0) << k;
        EXPECT_EQ(c.sslope[k][1], 0.5) << k;
        EXPECT_EQ(c.bankfull_dep[k][1], 1.5) << k;
    }

    // Break-point link: tables 1..3 for nodes 1..3, node 4 shares node 3's;
    // node 2 lies between the sections.
    EXPECT_EQ(c.num_bp_tables, 3);
    EXPECT_EQ(c.table_num[1][2], 1);
    EXPECT_EQ(c.table_num[2][2], 2);
    EXPECT_EQ(c.table_num[3][2], 3);
    EXPECT_EQ(c.table_num[4][2], 3);

    // Structures: element ranges 1..2 and 3..5 with their types and series.
    ASSERT_EQ(c.chan_structures.size(), 6u);
    EXPECT_EQ(c.chan_struct_table[3].first, 1);
    EXPECT_EQ(c.chan_struct_table[3].last, 2);
    EXPECT_EQ(c.chan_struct_table[3].count, 2);
    EXPECT_EQ(c.chan_struct_table[4].first, 3);
    EXPECT_EQ(c.chan_struct_table[4].last, 5);
    const int stypes[] = {0, 1, 6, 3, 7, 8};
    for (int j = 1; j <= 5; ++j)
        EXPECT_EQ(c.chan_structures[static_cast<size_t>(j)].type, stypes[j]) << j;
    EXPECT_EQ(c.chan_structures[1].length, 5.0);
    EXPECT_EQ(c.chan_structures[1].up_elev, 4.5);
    EXPECT_EQ(c.chan_structures[3].size1, 0.8);
    EXPECT_EQ(c.chan_structures[2].rating->name, "weir_rating");
    EXPECT_EQ(c.chan_structures[4].schedule->name, "release");
    EXPECT_EQ(c.chan_structures[5].rating->name, "weir_rating");

    // Point source and pump at node 2 of link 1 (a plain trapezoid: the
    // pump's destination node becomes 1).
    ASSERT_FALSE(c.stream_pointsource.empty());
    EXPECT_EQ(c.stream_pointsource[2][1]->name, "release");
    ASSERT_NE(c.stream_pumps[2][1], nullptr);
    EXPECT_EQ(c.stream_pumps[2][1]->dest_link, 2);
    EXPECT_EQ(c.stream_pumps[2][1]->dest_node, 1);
    EXPECT_EQ(c.stream_pumps[2][1]->flow_type, 1);

    // Lake 1 by its cells: ground 99.5, 100, 101 under INITWSE 100 covers one
    // cell, 50 m3 and 100 m2.
    EXPECT_EQ(c.num_lakes, 2);
    EXPECT_EQ(c.lake2link[5], 1);
    EXPECT_EQ(c.lake_cells[1], 1);
    EXPECT_DOUBLE_EQ(c.lake_volume[1], 50.0);
    EXPECT_DOUBLE_EQ(c.lake_area[1], 100.0);
    EXPECT_EQ(c.lake_mask[1], 1);
    EXPECT_EQ(c.lake_mask[2], 0);
    EXPECT_EQ(c.lake_search[1][1][3], 1);
    EXPECT_EQ(c.lake_search[1][2][3], 3);
    // Lake 2 by its rating curve at 100.5 m: 2,000 m3 and 500 m2; both
    // listed cells (ground 100 and 99) lie below it.
    EXPECT_DOUBLE_EQ(c.lake_volume[2], 2000.0);
    EXPECT_DOUBLE_EQ(c.lake_area[2], 500.0);
    EXPECT_EQ(c.lake_cells[2], 2);
    EXPECT_EQ(c.lake_mask[8], 2);
    EXPECT_EQ(c.lake_mask[12], 2);
    EXPECT_EQ(c.og_num_links, 6);
    EXPECT_EQ(c.og_lytpe[5], 32);
    EXPECT_EQ(c.og_uslinks[3][1], 2);

    // Grid-stream entries.
    EXPECT_EQ(c.gst_ncells, 2);
    EXPECT_EQ(c.gst_max_entries, 2);
    EXPECT_EQ(c.gst_gnum[1][2], 5);
    EXPECT_EQ(c.gst_node[1][2], 2);
    EXPECT_DOUBLE_EQ(c.gst_pct[2][1], 1.0);
    EXPECT_EQ(c.gst_gnum[2][1], 6);
}

TEST_F(ChannelProject, CardsAnyCaseAndKindFlags)
{
    // Keywords in any case; TRAPEZOID after ERODE loses the flag, ERODE after
    // TRAPEZOID keeps it, ERODE twice and OVERBANK twice count once.
    std::string net = edited(full_network, "LINK 1\nTRAPEZOID\n", "link 1\nErode\nTrapezoid\n");
    net = edited(net, "LINK 2\nBREAKPOINT\n", "LINK 2\nBREAKPOINT\nERODE\nerode\nOVERBANK\nOVERBANK\n");
    net = edited(net, "TORVA_CHAN", "torva_chan_v2");
    net = edited(net, "MANNINGS_N 0.04", "LINK,2\nMANNINGS_N 0.04"); // the word "link,2" is no keyword
    ASSERT_TRUE(load_network(net)) << out;
    EXPECT_EQ(s->ltype[1], 4);
    EXPECT_EQ(s->ltype[2], 8 + 2 + 256);
    EXPECT_EQ(s->chan_overbank, 1);
    EXPECT_EQ(s->bplink[2], 1);
    EXPECT_DOUBLE_EQ(s->inv_mannings_n[1], 25.0);
    EXPECT_TRUE(printed("    num w/ erodible attribute:             1\n"));
}

TEST_F(ChannelProject, SubsurfaceCountMismatchOnlyPrinted)
{
    ASSERT_TRUE(load_network(edited(full_network, "LINK 1\nTRAPEZOID\n", "LINK 1\nSUBSURFACE_TRAPEZOID\n")))
        << out;
    EXPECT_EQ(s->ltype[1], 5);
    EXPECT_TRUE(
        printed("  number of groundwater links:           0\n ===> Error: the number of specified subsurface "
                "links does not match the number of subsurface \nparameters. Check your subsurface links to "
                "ensure that they specify the bed concuctivity and thickness\n"))
        << out;
}

TEST_F(ChannelProject, ErodibleBreakpointResampledPerNode)
{
    std::string net = edited(full_network, "LINK 2\nBREAKPOINT\n", "LINK 2\nBREAKPOINT_ERODE\n");
    net = edited(net, "X1 0 1\nX1 1 0\nX1 2 1\n", "X1 0 1\nX1 0.5 0.2\nX1 2 1\n");
    ASSERT_TRUE(load_network(net)) << out;
    const model_state& c = *s;
    EXPECT_EQ(c.num_bp_tables, 4);
    // Stations equally spaced from 0 to 2; the middle elevation interpolated
    // on the input piece around station 1 (0.2 at 0.5, 1 at 2).
    const double y_mid = 0.2 + (1.0 - 0.5) * (1.0 - 0.2) / 1.5;
    EXPECT_DOUBLE_EQ(c.xbp_lnn[1][1][1], 0.0);
    EXPECT_DOUBLE_EQ(c.xbp_lnn[1][1][2], 1.0);
    EXPECT_DOUBLE_EQ(c.xbp_lnn[1][1][3], 2.0);
    EXPECT_DOUBLE_EQ(c.ybp_lnn[1][1][2], y_mid);
    // Node 2 halfway between the sections at nodes 1 and 3; node 4 copies 3.
    EXPECT_DOUBLE_EQ(c.ybp_lnn[1][2][2], (y_mid + 0.0) / 2.0);
    EXPECT_DOUBLE_EQ(c.ybp_lnn[1][2][3], 1.5);
    EXPECT_DOUBLE_EQ(c.ybp_lnn[1][4][1], 2.0);
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(c.table_num[k][2], k);
    EXPECT_DOUBLE_EQ(c.ht_spc[4], 0.2);
}

// Every refusal stops the input with its message; the cases edit the full
// network (or the grid-stream file).
struct refusal {
    const char* name;
    const char* from; // text of the network replaced ...
    const char* to;   // ... by this
    const char* message;
    const char* from2 = nullptr; // a second edit
    const char* to2 = nullptr;
};

std::string edited_twice(const refusal& c, const std::string& text)
{
    const std::string once = edited(text, c.from, c.to);
    return c.from2 ? edited(once, c.from2, c.to2) : once;
}

TEST_F(ChannelProject, RefusedNetworks)
{
    const refusal cases[] = {
        {"header", "TORVA_CHAN", "CHANNEL",
         "Error: the channel input file c.chn does not begin with TORVA_CHAN.\n"},
        {"globals", "ALPHA 1\nBETA 1\nTHETA 0.5\nLINKS 6\nMAXNODES 5\n", "ALPHA 1\n",
         "Premature end-of-file in the channel input file.\n"
         "The channel input file does not contain all the required parameter cards.\n"
         "These include: ALPHA, BETA, THETA, DX, LINKS, and MAXNODES.\n"
         "Repair your channel input file and try again.  These cards must appear at\n"
         "The beginning of the file before and COORD or LINK cards.\n"
         "Program terminated in read_chan_input.\n"},
        {"manning", "MANNINGS_N 0.04", "MANNINGS_N 0",
         "Error encountered when reading the channel input file, link 1:\n    Manning's Roughness is "
         "0.000\n"},
        {"connect count", "CONNECT 6 0 1 5\n", "",
         "Your channel input file contains 6 links, and 5 CONNECT cards\n"},
        {"21 upstream", "CONNECT 6 0 1 5", "CONNECT 6 0 21 5",
         "Whoa there pardner!  You mean to tell me that you have more than 20\n"},
        {"no xsec", "XSEC\nBOTTOM_WIDTH 2", "BOTTOM_WIDTH 2",
         "Error: Cross section parameters not found for link 1.\n", "XSEC\nBOTTOM_WIDTH 1", "BOTTOM_WIDTH 1"},
        {"no num_interp", "NUM_INTERP 10\nX1 0 1", "X1 0 1",
         "Error: the number of interpolation points has not been specifiedfor any table. Each break-point "
         "cross-section table should have a NUM_INTERP ### card below the NPAIRS card\n",
         "NUM_INTERP 10\nX1 0 2", "X1 0 2"},
        {"num_interp range", "NUM_INTERP 10\nX1 0 2", "NUM_INTERP 30001\nX1 0 2",
         "\n\nError: The number of interpolation points [30001] for table 1 in link 2 is invalid. (Range is "
         "1-30000.) \n"},
        {"spacing", "NUM_INTERP 10\nX1 0 2", "NUM_INTERP 1\nX1 0 2",
         "\n\nError: The interpolation distance [2.00000] produced by the number of interpolation points "
         "[1]\n"
         "for table 2 in link 2 is invalid. (Range is 0.0001 to 1.0)\n",
         "NUM_INTERP 10\nX1 0 1", "NUM_INTERP 1\nX1 0 1"},
        {"extra X1", "X1 1 0\nX1 2 1\n", "X1 1 0\nX1 2 1\nX1 3 3\n",
         "\n\nError: There are more X1 cards than the NPAIRS card specifies \nfor table 1 in link 2.\n"},
        {"numstructs sum", "NUMSTRUCTS 2", "NUMSTRUCTS 3",
         "\nThe sum of NUMSTRUCTS arguments is 6, while the total number\n"},
        {"gate matches nothing", "STRUCTTYPE WEIR_1", "STRUCTTYPE GATE",
         "Error in the channel input file c.chn, line 64, card STRUCTTYPE (link 3): \"GATE\" is not a "
         "structure type (WEIR, SAG_WEIR, ROUND_CULVERT, OVAL_CULVERT, RECT_CULVERT, RATING_CURVE, "
         "SCHEDULED_RELEASE or RULE_CURVE).\n"},
        {"pump flow type", "PUMPTO 2 3 TS release", "PUMPTO 2 3 elev release",
         "\n\nError in the channel input file: Flow type for pump is incorrectly\ndefined for link 1. "
         "Must be ELEV or TS.\n"},
        {"point source series", "POINTSOURCE release", "POINTSOURCE nothing",
         "Error: The time series \"nothing\" of the POINTSOURCE card at link 1, node 2 of the channel input "
         "file\n"},
        {"pump series", "PUMPTO 2 3 TS release", "PUMPTO 2 3 TS nothing",
         "Error: The time series \"nothing\" of the PUMPTO card at link 1, node 2 of the channel input "
         "file\n"},
        {"link beyond LINKS", "LINK 4\n", "LINK 7\n",
         "Error in the channel input file c.chn, line 68, card LINK (link 3): value 1 \"7\" is out of range "
         "(allowed 1 to 6).\n"},
        {"node beyond MAXNODES", "NODE 3\nELEV 8", "NODE 6\nELEV 8",
         "card NODE (link 1, node 2): value 1 \"6\" is out of range (allowed 1 to 5).\n"},
        {"NODES beyond MAXNODES", "NODES 4", "NODES 9",
         "card NODES (link 2): value 1 \"9\" is out of range"},
        {"connect link", "CONNECT 2 3 1 1", "CONNECT 2 3 1 0",
         "card CONNECT (link 2): value 4 \"0\" is out of range"},
        {"not a number", "ELEV 9\n", "ELEV nan\n",
         "card ELEV (link 1, node 2): value 1 \"nan\" is not finite.\n"},
        {"trailing garbage", "DX 100", "DX 100m",
         "card DX (link 1): value 1 \"100m\" is not a number.\n"},
        {"infinite", "SIDE_SLOPE 1\n", "SIDE_SLOPE inf\n", "value 1 \"inf\" is not"},
        {"negative width", "BOTTOM_WIDTH 1\n", "BOTTOM_WIDTH -1\n", "value 1 \"-1\" is out of range"},
        {"missing value", "ELEV 7\n", "ELEV\n", "card ELEV (link 1, node 4): value 1 \"\" is missing.\n"},
        {"lake cell outside grid", "1 1 1 2 1 3", "1 1 1 2 1 5",
         "card NUMPTS (link 5): value 6 \"5\" is out of range (allowed 1 to 4).\n"},
        {"initwse outside rating", "INITWSE 100.5", "INITWSE 101.5",
         "Error in the channel input file c.chn: the initial water surface (INITWSE 101.50) of lake 2 lies "
         "outside "
         "its rating curve (NUMRATE table).\n"},
        {"flat trapezoid", "BOTTOM_WIDTH 2\nSIDE_SLOPE 0.5", "BOTTOM_WIDTH 0\nSIDE_SLOPE 0",
         "the trapezoidal section of link 1 (node 4)\nhas neither a BOTTOM_WIDTH nor a SIDE_SLOPE above "
         "0.\n"},
        {"sections out of order", "NODE 3\nELEV 5\nNPAIRS", "NODE 1\nELEV 5\nNPAIRS",
         "the cross-sections (NPAIRS cards) of break-point\nlink 2 must lie at increasing nodes 1..4, one "
         "per node; "
         "it has 2.\n"},
        {"missing X1", "X1 0 2\nX1 1 0\nX1 2 2\n", "X1 0 2\nX1 1 0\n",
         "cross-section 2 of link 2 has 2 X1 cards; its NPAIRS\ncard says 3.\n"},
    };
    for (const refusal& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(load_network(edited_twice(c, full_network)));
        EXPECT_TRUE(printed(c.message)) << out;
        EXPECT_EQ(error_state.raised, 1);
    }
}

TEST_F(ChannelProject, StructureCardsWithoutStructureLink)
{
    std::string net = edited(full_network, "LINK 3\nSTRUCTURE\n", "LINK 3\nTRAPEZOID\nMANNINGS_N 0.1\n");
    EXPECT_FALSE(load_network(net));
    EXPECT_TRUE(printed("Error in the channel input file c.chn, line 64, card NUMSTRUCTS (link 3): link 3 is not "
                        "a structure link; the structure cards follow the STRUCTURE card of their block.\n"))
        << out;
}

TEST_F(ChannelProject, StructureSeriesCodes)
{
    struct series_case {
        const char* from;
        const char* to;
        const char* message;
    } cases[] = {
        {"RATING_CURVE weir_rat", "RATING_CURVE", "Error: Incorrect usage of the RATING_CURVE card."},
        {"RATING_CURVE weir_rat", "RATING_CURVE nothing",
         "Error: The elevation series for a RATING_CURVE card"},
        {"SCHEDULED_RELEASE release", "SCHEDULED_RELEASE",
         "Error: Incorrect usage of the SCHEDULED_RELEASE card."},
        {"SCHEDULED_RELEASE release", "SCHEDULED_RELEASE x",
         "Error: The time series for a SCHEDULED_RELEASE card"},
        {"RULE_CURVE weir_rat", "RULE_CURVE", "Error: Incorrect usage of the RULE_CURVE card."},
        {"RULE_CURVE weir_rat", "RULE_CURVE x", "Error: The elevation series for a RULE_CURVE card"},
    };
    int code = 85;
    for (const series_case& c : cases) {
        SCOPED_TRACE(c.to);
        EXPECT_FALSE(load_network(edited(full_network, c.from, c.to)));
        error_state.code = code++; // reported by the fixture's driver: the message is the code's
        EXPECT_TRUE(printed(build_error_message(error_state))) << out;
        EXPECT_NE(build_error_message(error_state).find(c.message), std::string::npos);
    }
}

TEST_F(ChannelProject, GridStreamFile)
{
    ASSERT_TRUE(load_network(
        full_network,
        "GRIDSTREAMFILE\nSTREAMCELLS 3\nCELLIJ 1 1\nNUMNODES 2\nLINKNODE 1 1 .5\nLINKNODE 1 2 .5\n"
        "CELLIJ 1 2\nNUMNODES 5\nLINKNODE 2 1 .2\nLINKNODE 2 2 .2\nLINKNODE 2 3 .2\nLINKNODE 1 1 .2\n"
        "LINKNODE 1 2 .2\nCELLIJ 3 4\nNUMNODES 1\nLINKNODE 1 4 1\n"));
    EXPECT_EQ(s->gst_max_entries, 5);
    EXPECT_EQ(s->gst_link.rows(), 3);
    EXPECT_EQ(s->gst_link.cols(), 5);
    EXPECT_EQ(s->gst_ncellsingrid[2], 5);
    EXPECT_EQ(s->gst_gnum[3][1], 12);

    grid_stream_setup(*s);
    EXPECT_EQ(error_state.raised, 0);
    EXPECT_EQ(s->gst_row[3][1], 3);
    EXPECT_EQ(s->gst_col[3][1], 4);
    EXPECT_EQ(s->gst_row[2][1], 1);
    EXPECT_EQ(s->gst_col[2][1], 2);

    // A structure link with DX 0 passes the spacing check; a trapezoid link
    // with DX 0.00005 stops the run.
    testing::internal::CaptureStdout();
    s->link_dx[1] = 0.00005;
    grid_stream_setup(*s);
    const std::string o = testing::internal::GetCapturedStdout();
    EXPECT_EQ(
        o.rfind("\nYour channel node spacing is 0.000050 in link 1\nYou must specify a realistic value.  "
                "Program terminated.\n",
                0),
        0u);
    EXPECT_EQ(error_state.raised, 1);

    const refusal cases[] = {
        {"header", "GRIDSTREAMFILE", "gridstreamfile",
         "Error: the grid-stream file s.gst does not begin with GRIDSTREAMFILE.\n"},
        {"second card", "STREAMCELLS 2", "CELLIJ 2",
         "The second card in the grid-stream file must be STREAMCELLS\n"
         "File format error, program terminating.\n"},
        {"zero cells", "STREAMCELLS 2", "STREAMCELLS 0",
         "The number of STREAMCELLS in the grid-stream (.gst) file\n"
         "must be greater than 0.  File format error, program terminating\n"},
        {"too many cells", "STREAMCELLS 2", "STREAMCELLS 1",
         "more NUMNODES cards than STREAMCELLS (1 announced).\n"},
        {"too many entries", "NUMNODES 2", "NUMNODES 1",
         "line 6, card LINKNODE: more LINKNODE cards in the stream cell than its NUMNODES (1 announced).\n"},
        {"cell outside grid", "CELLIJ 2 1", "CELLIJ 4 1",
         "line 3, card CELLIJ: value 1 \"4\" is out of range (allowed 1 to 3).\n"},
        {"link outside", "LINKNODE 1 1 0.5", "LINKNODE 9 1 0.5",
         "line 5, card LINKNODE: value 1 \"9\" is out of range"},
        {"node outside link", "LINKNODE 1 3 1.0", "LINKNODE 2 4 1.0",
         "LINKNODE 2 4 names node 4 of link 2, which has 3 nodes.\n"},
    };
    for (const refusal& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(load_network(full_network, edited(full_gst, c.from, c.to)));
        EXPECT_TRUE(printed(c.message)) << out;
    }
}

TEST_F(ChannelProject, LakeCellsTenPairsPerLine)
{
    // Twelve cells: ten pairs from the first line, two from the next; the
    // line after them is a card again.
    const std::string cells = "NUMPTS 12\n1 1 1 2 1 3 1 4 2 1 2 2 2 3 2 4 3 1 3 2\n3 3 3 4\nMAXWSE 103\n";
    ASSERT_TRUE(load_network(edited(full_network, "NUMPTS 3\n1 1 1 2 1 3\n", cells))) << out;
    EXPECT_EQ(s->numpts[1], 12);
    EXPECT_EQ(s->lake_search[1][1][11], 3);
    EXPECT_EQ(s->lake_search[1][2][12], 4);
    EXPECT_EQ(s->maxwse[1], 103.0);
    EXPECT_TRUE(printed("number of coords for lake #1's search order: 12\n"));
}
