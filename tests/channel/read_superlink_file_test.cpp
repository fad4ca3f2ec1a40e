// The pipe-network file through the input hub: the network as read, the
// cells of junctions and nodes, the cutting of single pipes and the moves
// of end nodes, the grid-pipe file, and every refusal with its message.
#include <gtest/gtest.h>

#include <string>

#include "channel/superlink_input.h"
#include "superlink_fixture.h"

using namespace torva_test;

namespace
{

std::string single_pipe(double length)
{
    return "SJUNC 1 100 98 1 1 1 2 0.5 0.3\nSJUNC 2 99 96 0 888 3 3 0 0\nCONNECT 1 1 2\nSLINK 1 1\n"
           "NODE 1 100 98 0 0 1 2 0 0\nNODE 2 99 96 2.5 3 3 3 0.4 0.2\nPIPE 1 1 0.5 0 0.01 0.013 " +
           std::to_string(length) + " 0 0\n";
}

std::string network_with(const std::string& from, const std::string& to)
{
    std::string text = two_pipe_network;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST_F(PipeProject, NetworkReadsBackWithItsCells)
{
    ASSERT_TRUE(load_pipes(two_pipe_network)) << out;
    EXPECT_TRUE(printed("read superlink pipe file, 2 junctions, 1 links\n")) << out;
    const model_state& p = *s;
    EXPECT_EQ(p.num_sjunc, 2);
    EXPECT_EQ(p.num_slink, 1);
    EXPECT_EQ(p.superlink_max_nodes, 2);
    EXPECT_EQ(p.superlink_array_dim, 4);
    EXPECT_EQ(p.us_sjunc[1], 1);
    EXPECT_EQ(p.ds_sjunc[1], 2);
    EXPECT_EQ(p.nnodes[1], 2);
    EXPECT_EQ(p.superlink_cnodes[1], 2);
    EXPECT_EQ(p.bound[1], 0);
    EXPECT_EQ(p.bound[2], 1);
    EXPECT_EQ(p.sjunc_inlet_type[2], 888);
    EXPECT_DOUBLE_EQ(p.sjunc_grate_sidelength[1], 0.5);
    EXPECT_EQ(p.superlink_junc_gnum[1], 1);
    EXPECT_EQ(p.superlink_junc_gnum[2], 9);
    const int cells[] = {0, 1, 4, 9};
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(p.superlink_node_gnum[1][k], cells[k]) << k;
    EXPECT_DOUBLE_EQ(p.As[1][2], 0.5);
    EXPECT_DOUBLE_EQ(p.slink_node_Zinv[1][2], 97.0);
    EXPECT_DOUBLE_EQ(p.dxc[1][2], 100.0); // no cutting without SUPERLINK_C_OPT
    EXPECT_DOUBLE_EQ(p.M_n[1][1], 0.013);
    EXPECT_EQ(p.tile_drains, 0);
    // The exchange arrays exist without channel routing.
    EXPECT_EQ(p.cell_superlink_vol.size(), p.num_cells);
    EXPECT_EQ(p.superlink_sjunc_outflow.size(), 2);
}

TEST_F(PipeProject, SinglePipesAreCutByTheirLength)
{
    struct cut {
        double length;
        std::vector<double> seg;
    };
    for (const cut& c :
         {cut{25, {6.25, 6.25, 6.25, 6.25}}, cut{45, {5, 5, 25, 5, 5}}, cut{70, {10, 25, 25, 10}},
          cut{100, {10, 20, 40, 20, 10}}, cut{200, {10, 20, 70, 70, 20, 10}},
          cut{300, {10, 20, 50, 140, 50, 20, 10}}, cut{470, {10, 20, 50, 100, 110, 100, 50, 20, 10}}}) {
        ASSERT_TRUE(load_pipes(single_pipe(c.length), "SUPERLINK_C_OPT\n")) << out;
        const model_state& p = *s;
        const int S = static_cast<int>(c.seg.size());
        ASSERT_EQ(p.superlink_cnodes[1], S) << c.length;
        EXPECT_EQ(p.nnodes[1], 1);
        EXPECT_EQ(p.superlink_max_nodes, S);
        double along = 0.0;
        for (int k = 1; k <= S; ++k) {
            EXPECT_NEAR(p.dxc[1][k], c.seg[k - 1], 1e-9) << c.length << " segment " << k;
            EXPECT_EQ(p.sec_type[1][k], 1);
            EXPECT_DOUBLE_EQ(p.diameter[1][k], 0.5);
            if (k >= 2) { // interior nodes on the line between the ends, with no inlet
                EXPECT_NEAR(p.slink_node_Zinv[1][k], 98.0 - 2.0 * along / c.length, 1e-9);
            }
            along += c.seg[k - 1];
        }
        EXPECT_NEAR(along, c.length, 1e-9);
        // The file's node 2 moves to the last computational node.
        EXPECT_DOUBLE_EQ(p.As[1][S + 1], 2.5);
        EXPECT_EQ(p.inlet_type[1][S + 1], 3);
        EXPECT_EQ(p.superlink_node_gnum[1][S + 1], 9);
        EXPECT_DOUBLE_EQ(p.grate_dia_node[1][S + 1], 0.2);
        EXPECT_EQ(p.superlink_node_gnum[1][2], 0);
        EXPECT_EQ(p.otc_node[1][1], 1);
        EXPECT_EQ(p.otc_node[1][2], S + 1);
        EXPECT_EQ(p.otc_pipe[1][1], 1);
    }
}

TEST_F(PipeProject, EndNodesMoveTowardTheirSuperjunctions)
{
    // Three 10 m pipes: the 10 m rules leave them, the quarter rule moves both.
    const std::string three = "SJUNC 1 100 98 1 1 1 2 0.5 0.3\nSJUNC 2 99 96 0 888 3 3 0 0\nCONNECT 1 1 2\n"
                              "SLINK 1 3\nNODE 1 100 98 0 0 1 2 0 0\nNODE 2 100 97 0 0 0 0 0 0\n"
                              "NODE 3 100 96.5 0 0 0 0 0 0\nNODE 4 100 96 0 0 3 3 0 0\n"
                              "PIPE 1 1 0.5 0 0.01 0.013 10 0 0\nPIPE 2 1 0.5 0 0.01 0.013 10 0 0\n"
                              "PIPE 3 1 0.5 0 0.01 0.013 10 0 0\n";
    ASSERT_TRUE(load_pipes(three, "SUPERLINK_C_OPT\n")) << out;
    EXPECT_DOUBLE_EQ(s->dxc[1][1], 7.5);
    EXPECT_DOUBLE_EQ(s->dxc[1][2], 15.0);
    EXPECT_DOUBLE_EQ(s->dxc[1][3], 7.5);
    EXPECT_DOUBLE_EQ(s->slink_node_Zinv[1][2], 98.0 - 1.0 * 7.5 / 10.0);
    EXPECT_DOUBLE_EQ(s->slink_node_Zinv[1][3], 96.0 + 0.5 * 7.5 / 10.0);
    EXPECT_TRUE(
        printed("Your first node in Superlink 1 is greater than 25% of the pipelength from the SuperNode \n"
                "TORVA is moving your first node to 25% of the pipelength from the SuperNode \n \n"
                "Your last node in Superlink 1 is greater than 25% of the pipelength from the SuperNode \n"
                "TORVA is moving your last node to 25% of the pipelength from the SuperNode \n \n"))
        << out;
    EXPECT_FALSE(printed("10m from"));
    EXPECT_EQ(s->otc_node[1][4], 4);

    // Two 100 m pipes: both 10 m rules, the second deciding the lengths
    // (190 m and 10 m), then the quarter rule at both ends.
    ASSERT_TRUE(load_pipes(two_pipe_network, "SUPERLINK_C_OPT\n")) << out;
    EXPECT_DOUBLE_EQ(s->dxc[1][1], 150.0);
    EXPECT_DOUBLE_EQ(s->dxc[1][2], 50.0);
    EXPECT_TRUE(printed("Your first node in Superlink 1 is greater than 10m from the SuperNode \n"
                        "TORVA is moving your first node 10m from the SuperNode \n \n"
                        "Your last node in Superlink 1 is greater than 10m from the SuperNode \n"
                        "TORVA is moving your last node 10m from the SuperNode \n \n"))
        << out;
    EXPECT_TRUE(printed("Your first node in Superlink 1 is greater than 25%"));
    EXPECT_TRUE(printed("Your last node in Superlink 1 is greater than 25%"));
}

TEST_F(PipeProject, WarningsKeepTheValues)
{
    ASSERT_TRUE(load_pipes(network_with("SJUNC 1 100 98", "SJUNC 1 97 98"))) << out;
    EXPECT_TRUE(printed("WARNING: ground elevation less than node bottom. superjunction 1\n"));
    EXPECT_DOUBLE_EQ(s->sjunc_ground_elev[1], 97.0);
    ASSERT_TRUE(load_pipes(network_with("NODE 2 99.5 97", "NODE 2 96.5 97"))) << out;
    EXPECT_TRUE(printed("WARNING: ground elevation less than node bottom. superlink 1, node 2\n"));
    ASSERT_TRUE(load_pipes(network_with("PIPE 2 1 0.5 0 0.01", "PIPE 2 1 0.5 0 -0.01"))) << out;
    EXPECT_TRUE(printed("Warning: pipe slope is negative: node 2 link 1\n"));
    // Lines of other words and blank lines outside the blocks are ignored.
    ASSERT_TRUE(load_pipes(std::string("# a network\n\n") + two_pipe_network)) << out;
}

TEST_F(PipeProject, BadNetworksAreRefusedWithTheirLine)
{
    struct bad {
        std::string from, to, message;
    };
    const bad cases[] = {
        {"PIPE 2 1 0.5", "PIPE 2 4 0.5", "Error: pipe cross-section type not valid: node 2 link 1.\n"},
        {"0.01 0.013 100 0 0\nPIPE 2", "0.01 0 100 0 0\nPIPE 2",
         "Error: pipe roughness value not valid: node 1 link 1.\n"},
        {"PIPE 2 1 0.5 0 0.01 0.013 100 0 0", "PIPE 2 1 0.5 0 0.01 0.013 100 0.001 0",
         "Error: drain spacing cannot be zero if pipe conductivity greater than zero: node 2 link 1.\n"},
        {"PIPE 2 1 0.5 0 0.01 0.013 100", "PIPE 2 1 0.5 0 0.01 0.013 0",
         "Error: pipe length is zero or negative: node 2 link 1.\n"},
        {"PIPE 2 1 0.5 0", "PIPE 2 3 0.5 0",
         "Error: pipe width must be above 0 for arch and box sections: node 2 link 1.\n"},
        {"CONNECT 1 1 2", "CONNECT 1 1 3",
         "Error in the pipe-network file p.pip, line 3: downstream superjunction \"3\" is out of range "
         "(allowed 1 to 2).\n"},
        {"CONNECT 1 1 2", "CONNECT 2 1 2",
         "Error in the pipe-network file p.pip, line 3: superlink \"2\" is out of range (allowed 1 to 1).\n"},
        {"NODE 3 99", "NODE 4 99",
         "Error in the pipe-network file p.pip, line 7: node \"4\" is out of range (allowed 1 to 3).\n"},
        {"PIPE 2 1", "PIPE 3 1",
         "Error in the pipe-network file p.pip, line 9: pipe \"3\" is out of range (allowed 1 to 2).\n"},
        {"SJUNC 2 99 96 0 888", "SJUNC 2 99 96 0 777",
         "Error in the pipe-network file p.pip, line 2: inlet type \"777\" is not an inlet type (0 to 10, "
         "888 or 999).\n"},
        {"NODE 2 99.5 97 0.5 0", "NODE 2 99.5 97 0.5 888",
         "Error in the pipe-network file p.pip, line 6: inlet type \"888\" is out of range (allowed 0 to "
         "10).\n"},
        {"NODE 2 99.5 97 0.5 0 2 2", "NODE 2 99.5 97 0.5 0 2 7",
         "Error in the pipe-network file p.pip, line 6: grid column \"7\" is out of range (allowed 0 to "
         "5).\n"},
        {"SJUNC 1 100 98 1.0 1 1 2", "SJUNC 1 100 98 1.0 1 9 2",
         "Error in the pipe-network file p.pip, line 1: superjunction 1 lies at row 9, column 2, outside the "
         "grid of 3 rows and 4 columns.\n"},
        {"PIPE 1 1 0.5 0 0.01 0.013 100 0 0", "PIPE 1 1 0.5 0 0.01 0.013 1OO 0 0",
         "Error in the pipe-network file p.pip, line 8: length \"1OO\" is not a number.\n"},
        {"NODE 3 99 96 0 0 3 3 0 0\n", "",
         "Error in the pipe-network file p.pip, line 4: the block of superlink 1 holds 2 of its 3 NODE lines "
         "and 2 of its 2 PIPE lines.\n"},
        {"NODE 2 99.5 97 0.5 0 2 2 0 0\n", "CONNECT 1 1 2\n",
         "Error in the pipe-network file p.pip, line 4: the block of superlink 1 holds 1 of its 3 NODE lines "
         "and 0 of its 2 PIPE lines.\n"},
        {"SLINK 1 2\n", "",
         "Error in the pipe-network file p.pip, line 4: NODE line outside a superlink block (NODE and PIPE "
         "lines follow the SLINK line of their superlink).\n"},
        {"SJUNC 2 99 96 0 888 3 3 0 0\n", "SJUNC 1 99 96 0 888 3 3 0 0\n",
         "Error in the pipe-network file p.pip, line 2: a second SJUNC line for superjunction 1; the first is "
         "line 1.\n"},
        {"SJUNC 2 99 96 0 888 3 3", "SJUNC 2 99 96 0 999 1 1",
         "Error in the pipe-network file p.pip: superjunction 2 discharges to a channel (inlet type 999) but "
         "the project routes no channels.\n"},
    };
    for (const bad& c : cases) {
        EXPECT_FALSE(load_pipes(network_with(c.from, c.to))) << c.message;
        EXPECT_TRUE(printed(c.message)) << out;
    }
}

TEST_F(PipeProject, GridPipeFileOfLeakyPipes)
{
    const std::string leaky =
        network_with("PIPE 2 1 0.5 0 0.01 0.013 100 0 0", "PIPE 2 1 0.5 0 0.01 0.013 100 0.001 5");
    // Leaky pipes without a grid-pipe file: code 4 names it.
    EXPECT_FALSE(load_pipes(leaky));
    EXPECT_TRUE(printed(
        "\nSince you have leaky pipes you must include the GRID_PIPE card and grid pipe input file in "
        "your project file"))
        << out;
    EXPECT_TRUE(printed("Error: Unable to open tile drain grid pipe file.")) << out;

    const std::string cells = "PIPECELLS 2\nCELLIJ 2 2\nNUMPIPES 2\nSPIPE 1 2 0.5\nSPIPE 1 3 0.25\n"
                              "cellij 3 3\nnumpipes 1\nspipe 1 3 1.0\n";
    file("p.gpi", "GRIDPIPEFILEX\n" + cells);
    ASSERT_TRUE(load_pipes(leaky, "GRID_PIPE p.gpi\n")) << out;
    EXPECT_TRUE(printed("Finished reading gridpipe file.\n"));
    const model_state& p = *s;
    EXPECT_EQ(p.tile_drains, 1);
    EXPECT_EQ(p.gpi_ncells, 2);
    EXPECT_EQ(p.gpi_max_entries, 2);
    EXPECT_EQ(p.gpi_ncellsingrid[2], 1);
    EXPECT_EQ(p.gpi_gnum[1][2], 4);
    EXPECT_EQ(p.gpi_node[1][2], 3);
    EXPECT_DOUBLE_EQ(p.gpi_pct[1][2], 0.25);
    EXPECT_EQ(p.gpi_gnum[2][1], 9);
    EXPECT_EQ(p.superlink_tile_flow.rows(), 1);
    EXPECT_EQ(p.Q_tile_grid.size(), p.num_cells);

    struct bad {
        std::string text, message;
    };
    const bad cases[] = {
        {"PIPECELLS 2\n", "The gridpipe file format is invalid\n"},
        {"GRIDPIPEFILE\nCELLIJ 2 2\n", "The second card in the grid-pipe file must be PIPECELLS\n"
                                       "File format error, program terminating.\n"},
        {"GRIDPIPEFILE\nPIPECELLS 0\n", "The number of PIPECELLS in the gridpipe (.gpi) file\n"
                                        "must be greater than 0.  File format error, program terminating\n"},
        {"GRIDPIPEFILE\nPIPECELLS 1\nNUMPIPES 1\nSPIPE 1 2 0.5\nCELLIJ 2 2\n",
         "Error in the grid-pipe file p.gpi, line 3: every NUMPIPES line follows the CELLIJ line of its "
         "cell.\n"},
        {"GRIDPIPEFILE\nPIPECELLS 1\nCELLIJ 2 2\nNUMPIPES 1\nCELLIJ 3 3\nNUMPIPES 1\n",
         "Error in the grid-pipe file p.gpi, line 6: more NUMPIPES lines than PIPECELLS (1).\n"},
        {"GRIDPIPEFILE\nPIPECELLS 1\nCELLIJ 2 2\nNUMPIPES 1\nSPIPE 1 2 0.5\nSPIPE 1 3 0.5\n",
         "Error in the grid-pipe file p.gpi, line 6: more SPIPE lines in the cell than its NUMPIPES (1).\n"},
        {"GRIDPIPEFILE\nPIPECELLS 1\nCELLIJ 4 2\nNUMPIPES 1\nSPIPE 1 2 0.5\n",
         "Error in the grid-pipe file p.gpi, line 3: row is out of range (allowed 1 to 3).\n"},
        {"GRIDPIPEFILE\nPIPECELLS 1\nCELLIJ 2 2\nNUMPIPES 1\nSPIPE 1 4 0.5\n",
         "Error in the grid-pipe file p.gpi, line 5: node is out of range (allowed 1 to 3).\n"},
    };
    for (const bad& c : cases) {
        file("p.gpi", c.text);
        EXPECT_FALSE(load_pipes(leaky, "GRID_PIPE p.gpi\n")) << c.message;
        EXPECT_TRUE(printed(c.message)) << out;
    }
}

TEST(GridPipeCardKind, ClassifiesAndRemovesTheFirstWord)
{
    struct kase {
        const char* line;
        int kind;
        const char* rest;
    };
    for (const kase& k :
         {kase{"PIPECELLS 3", 0, " 3"}, kase{"\t cellij 2 2", 1, " 2 2"}, kase{"NumPipes 4", 2, " 4"},
          kase{"SPIPE 1 2 0.5", 3, " 1 2 0.5"}, kase{"SPIPES 1", 4, " 1"}, kase{"", 4, ""}}) {
        std::string line = k.line;
        EXPECT_EQ(gridpipe_card_kind(line), k.kind) << k.line;
        EXPECT_EQ(line, k.rest) << k.line;
    }
}
