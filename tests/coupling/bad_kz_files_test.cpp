// Bad KZ segment files on the channel example (one link of five nodes on
// three rows of five cells), run through the program: each stops before the
// time loop with status 1 and names the file and the cause, error 97 with
// its own message first.
#include <gtest/gtest.h>

#include <string>

#include "support/example_variant.h"

using namespace torva_test;

TEST(BadKzFiles, StopBeforeTheRunNamingTheFileAndTheCause)
{
    const std::string cards =
        "KZ_FLUXES\nKZ_SEGMENT_MAP seg.map\nKZ_NODES_TO_SEGS segs.txt\nKZ_SEGMENT_FLUXES fluxes.out";
    const std::string seg_map = "north: 30.00\nsouth: 0.00\neast: 50.00\nwest: 0.00\nrows: 3\ncols: 5\n1 1 1 "
                                "2 2\n1 1 1 2 2\n0 0 0 0 0\n";
    const auto kz = [&](const std::string& table) {
        return file_edits{{"channel.prj", appended(cards + "\n")},
                          {"seg.map", whole(seg_map)},
                          {"segs.txt", whole(table)}};
    };
    const struct {
        const char* label;
        file_edits edits;
        std::string message;
    } cases[] = {
        {"table that cannot be opened",
         {{"channel.prj", appended(cards + "\n")}, {"seg.map", whole(seg_map)}},
         "Error: the KZ link/node to segment file (KZ_NODES_TO_SEGS) segs.txt cannot be opened.\n"},
        {"map that cannot be opened",
         {{"channel.prj", appended(cards + "\n")}, {"segs.txt", whole("0\n")}},
         "Error: the KZ segment map (KZ_SEGMENT_MAP) seg.map cannot be opened.\n"},
        {"row count that is a word", kz("two\n1 1 1\n1 5 2\n"),
         "Error: the KZ link/node to segment file segs.txt, line 1: the row count \"two\" is not a "
         "number.\n"},
        {"row count beyond the file", kz("2000000000\n1 1 1\n"),
         "Error: file segs.txt, line 1: the row count 2000000000 lies outside 0 to 10000000.\n"},
        {"rows short of the count", kz("3\n1 1 1\n1 5 2\n"),
         "Error: file segs.txt, line 1: the row count 3 is more than the"},
        {"a row cut short", kz("2\n1 1 1\n1 5\n1 5 2\n"),
         "Error: the KZ link/node to segment file segs.txt, line 3: row 2: the line holds 2 of its 3 numbers "
         "(link, "
         "node and segment).\n"},
        {"a row too long", kz("2\n1 1 1 4\n1 5 2\n"),
         "line 2: row 1: \"4\" follows the segment at the end of the line.\n"},
        {"a node listed twice", kz("2\n1 1 1\n1 1 2\n"),
         "line 3: row 2 lists link 1, node 1 a second time (row 1).\n"},
        {"rows beyond the count", kz("1\n1 1 1\n1 5 2\n"),
         "line 3: a line follows the last of the 1 rows its first line announces.\n"},
        {"a segment the map does not hold", kz("1\n1 1 3\n"),
         "Error: In the KZ internal stream flux to segment file, some link/node pairs \nrefer to a segment "
         "of 0 or "
         "a segment that is not in the segment map file.\nError: the KZ link/node to segment file segs.txt, "
         "line 2: "
         "row 1 gives the segment 3, which is not a segment of the segment map.\n"},
    };
    for (const auto& c : cases)
        expect_variant({c.label, "channel", "channel.prj", c.edits, {c.message}});
    const example_result good =
        run_example_variant("channel", "channel.prj", kz("2\n1 1 1\n1 5 2\n"), {"fluxes.out"});
    EXPECT_EQ(good.status, 0) << good.output;
    EXPECT_EQ(good.files.at("fluxes.out").rfind("   jday   1         2         \n", 0), 0u)
        << good.files.at("fluxes.out");
}
