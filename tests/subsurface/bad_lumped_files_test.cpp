// Bad Sacramento and conceptual groundwater parameter files and link maps
// on the channel example, run through the program: each stops before the
// time loop with status 1 and names the file and the cause, after the
// reader's own lines where it has them.
#include <gtest/gtest.h>

#include <string>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

const std::string sacramento =
    "TORVA_SACRAMENTO\nuztwm 20\nuzfwm 20\nuzk 0.3\nzperc 40\nrexp 1.5\nlztwm 100\nlzfsm 50\nlzfpm 100\n"
    "lzsk 0.1\nlzpk 0.01\npfree 0.3\nsaved 0\nuztwc 1.0\nuzfwc 0.5\nlztwc 0.5\nlzfsc 0.2\nlzfpc 0.4\n";
const std::string conceptual = "TORVA_CONCEPTUAL_GW\nslow_max 10\nfast_max 5\nslow_rate 0.01\nfast_rate 0.1\n"
                               "slow_content 0.5\nfast_content 0.2\nunderflow_percent 0.1\n";
const std::string map_head = "north: 30.00\nsouth: 0.00\neast: 50.00\nwest: 0.00\nrows: 3\ncols: 5\n";

file_edits sac(const std::string& text)
{
    return {{"channel.prj", appended("SACRAMENTO sac.par\n")}, {"sac.par", whole(text)}};
}

file_edits cgw(const std::string& text, const std::string& links = "0 0 0 0 0\n0 0 0 0 0\n1 1 1 1 1\n")
{
    return {{"channel.prj", appended("CONCEPTUAL_GW c.cgw\nLINKS links.map\n")},
            {"c.cgw", whole(text)},
            {"links.map", whole(map_head + links)}};
}

std::string edited(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

} // namespace

TEST(BadLumpedFiles, StopBeforeTheRunNamingTheFileAndTheCause)
{
    const struct {
        const char* label;
        file_edits edits;
        std::string message;
    } cases[] = {
        {"Sacramento file empty", sac(""),
         "Error in the Sacramento parameter file sac.par, line 1: its first word is \"\", not "
         "TORVA_SACRAMENTO.\n"},
        {"Sacramento card misspelt", sac(edited(sacramento, "lzfsm 50", "lzfms 50")),
         "Premature end-of-file in the Sacramento parameter input file.\nThe file should contain 21 "
         "parameters.  "
         "Only 16 parameters read.\nProgram terminated in read_sacramento_input.\nError in the Sacramento "
         "parameter "
         "file sac.par: it ends without the card lzfsm.\n"},
        {"Sacramento card twice", sac(edited(sacramento, "lzfsm 50", "uzk 0.2")),
         "Error in the Sacramento parameter file sac.par: the card uzk is given 2 times (line 8 is the "
         "last).\n"},
        {"Sacramento word", sac(edited(sacramento, "rexp 1.5", "rexp high")),
         "Error: the value \"high\" of rexp on line 6 of the Sacramento parameter file sac.par is not a "
         "number\n"},
        {"Sacramento value with more", sac(edited(sacramento, "rexp 1.5", "rexp 1.5 2.5")),
         "Error: the value \"1.5\" of rexp on line 6 of the Sacramento parameter file sac.par is followed by "
         "\"2.5\"; a card holds one value\n"},
        {"conceptual card missing", cgw(edited(conceptual, "fast_rate 0.1\n", "")),
         "Error in the conceptual groundwater parameter file c.cgw: it ends without the card fast_rate.\n"},
        {"conceptual nan", cgw(edited(conceptual, "slow_max 10", "slow_max nan")),
         "Error: the value \"nan\" of slow_max on line 2 of the conceptual groundwater parameter file c.cgw "
         "is not "
         "finite\n"},
        {"link beyond the network", cgw(conceptual, "0 0 0 0 0\n0 0 0 0 0\n1 1 1 1 7\n"),
         "Error: file links.map, row 3, column 5 (cell 15): the link 7 is not a link of the channel network "
         "(0 for "
         "none, 1 to 1).\n"},
        {"link map cut short", cgw(conceptual, "0 0 0 0 0\n0 0 0 0 0\n"), "links.map"},
    };
    for (const auto& c : cases)
        expect_variant({c.label, "channel", "channel.prj", c.edits, {c.message}});
    EXPECT_EQ(run_example_variant("channel", "channel.prj", sac(sacramento)).status, 0);
    EXPECT_EQ(run_example_variant("channel", "channel.prj", cgw(conceptual)).status, 0);
}
