// Bad location lists and hotstarts made from the examples, run through the
// program: the overland depth locations of examples/nested, the soil-water
// locations of examples/richards, the channel and overland hotstarts that
// examples/hotstart's storm leaves for its restart, and a soil-moisture
// hotstart on examples/infil. Each stops before the time loop with status 1
// and names the file and the cause.
#include <gtest/gtest.h>

#include <string>

#include "support/example_variant.h"

using namespace torva_test;

TEST(BadLocationAndHotstartFiles, StopBeforeTheRunNamingTheFileAndTheCause)
{
    // The hotstarts of a storm, for the restart to read.
    const example_result storm =
        run_example_variant("hotstart", "storm.prj", {}, {"storm.dht", "storm.qht", "storm.ovh"});
    ASSERT_EQ(storm.status, 0) << storm.output;
    const std::string dht = storm.files.at("storm.dht"), ovh = storm.files.at("storm.ovh");
    ASSERT_FALSE(dht.empty());
    const auto restart = [&](const std::string& depth_lines, const std::string& depth_map) {
        return file_edits{{"storm.dht", whole(depth_lines)},
                          {"storm.qht", whole(storm.files.at("storm.qht"))},
                          {"storm.ovh", whole(depth_map)}};
    };
    // The overland hotstart with the depth of its first cell below zero.
    std::string dry_ovh = ovh;
    std::size_t at = 0;
    for (int line = 0; line < 6; ++line)
        at = dry_ovh.find('\n', at) + 1;
    dry_ovh.replace(at, dry_ovh.find(' ', at) - at, "-0.500000");
    const std::string first_line = dht.substr(0, dht.find('\n') + 1);
    const std::string map_head = "north: 100.00\nsouth: 0.00\neast: 100.00\nwest: 0.00\nrows: 10\ncols: 10\n";
    std::string moisture_rows;
    for (int r = 0; r < 10; ++r)
        moisture_rows += r == 4 ? "0.2 0.2 1.5 0.2 0.2 0.2 0.2 0.2 0.2 0.2\n"
                                : "0.2 0.2 0.2 0.2 0.2 0.2 0.2 0.2 0.2 0.2\n";

    const struct {
        const char* label;
        const char* example;
        const char* project;
        file_edits edits;
        std::string message;
    } cases[] = {
        // Overland depth locations.
        {"depth locations beyond the file",
         "nested",
         "parent.prj",
         {{"parent.loc", replaced("3\n", "3000000\n")}},
         "Error: file parent.loc, line 1: the count of locations 3000000 is more than the"},
        {"depth locations beyond the count",
         "nested",
         "parent.prj",
         {{"parent.loc", replaced("3\n", "2\n")}},
         "Error: the location list parent.loc holds \"2\" after the last of the 2 entries its count "
         "announces.\n"},
        {"depth location word",
         "nested",
         "parent.prj",
         {{"parent.loc", replaced("2 22", "2 twenty")}},
         "Error: the location list parent.loc holds \"twenty\" at entry 1, which is not an integer.\n"},
        // Soil-water locations with Richards columns.
        {"soil-water locations beyond the file",
         "richards",
         "richards.prj",
         {{"richards_theta.loc", replaced("1 70", "900000 70")}},
         "End of file reached in file richards_theta.loc, exiting\nError: file richards_theta.loc, line 1: "
         "the number "
         "of cells 900000 is more than the"},
        {"soil-water node count beyond the columns",
         "richards",
         "richards.prj",
         {{"richards_theta.loc", replaced("1 70", "1 90000")}},
         "Error: file richards_theta.loc, line 1: the largest node count 90000 lies outside 0 to"},
        {"soil-water entry beyond the count",
         "richards",
         "richards.prj",
         {{"richards_theta.loc", [](std::string t) { return t + "2 3 1 1\n"; }}},
         "Error: file richards_theta.loc, line 3: \"2\" follows the last of the 1 entries the file "
         "announces.\n"},
        // The channel hotstart.
        {"channel hotstart longer than the network", "hotstart", "restart.prj",
         restart(dht + first_line, ovh),
         "holds more lines than the 5 routed nodes of the network (line 6).\n"},
        {"channel hotstart shorter than the network", "hotstart", "restart.prj",
         restart(dht.substr(0, dht.rfind('\n', dht.size() - 2) + 1), ovh),
         "holds 4 lines; the network has 5 routed nodes.\n"},
        {"channel hotstart word", "hotstart", "restart.prj",
         restart("1 1 high\n" + dht.substr(first_line.size()), ovh),
         "Error: line 1 of the channel hotstart file storm.dht (link 1 node 1): the stage \"high\" is not a "
         "number.\n"},
        {"channel hotstart with a value left over", "hotstart", "restart.prj",
         restart("1 1 100.0 0.5 7\n" + dht.substr(first_line.size()), ovh),
         "(link 1 node 1): \"7\" follows the area at the end of the line.\n"},
        // The overland and soil-moisture hotstarts.
        {"negative overland depth", "hotstart", "restart.prj", restart(dht, dry_ovh),
         "Error: file storm.ovh, row 1, column 1 (cell 1): the overland depth -0.5 lies below 0.\n"},
        {"soil water above saturation",
         "infil",
         "infil.prj",
         {{"infil.prj", appended("READ_SM_HOTSTART sm.map\n")},
          {"sm.map", whole(map_head + moisture_rows)}},
         "Error: file sm.map, row 5, column 3 (cell 43): the soil water content 1.5 lies outside 0 to 1.\n"},
    };
    for (const auto& c : cases)
        expect_variant({c.label, c.example, c.project, c.edits, {c.message}});
    const example_result good = run_example_variant("hotstart", "restart.prj", restart(dht, ovh));
    EXPECT_EQ(good.status, 0) << good.output;
}
