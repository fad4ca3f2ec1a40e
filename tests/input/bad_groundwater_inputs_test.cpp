// Bad variants of the groundwater inputs of examples/groundwater run through
// the program: the boundary map, the static flux table and the well-level
// location list. Each stops with exit status 1 and a message naming the
// file and the cause.
#include <gtest/gtest.h>

#include <string>

#include "support/example_variant.h"

using namespace torva_test;

TEST(BadGroundwaterInputs, StopWithStatusOneNamingTheFileAndTheCause)
{
    const std::string map_head = "north: 30.00\nsouth: 0.00\neast: 50.00\nwest: 0.00\nrows: 3\ncols: 5\n";
    const struct {
        const char* label;
        file_edits edits;
        std::string message;
    } cases[] = {
        // Boundary types outside 0 to 8.
        {"boundary type 9", {{"gw_bnd.map", whole_text(map_head + "2 1 6 1 2\n2 1 9 1 2\n4 4 4 4 4\n")}},
         "Error: file gw_bnd.map, row 2, column 3 (cell 8): the groundwater boundary type 9 is not one of 0 to 8."},
        {"negative boundary type", {{"gw_bnd.map", whole_text(map_head + "2 1 6 1 2\n2 1 1 1 2\n4 4 4 4 -1\n")}},
         "Error: the value -1 at row 3, column 5 of map gw_bnd.map is not a category from 0 to 9999."},
        {"boundary map cut short", {{"gw_bnd.map", whole_text(map_head + "2 1 6 1 2\n2 1 1 1 2\n")}}, "gw_bnd.map"},
        // The static flux table.
        {"flux count beyond the file", {{"gw_wells.tab", whole_text("3\n1 3 86.4\n")}},
         "Error: file gw_wells.tab, line 1: the number of entries 3 is more than the 9 characters left in the "
         "file can hold."},
        {"flux entry cut short", {{"gw_wells.tab", whole_text("2\n1 3 86.4\n1 2   \n")}},
         "Error: file gw_wells.tab ends after line 3, before the flux of entry 2."},
        {"flux cell given twice", {{"gw_wells.tab", whole_text("2\n1 3 86.4\n1 3 10\n")}},
         "Error: file gw_wells.tab, line 3: entry 2 gives row 1, column 3 a flux again (entry 1 gave it first)."},
        {"flux entries beyond the count", {{"gw_wells.tab", whole_text("1\n1 3 86.4\n1 2 10\n")}},
         "Error: file gw_wells.tab, line 3: \"1\" follows the last of the 1 entries the file announces."},
        {"flux word", {{"gw_wells.tab", whole_text("1\n1 3 lots\n")}},
         "Error: file gw_wells.tab, line 2, entry 1: the flux \"lots\" is not a number."},
        {"empty flux table", {{"gw_wells.tab", whole_text("")}}, "gw_wells.tab"},
        // The well-level location list.
        {"well count beyond the file", {{"gw_wells.loc", whole_text("4000000\n1 3\n")}},
         "Error: file gw_wells.loc, line 1: the number of wells 4000000 is more than the 4 characters left in the "
         "file can hold."},
        {"well beyond the count", {{"gw_wells.loc", whole_text("1\n1 3\n2 3\n")}},
         "Error: file gw_wells.loc, line 3: \"2\" follows the last of the 1 entries the file announces."},
    };
    for (const auto& c : cases) {
        const example_result r = run_example_variant("groundwater", "gw.prj", c.edits);
        EXPECT_EQ(r.status, 1) << c.label << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.label << "\n" << r.output;
        EXPECT_EQ(r.output.find("Running...."), std::string::npos) << c.label;
    }
}
