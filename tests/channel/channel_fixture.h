// A 3 x 4 watershed (every cell active, cells 1..12 row by row) loaded
// through the input hub with explicit channel routing and a channel input
// file; the network of each test is given as text.
//
//   ground elevations
//   99.5 100 101 102
//   103  102 101 100
//   102  101 100  99
#pragma once

#include <string>

#include "input/input_fixture.h"

namespace torva_test
{

// Six links: a trapezoid (NODES 5, ELEV 10..6, sections at nodes 1 and 4),
// a break-point link with V sections at nodes 1 and 3, two structure links
// of 2 and 3 elements, a lake given by cells and a rating-curve lake.
constexpr const char* full_network = R"(TORVA_CHAN
ALPHA 1
BETA 1
THETA 0.5
LINKS 6
MAXNODES 5
CONNECT 1 2 0
CONNECT 2 3 1 1
CONNECT 3 4 1 2
CONNECT 4 5 1 3
CONNECT 5 6 1 4
CONNECT 6 0 1 5
LINK 1
TRAPEZOID
MANNINGS_N 0.04
DX 100
NODES 5
NODE 1
ELEV 10
XSEC
BOTTOM_WIDTH 1
SIDE_SLOPE 1
BANKFULL_DEPTH 1
NODE 2
ELEV 9
POINTSOURCE release
PUMPTO 2 3 TS release
NODE 3
ELEV 8
NODE 4
ELEV 7
XSEC
BOTTOM_WIDTH 2
SIDE_SLOPE 0.5
BANKFULL_DEPTH 1.5
NODE 5
ELEV 6
LINK 2
BREAKPOINT
MANNINGS_N 0.03
DX 50
NODES 4
NODE 1
ELEV 6
NPAIRS 3
NUM_INTERP 10
X1 0 1
X1 1 0
X1 2 1
NODE 2
ELEV 5.5
NODE 3
ELEV 5
NPAIRS 3
NUM_INTERP 10
X1 0 2
X1 1 0
X1 2 2
NODE 4
ELEV 4.5
LINK 3
STRUCTURE
NUMSTRUCTS 2
STRUCTTYPE WEIR_1
CREST_LENGTH 5
CREST_LOW_ELEV 4.5
STRUCTTYPE RATING_CURVE weir_rat
LINK 4
STRUCTURE
NUMSTRUCTS 3
STRUCTTYPE ROUND_CULVERT
DIAMETER 0.8
LENGTH 10
UPINVERT 4
STRUCTTYPE SCHEDULED_RELEASE release
STRUCTTYPE RULE_CURVE weir_rat
LINK 5
LAKE
MINWSE 99
INITWSE 100
MAXWSE 102
NUMPTS 3
1 1 1 2 1 3
LINK 6
LAKE
MINWSE 98
INITWSE 100.5
MAXWSE 101
NUMRATE 3
99 0 0
100 1000 400
101 3000 600
NUMPTS 2
2 4 3 4
)";

constexpr const char* full_gst = "GRIDSTREAMFILE\nSTREAMCELLS 2\nCELLIJ 2 1\nNUMNODES 2\nLINKNODE 1 1 0.5\n"
                                 "LINKNODE 1 2 0.5\nCELLIJ 2 2\nNUMNODES 1\nLINKNODE 1 3 1.0\n";

// Link 1 of four nodes, its nodes 1 to 3 on cells 9, 10 and 11 (lake_gst),
// into lake link 2 over cells 12, 11 and 10, then link 3 of three nodes to
// the outlet.
constexpr const char* lake_network = R"(TORVA_CHAN
ALPHA 1
BETA 1
THETA 0.5
LINKS 3
MAXNODES 4
CONNECT 1 2 0
CONNECT 2 3 1 1
CONNECT 3 0 1 2
LINK 1
TRAPEZOID
MANNINGS_N 0.035
DX 10
NODES 4
NODE 1
ELEV 99.5
XSEC
BOTTOM_WIDTH 1.0
SIDE_SLOPE 1.0
BANKFULL_DEPTH 2.0
NODE 2
ELEV 99.4
NODE 3
ELEV 99.3
NODE 4
ELEV 99.2
LINK 2
LAKE
MINWSE 98
INITWSE 99.5
MAXWSE 102
NUMPTS 3
3 4 3 3 3 2
LINK 3
TRAPEZOID
MANNINGS_N 0.035
DX 10
NODES 3
NODE 1
ELEV 98.5
XSEC
BOTTOM_WIDTH 1.0
SIDE_SLOPE 1.0
BANKFULL_DEPTH 2.0
NODE 2
ELEV 98.4
NODE 3
ELEV 98.3
)";

constexpr const char* lake_gst =
    "GRIDSTREAMFILE\nSTREAMCELLS 3\nCELLIJ 3 1\nNUMNODES 1\nLINKNODE 1 1 1.0\n"
    "CELLIJ 3 2\nNUMNODES 1\nLINKNODE 1 2 1.0\nCELLIJ 3 3\nNUMNODES 1\nLINKNODE 1 3 1.0\n";

struct ChannelProject : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        grid("m.msk", "1 1 1 1\n1 1 1 1\n1 1 1 1\n");
        grid("m.ele", "99.5 100 101 102\n103 102 101 100\n102 101 100 99\n");
        file("es.txt", "TORVA_ES\nweir_rating\n0 0\n10 5\nEND_ES\n");
        file("ts.txt", "TORVA_TS\nrelease\nABSOLUTE\n2000 1 1 0 0 1.0\n2000 1 2 0 0 2.0\nEND_TS\n");
    }
    // Loads the network and grid-stream text through the input hub.
    bool load_network(const std::string& network, const std::string& gst = full_gst,
                      const std::string& extra = "")
    {
        file("c.chn", network);
        file("s.gst", gst);
        return load(cards_with("ELEV_SERIES_FILE es.txt\nTIME_SERIES_FILE ts.txt\nCHAN_EXPLIC\n"
                               "CHANNEL_INPUT c.chn\nSTREAM_CELL s.gst\n" +
                               extra));
    }
};

// The text with the first occurrence of `from` replaced by `to`.
inline std::string edited(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

} // namespace torva_test
