// Bad time-series and elevation-series files, and the tables that name
// their series (TIME_SERIES_INDEX, RATINGCURVES and the OVERLAND_BOUNDARY
// cells that use them), made from examples/strip's boundary run: each stops
// before the time loop with status 1 and names the file and the cause.
#include <gtest/gtest.h>

#include <string>

#include "support/example_variant.h"

using namespace torva_test;

TEST(BadSeriesFiles, StopBeforeTheRunNamingTheFileAndTheCause)
{
    const std::string ts_head = "TORVA_TS\nupstream_inflow\nABSOLUTE\n";
    const std::string curve = "TORVA_ES\nspill\n0.0 0.0\n1.0 2.0\nEND_ES\n";
    // The boundary cells exchange through rating curve 3 of the RATINGCURVES
    // table, whose series come from curves.es.
    const auto rating_cells = [](const std::string& table) {
        return replaced("OVERLAND_BOUNDARY", table + "OVERLAND_BOUNDARY");
    };
    const std::string ratingcurves = "RATINGCURVES\nNUM_IDS 1\nID  NAME\n     3 spill\n";
    const struct {
        const char* label;
        file_edits edits;
        std::string message;
    } cases[] = {
        // The time-series file: missing, empty, cut short.
        {"series file missing",
         {{"strip_bc.prj", set_card("TIME_SERIES_FILE", "gone.ts")}},
         "Error: Time series file not found [gone.ts]\n"},
        {"series file empty",
         {{"strip_bc.ts", whole("")}},
         "Error: the time series file strip_bc.ts holds no series (no TORVA_TS line).\n"},
        {"series cut before END_TS",
         {{"strip_bc.ts", replaced("END_TS\n", "")}},
         "Error: file strip_bc.ts, line 5: the file ends before the END_TS line of time series "
         "upstream_inflow "
         "(TORVA_TS at line 1).\n"},
        {"series without samples",
         {{"strip_bc.ts", whole(ts_head + "END_TS\n")}},
         "Error: file strip_bc.ts, line 4: time series upstream_inflow has no samples before its END_TS.\n"},
        // Sample lines: a word, a value missing or left over, off the calendar.
        {"word for a value",
         {{"strip_bc.ts", replaced("0 0 0.05", "0 0 lots")}},
         "Error: file strip_bc.ts, line 4: the value \"lots\" is not a number.\n"},
        {"value missing",
         {{"strip_bc.ts", replaced("0 0 0.05", "0 0")}},
         "Error: file strip_bc.ts, line 4: the line holds 5 of its 6 numbers (year, month, day, hour, minute "
         "and "
         "value).\n"},
        {"value left over",
         {{"strip_bc.ts", replaced("0 0 0.05", "0 0 0.05 0.07")}},
         "Error: file strip_bc.ts, line 4: \"0.07\" follows the value at the end of the line.\n"},
        {"month 13",
         {{"strip_bc.ts", replaced("2000 1 2", "2000 13 2")}},
         "Error: file strip_bc.ts, line 5: 2000 13 02 00 00 is not a calendar date and time of day.\n"},
        {"samples out of order",
         {{"strip_bc.ts", replaced("2000 1 2", "1999 1 2")}},
         "Error: file strip_bc.ts, line 5: the sample's time lies before that of line 4.\n"},
        {"no ABSOLUTE line",
         {{"strip_bc.ts", replaced("ABSOLUTE\n", "")}},
         "Error: file strip_bc.ts, line 3: time series upstream_inflow needs ABSOLUTE or RELATIVE after its "
         "name; "
         "found \"2000 1 1 0 0 0.05\".\n"},
        {"a series given twice",
         {{"strip_bc.ts", [](std::string t) { return t + t; }}},
         "Error: file strip_bc.ts, line 8: a time series named \"upstream_inflow\" was read before.\n"},
        // The tables that name series by ID.
        {"index names no series",
         {{"strip_bc.cmt", replaced("1 upstream_inflow", "1 downstream")}},
         "Error: cell 1 (row 1, column 1), of overland boundary type 5 in table OVERLAND_BOUNDARY, gives the "
         "time "
         "series ID 1, which the TIME_SERIES_INDEX table binds to \"downstream\", a series no time series "
         "file "
         "holds.\n"},
        {"series ID without its row",
         {{"strip_bc.cmt", replaced("5 1\n", "5 2\n")}},
         "gives the time series ID 2, which has no row in the TIME_SERIES_INDEX table.\n"},
        {"series ID given twice",
         {{"strip_bc.cmt",
           replaced("NUM_IDS 1\nID  NAME\n     1 upstream_inflow\n",
                        "NUM_IDS 2\nID  NAME\n     1 upstream_inflow\n     1 upstream_inflow\n")}},
         "Error: row 2 of table TIME_SERIES_INDEX in the mapping table file strip_bc.cmt gives the ID 1 a "
         "second "
         "time.\n"},
        {"boundary type 8",
         {{"strip_bc.cmt", replaced("5 1\n", "8 1\n")}},
         "Error: cell 1 (row 1, column 1) has the overland boundary type 8 in table OVERLAND_BOUNDARY; the "
         "types "
         "are 0 to 7 and 99.\n"},
        {"boundary type 4.5",
         {{"strip_bc.cmt", replaced("5 1\n", "4.5 1\n")}},
         "has the overland boundary type 4.5 in table OVERLAND_BOUNDARY"},
        // Rating curves and the elevation-series file.
        {"rating curve ID without its row",
         {{"strip_bc.cmt", replaced("5 1\n", "6 3\n")},
          {"strip_bc.prj", appended("ELEV_SERIES_FILE curves.es\n")},
          {"curves.es", whole(curve)}},
         "Error: cell 1 is an overland boundary of type 6 whose rating curve ID 3 has no row in the "
         "RATINGCURVES "
         "table of the mapping table file strip_bc.cmt.\n"},
        {"rating curve naming no series",
         {{"strip_bc.cmt",
           [&](std::string t) { return rating_cells(ratingcurves)(replaced("5 1\n", "6 3\n")(t)); }},
          {"strip_bc.prj", appended("ELEV_SERIES_FILE curves.es\n")},
          {"curves.es", whole("TORVA_ES\nweir\n0.0 0.0\nEND_ES\n")}},
         "Error: The elevation series for a RATING_CURVE card is not found. Make sure that the elevation "
         "series\n"
         " file is in the project file before the channel input file and that the elevation series is "
         "defined.\n"
         "Error: the RATINGCURVES table of the mapping table file strip_bc.cmt binds ID 3 to the elevation "
         "series "
         "\"spill\", which no elevation series file holds.\n"},
        {"elevation series file empty",
         {{"strip_bc.prj", appended("ELEV_SERIES_FILE curves.es\n")},
          {"curves.es", whole("")}},
         "Error: the elevation series file curves.es holds no curve (no TORVA_ES line).\n"},
        {"curve cut before END_ES",
         {{"strip_bc.prj", appended("ELEV_SERIES_FILE curves.es\n")},
          {"curves.es", whole("TORVA_ES\nspill\n0.0 0.0\n")}},
         "Error: file curves.es, line 3: the file ends before the END_ES line of elevation series spill "
         "(TORVA_ES at "
         "line 1).\n"},
        {"curve point cut short",
         {{"strip_bc.prj", appended("ELEV_SERIES_FILE curves.es\n")},
          {"curves.es", whole("TORVA_ES\nspill\n0.0 0.0\n1.0\nEND_ES\n")}},
         "Error: file curves.es, line 4: the line holds 1 of its 2 numbers (x and y).\n"},
        {"curve going back",
         {{"strip_bc.prj", appended("ELEV_SERIES_FILE curves.es\n")},
          {"curves.es", whole("TORVA_ES\nspill\n1.0 0.0\n0.5 2.0\nEND_ES\n")}},
         "Error: file curves.es, line 4: the x of the point lies below that of line 3 (the abscissae of a "
         "curve "
         "never go back).\n"},
    };
    for (const auto& c : cases)
        expect_variant({c.label, "strip", "strip_bc.prj", c.edits, {c.message}});

    // The example as it is, and with a rating curve the cells can use.
    EXPECT_EQ(run_example_variant("strip", "strip_bc.prj", {}).status, 0);
    const example_result rated = run_example_variant(
        "strip", "strip_bc.prj",
        {{"strip_bc.cmt",
          [&](std::string t) { return rating_cells(ratingcurves)(replaced("5 1\n", "6 3\n")(t)); }},
         {"strip_bc.prj", appended("ELEV_SERIES_FILE curves.es\n")},
         {"curves.es", whole(curve)}});
    EXPECT_EQ(rated.status, 0) << rated.output;
}
