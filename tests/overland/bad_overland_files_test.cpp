// Bad overland lake, low-spot and retention inputs made from examples/lake
// (a pond in a bowl behind an embankment with one low spot), run through
// the program: each stops before the time loop with status 1 and names the
// file and the cause, after the format's own lines where it has them.
#include <gtest/gtest.h>

#include <string>

#include "support/example_variant.h"

using namespace torva_test;

TEST(BadOverlandFiles, StopBeforeTheRunNamingTheFileAndTheCause)
{
    const auto one = [](const char* file, std::function<std::string(std::string)> edit) {
        return file_edits{{file, std::move(edit)}};
    };
    const std::string retention =
        "north: 50.00\nsouth: 0.00\neast: 70.00\nwest: 0.00\nrows: 5\ncols: 7\n"
        "1 1 1 1 1 1 1\n1 1 1 1 1 1 1\n1 1 -2 1 1 1 1\n1 1 1 1 1 1 1\n1 1 1 1 1 1 1\n";
    const struct {
        const char* label;
        file_edits edits;
        std::string message;
    } cases[] = {
        // The lake file.
        {"lake file empty", one("lake.lak", whole("")),
         "Error in the overland lake file lake.lak: it holds 0 LAKE cards for the 1 lakes of the lake map; "
         "lake 1 "
         "has none.\n"},
        {"lake file of random bytes", one("lake.lak", whole(std::string("\x05\xff\x80junk\n\x01", 10))),
         "The overland lake input data file doesn't start with\n TORVA_OVERLAND_LAKE_FILE card.\nThe file "
         "format is "
         "invalid.  Program terminated.\n"},
        {"word for a stage", one("lake.lak", replaced("98.0", "high")),
         "Error in the overland lake file lake.lak, line 3: the elevation \"high\" is not a number.\n"},
        {"nan stage", one("lake.lak", replaced("98.0", "nan")),
         "Error in the overland lake file lake.lak, line 3: the elevation \"nan\" is not finite.\n"},
        {"lake card cut short", one("lake.lak", replaced(" 100.0", "")),
         "Error in the overland lake file lake.lak, line 3: the line holds 2 of its 3 numbers (lake number, "
         "elevation and volume).\n"},
        {"lake the map does not have", one("lake.lak", replaced("LAKE 1", "LAKE 2")),
         "line 3: the lake number 2 is not one of the lakes 1 to 1 of the lake map.\n"},
        {"lake given twice", one("lake.lak", [](std::string t) { return t + "LAKE 1 98.5 0\n"; }),
         "line 4: lake 1 has a second LAKE card (the first is at line 3).\n"},
        // The low-spot file.
        {"low-spot file empty", one("lake.spt", whole("")),
         "Premature end-of-file in the lowspot input file.\nNo SPOT cards encountered before end of "
         "file.\nProgram "
         "terminated.\n"},
        {"low-spot word", one("lake.spt", replaced("0.05", "wide")),
         "Error in the low-spot file lake.spt, line 3: the fraction \"wide\" is not a number.\n"},
        {"low-spot value left over", one("lake.spt", replaced("98.1", "98.1 99")),
         "Error in the low-spot file lake.spt, line 3: \"99\" follows the elevation at the end of the "
         "line.\n"},
        {"low spot given twice", one("lake.spt", [](std::string t) { return t + "SPOT 3 3 2 0.1 98.2\n"; }),
         "line 4: the low spot on side 2 of row 3, column 3 is given a second time (first at line 3).\n"},
        {"low spot on no side", one("lake.spt", replaced("SPOT 3 3 2", "SPOT 3 3 3")),
         "Error in the low-spot file lake.spt: SPOT card 1 cannot be used (see above).\n"},
        // A retention grid below zero.
        {"negative retention",
         {{"lake.prj", appended("RETEN_DEPTH ret.map\n")}, {"ret.map", whole(retention)}},
         "Error: file ret.map, row 3, column 3 (cell 17): the retention depth (mm) -2 lies below 0.\n"},
    };
    for (const auto& c : cases)
        expect_variant({c.label, "lake", "lake.prj", c.edits, {c.message}});
    EXPECT_EQ(run_example_variant("lake", "lake.prj", {}).status, 0);
}
