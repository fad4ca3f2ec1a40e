// Bad variants of the groundwater inputs of examples/groundwater run through
// the program: the boundary map, the static flux table and the well-level
// location list. Each stops with exit status 1 and a message naming the
// file and the cause.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

// The example with one of its input files given whole.
example_variant inputs(const char* label, const char* file, const std::string& text,
                       std::vector<std::string> messages)
{
    return {label, "groundwater", "gw.prj", {{file, whole(text)}}, std::move(messages)};
}

} // namespace

TEST(BadGroundwaterInputs, StopWithStatusOneNamingTheFileAndTheCause)
{
    const std::string map_head = "north: 30.00\nsouth: 0.00\neast: 50.00\nwest: 0.00\nrows: 3\ncols: 5\n";
    expect_variants({
        // Boundary types outside 0 to 8.
        inputs("boundary type 9", "gw_bnd.map", map_head + "2 1 6 1 2\n2 1 9 1 2\n4 4 4 4 4\n",
               {"Error: file gw_bnd.map, row 2, column 3 (cell 8): the groundwater boundary type 9 is not "
                "one of 0 to 8."}),
        inputs(
            "negative boundary type", "gw_bnd.map", map_head + "2 1 6 1 2\n2 1 1 1 2\n4 4 4 4 -1\n",
            {"Error: the value -1 at row 3, column 5 of map gw_bnd.map is not a category from 0 to 9999."}),
        inputs("boundary map cut short", "gw_bnd.map", map_head + "2 1 6 1 2\n2 1 1 1 2\n", {"gw_bnd.map"}),
        // The static flux table.
        inputs("flux count beyond the file", "gw_wells.tab", "3\n1 3 86.4\n",
               {"Error: file gw_wells.tab, line 1: the number of entries 3 is more than the 9 characters "
                "left in the file can hold."}),
        inputs("flux entry cut short", "gw_wells.tab", "2\n1 3 86.4\n1 2   \n",
               {"Error: file gw_wells.tab ends after line 3, before the flux of entry 2."}),
        inputs("flux cell given twice", "gw_wells.tab", "2\n1 3 86.4\n1 3 10\n",
               {"Error: file gw_wells.tab, line 3: entry 2 gives row 1, column 3 a flux again (entry 1 gave "
                "it first)."}),
        inputs("flux entries beyond the count", "gw_wells.tab", "1\n1 3 86.4\n1 2 10\n",
               {"Error: file gw_wells.tab, line 3: \"1\" follows the last of the 1 entries the file "
                "announces."}),
        inputs("flux word", "gw_wells.tab", "1\n1 3 lots\n",
               {"Error: file gw_wells.tab, line 2, entry 1: the flux \"lots\" is not a number."}),
        inputs("empty flux table", "gw_wells.tab", "", {"gw_wells.tab"}),
        // The well-level location list.
        inputs("well count beyond the file", "gw_wells.loc", "4000000\n1 3\n",
               {"Error: file gw_wells.loc, line 1: the number of wells 4000000 is more than the 4 characters "
                "left in the file can hold."}),
        inputs("well beyond the count", "gw_wells.loc", "1\n1 3\n2 3\n",
               {"Error: file gw_wells.loc, line 3: \"2\" follows the last of the 1 entries the file "
                "announces."}),
    });
}
