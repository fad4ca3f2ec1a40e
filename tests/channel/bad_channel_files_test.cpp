// Bad variants of the channel, structure and channel-lake examples: the
// channel input file and the grid-stream file cut short, empty or random,
// with words, non-finite and out-of-range values, counts beyond what the
// file holds, repeated or misplaced cards and networks that do not hold
// together. Each stops before the time loop with status 1 and names the
// file and the cause; the examples themselves still run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

example_variant chn(const char* label, text_edit edit, std::string message)
{
    return {label, "channel", "channel.prj", {{"channel.chn", std::move(edit)}}, {std::move(message)}};
}

example_variant gst(const char* label, text_edit edit, std::string message)
{
    return {label, "channel", "channel.prj", {{"channel.gst", std::move(edit)}}, {std::move(message)}};
}

example_variant structure(const char* label, text_edit edit, std::string message)
{
    return {label, "structure", "structure.prj", {{"structure.chn", std::move(edit)}}, {std::move(message)}};
}

example_variant lake(const char* label, text_edit edit, std::string message)
{
    return {label, "chlake", "chlake.prj", {{"chlake.chn", std::move(edit)}}, {std::move(message)}};
}

} // namespace

TEST(BadChannelFiles, StopWithStatusOneNamingFileAndCause)
{
    const std::vector<example_variant> variants = {
        // The examples as they are.
        {"channel example", "channel", "channel.prj", {}, {"finished event"}, 0},
        {"structure example", "structure", "structure.prj", {}, {"finished event"}, 0},
        {"channel lake example", "chlake", "chlake.prj", {}, {"finished event"}, 0},
        // Without channel routing the channel files are not read: the run
        // goes on and says so.
        {"channel files without channel routing",
         "channel",
         "channel.prj",
         {{"channel.prj", drop_card("CHAN_EXPLIC")}},
         {"Warning: CHANNEL_INPUT is given without channel routing (CHAN_EXPLIC or DIFFUSIVE_WAVE): the file is "
          "not read and no channel is routed.\n",
          "finished event"},
         0},

        // Files cut short, empty or random.
        chn("cut after node 2 of 6", cut_after("ELEV 98.95\n"),
            "Error in the channel input file channel.chn: node point 3 of link 1 has no ELEV card (its NODES "
            "card, line 14, gives it 6 node points; is the file cut short?).\n"),
        structure("cut before the last link", cut_after("DISCHARGE_COEFF_REVERSE 0.6\n"),
                  "Error in the channel input file structure.chn: link 3 has no block (no LINK 3 card after "
                  "the CONNECT cards; is the file cut short?).\n"),
        chn("cut in the global cards", cut_after("THETA    0.5\n"),
            "Error in the channel input file channel.chn: it ends after 3 of the five global cards; LINKS, "
            "MAXNODES are missing.\n"),
        chn("empty", whole(""),
            "Error: the channel input file channel.chn does not begin with TORVA_CHAN.\n"),
        chn("random bytes", whole(noise_bytes(4000, 2463534242u)),
            "Error: the channel input file channel.chn does not begin with TORVA_CHAN.\n"),

        // Words, non-finite and out-of-range values.
        chn("word for an elevation", replaced("ELEV 98.90", "ELEV nine"),
            "Error in the channel input file channel.chn, line 24, card ELEV (link 1, node 3): value 1 "
            "\"nine\" is not a number.\n"),
        chn("nan roughness", replaced("MANNINGS_N 0.035", "MANNINGS_N nan"),
            "Error in the channel input file channel.chn, line 12, card MANNINGS_N (link 1): value 1 \"nan\" "
            "is not finite.\n"),
        chn("negative roughness", replaced("MANNINGS_N 0.035", "MANNINGS_N -0.035"),
            "Error encountered when reading the channel input file, link 1:\n    Manning's Roughness is "
            "0.000\nError in the channel input file channel.chn, line 12, card MANNINGS_N (link 1): the "
            "roughness -0.035 must be at least 1e-8.\n"),
        chn("node spacing 0", replaced("DX 10", "DX 0"),
            "\nYour channel node spacing is 0.000000 in link 1\nYou must specify a realistic value.  Program "
            "terminated.\nError in the channel input file channel.chn, line 13: the node spacing DX 0 is "
            "below 1e-4 m.\n"),
        chn("negative bottom", replaced("BOTTOM_WIDTH 1.0", "BOTTOM_WIDTH -1.0"),
            "Error in the channel input file channel.chn, line 18, card BOTTOM_WIDTH (link 1, node 1): value "
            "1 \"-1.0\" is out of range (allowed at least 0).\n"),
        structure("unknown structure type", replaced("STRUCTTYPE WEIR", "STRUCTTYPE GATE"),
                  "Error in the channel input file structure.chn, line 38, card STRUCTTYPE (link 2): "
                  "\"GATE\" is not a structure type (WEIR, SAG_WEIR, ROUND_CULVERT, OVAL_CULVERT, "
                  "RECT_CULVERT, RATING_CURVE, SCHEDULED_RELEASE or RULE_CURVE).\n"),
        // A river bed of no thickness would divide the stream seepage by zero.
        {"river bed of no thickness",
         "groundwater",
         "gw.prj",
         {{"gw.chn", replaced("M_RIVER 1.0", "M_RIVER 0")}},
         {"Error in the channel input file gw.chn, line 16, card M_RIVER (link 1): value 1 \"0\" is out of "
          "range (allowed above 0).\n"}},
        structure("negative crest length", replaced("CREST_LENGTH 2.0", "CREST_LENGTH -2.0"),
                  "Error in the channel input file structure.chn, line 39, card CREST_LENGTH (link 2): value "
                  "1 \"-2.0\" is out of range (allowed above 0).\n"),
        structure("weir without crest length", replaced("CREST_LENGTH 2.0\n", ""),
                  "Error in the channel input file structure.chn: structure element 1 of link 2 is a weir "
                  "without a CREST_LENGTH above 0.\n"),
        structure("rating curve without its series",
                  replaced("STRUCTTYPE WEIR", "STRUCTTYPE RATING_CURVE nothing"),
                  "Error: The elevation series for a RATING_CURVE card is not found. Make sure that the "
                  "elevation series\n file is in the project file before the channel input file and that the "
                  "elevation series is defined.\nError in the channel input file structure.chn, line 38, "
                  "card STRUCTTYPE (link 2): no elevation series is named \"nothing\".\n"),
        lake("rating row that does not rise", replaced("100.0 150.0", "99.5 150.0"),
             "Error in the channel input file chlake.chn, line 38, card NUMRATE (link 2): the elevation 99.5 "
             "of rating row 3 of lake 1 is not above the row before it (99.5).\n"),

        // Counts beyond the file or their range, before anything is sized.
        chn("LINKS too large", replaced("LINKS    1", "LINKS    200000000"),
            "Error: file channel.chn, line 5: the LINKS 200000000 lies outside 1 to 1000000.\n"),
        chn("MAXNODES beyond the file", replaced("MAXNODES 6", "MAXNODES 900000"),
            "Error: file channel.chn, line 6: the MAXNODES 900000 is more than the"),
        lake("NUMRATE too large", replaced("NUMRATE 4", "NUMRATE 2000000000"),
             "Error: file chlake.chn, line 35: the NUMRATE 2000000000 lies outside 2 to 1000000.\n"),
        lake("NUMPTS beyond the grid", replaced("NUMPTS 4", "NUMPTS 400000000"),
             "Error: file chlake.chn, line 40: the NUMPTS 400000000 lies outside 0 to 21.\n"),
        lake("NUMRATE short of its rows", replaced("NUMRATE 4", "NUMRATE 3"),
             "Error in the channel input file chlake.chn, line 39: a row of numbers that no NUMRATE or "
             "NUMPTS card takes (does a count fall short of its rows?).\n"),
        lake("NUMRATE beyond its rows", replaced("NUMRATE 4", "NUMRATE 5"),
             "Error in the channel input file chlake.chn, line 40, card NUMRATE (link 2): value 1 \"NUMPTS\" "
             "is not a number.\n"),
        structure("NUMSTRUCTS beyond the elements", replaced("NUMSTRUCTS 1", "NUMSTRUCTS 2"),
                  "\nThe sum of NUMSTRUCTS arguments is 2, while the total number\nof hydraulic structure "
                  "element cards (e.g. WEIR, ROUND_CULVERT,\netc.) is 1.  This inconstency is intolerable.  "
                  "Check your channel\ninput file.  Program terminated.\nError in the channel input file "
                  "structure.chn, line 37: NUMSTRUCTS gives 2 elements, the link's STRUCTTYPE cards 1.\n"),
        structure("more than 20 upstream links", replaced("CONNECT  3 0 1 2", "CONNECT  3 0 21 2"),
                  "reediculous number.  Fifteen yard penalty from the spot of the foul.\nError in the "
                  "channel input file structure.chn, line 9: this CONNECT card lists 21 upstream links; at "
                  "most 20 are accepted.\n"),

        // Repeated, misplaced and contradicting cards.
        structure("a link block twice", replaced("LINK 3\n", "LINK 2\n"),
                  "Error in the channel input file structure.chn, line 43, card LINK (link 2): link 2 has a "
                  "second block; its first LINK card is at line 35.\n"),
        structure("a CONNECT card missing", replaced("CONNECT  3 0 1 2\n", ""),
                  "Your channel input file contains 3 links, and 2 CONNECT cards\n"),
        structure("CONNECT cards that disagree", replaced("CONNECT  2 3 1 1", "CONNECT  2 3 1 3"),
                  "Error in the channel input file structure.chn, line 7: link 1 flows into link 2, whose "
                  "CONNECT card (line 8) lists it 0 times among its upstream links; it must list it once.\n"),
        chn("an ELEV before its NODE", replaced("NODE 1\nELEV 99.00", "ELEV 99.00\nNODE 1"),
            "Error in the channel input file channel.chn, line 15, card ELEV (link 1): it comes before the "
            "first NODE card of its link.\n"),
        chn("a node beyond the link's NODES", replaced("\nNODES 6", "\nNODES 5"),
            "Error in the channel input file channel.chn, line 29, card NODE (link 1, node 6): link 1 has 5 "
            "node points (its NODES card, line 14).\n"),
        lake("a lake card in a channel link", replaced("LINK 3\nTRAPEZOID", "LINK 3\nTRAPEZOID\nMINWSE 3"),
             "Error in the channel input file chlake.chn, line 44, card MINWSE (link 3): link 3 is not a "
             "lake link; the lake cards follow the LAKE card of their block.\n"),
        lake("a lake without INITWSE", replaced("INITWSE 99.5\n", ""),
             "Error in the channel input file chlake.chn, line 30: lake 1 (link 2) has no INITWSE card.\n"),

        // A location list whose count its file cannot hold.
        {"hydrograph locations beyond the file",
         "channel",
         "channel.prj",
         {{"channel.hyd", replaced("2\n", "2000000000\n")}},
         {"Error: file channel.hyd, line 1: the count of locations 2000000000 is more than the"}},

        // The grid-stream file.
        gst("grid-stream empty", whole(""),
            "Error: the grid-stream file channel.gst does not begin with GRIDSTREAMFILE.\n"),
        gst("fewer stream cells than announced", replaced("STREAMCELLS 5", "STREAMCELLS 6"),
            "Error in the grid-stream file channel.gst: it has 5 of the 6 stream cells (CELLIJ cards) its "
            "STREAMCELLS card announces (is the file cut short?).\n"),
        gst("grid-stream cut short", cut_after("LINKNODE 1 2 1.0\n"),
            "Error: file channel.gst, line 2: the STREAMCELLS 5 is more than the"),
        gst("no stream cells", replaced("STREAMCELLS 5", "STREAMCELLS 0"),
            "The number of STREAMCELLS in the grid-stream (.gst) file\nmust be greater than 0.  File format "
            "error, program terminating\nError: file channel.gst, line 2: the STREAMCELLS 0 lies outside 1 "
            "to 15.\n"),
        gst("a cell given twice", replaced("CELLIJ 3 2", "CELLIJ 3 1"),
            "Error in the grid-stream file channel.gst, line 6, card CELLIJ: the cell at row 3, column 1 is "
            "given twice; its first CELLIJ card is at line 3.\n"),
        gst("NUMNODES too large", replaced("NUMNODES 1", "NUMNODES 200000000"),
            "Error: file channel.gst, line 4: the NUMNODES 200000000 lies outside 0 to 6.\n"),
        gst("an entry missing", replaced("NUMNODES 1", "NUMNODES 2"),
            "Error in the grid-stream file channel.gst, line 3: stream cell 1 has 1 of the 2 LINKNODE cards "
            "its NUMNODES card announces.\n"),
        gst("a share above 1", replaced("LINKNODE 1 1 1.0", "LINKNODE 1 1 1.5"),
            "Error in the grid-stream file channel.gst, line 5, card LINKNODE (link 1): value 3 \"1.5\" is "
            "out of range (allowed 0 to 1).\n"),
        gst("a node beyond the link", replaced("LINKNODE 1 5 1.0", "LINKNODE 1 6 1.0"),
            "Error in the grid-stream file channel.gst, line 17, card LINKNODE (link 1): LINKNODE 1 6 names "
            "node 6 of link 1, which has 5 nodes.\n"),
    };
    expect_variants(variants);
}
