// The channel example: its inputs read through the input hub give the
// network summary of one trapezoidal link and the grid-stream entries of the
// five channel cells.
#include <gtest/gtest.h>

#include <string>

#include "input/input_fixture.h"

using namespace torva_test;

TEST_F(InputProject, ChannelExampleReadsItsNetwork)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/channel/";
    for (const char* f : {"channel.msk", "channel.ele", "channel.chn", "channel.gst", "channel.hyd"})
        file(f, read_file(from + f));
    std::string cards = read_file(from + "channel.prj");
    cards.erase(0, cards.find('\n') + 1); // the header line; the fixture writes its own
    ASSERT_TRUE(load(cards)) << out;

    EXPECT_TRUE(printed("reading channel input data from file channel.chn\n\n\nChannel input data:\n"
                        "  max. number of u.s. dependencies:      0\n"
                        "  number of trapezoidal links:           1\n"))
        << out;
    EXPECT_TRUE(printed("  number of groundwater links:           0\n"
                        "Finished reading non-orthogonal channel information from gst file.\n"));
    EXPECT_EQ(s->num_links, 1);
    EXPECT_EQ(s->nx[1], 5);
    EXPECT_DOUBLE_EQ(s->bel[1][1], 98.975);
    EXPECT_DOUBLE_EQ(s->bel[5][1], 98.775);
    EXPECT_EQ(s->gst_ncells, 5);
    for (int c = 1; c <= 5; ++c) {
        EXPECT_EQ(s->gst_gnum[c][1], 10 + c); // the lower row
        EXPECT_EQ(s->gst_node[c][1], c);
    }
}
