// A reader, set-up or card action that has reported its error stops the
// run there: bad variants of the examples, run through the program, exit
// with status 1, print the error's message, and print nothing after it that
// says the reading or the run went on. Each variant went on past its error
// before callers asked run_stopped() instead of the pending code alone (or
// the raised flag alone).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error_state.h"
#include "support/example_variant.h"

using namespace torva_test;

namespace
{

// A row of a mapping table: the ID in columns 1-6, the values from column 87.
std::string table_row(int id, const std::string& values)
{
    std::string row = std::to_string(id);
    row.insert(0, 6 - row.size(), ' ');
    row.resize(86, ' ');
    return row + values + "\n";
}

// The variant must print its message and nothing after it that claims the
// reading or the run went on.
void expect_stops(const example_variant& v, const std::vector<std::string>& after = {})
{
    refusal_checks stops{{}, {"finished reading project file", "Running....", "finished event"}};
    stops.not_after.insert(stops.not_after.end(), after.begin(), after.end());
    expect_variant(v, stops);
}

} // namespace

TEST(RunStops, TheProjectReaderStopsAtTheCardThatStoppedTheRun)
{
    const std::string going_back =
        "TORVA_TS\nup\nABSOLUTE\n2000 01 01 12 00 1.0\n2000 01 01 11 00 2.0\nEND_TS\n";
    // A refused value: the reader used to print "finished reading project
    // file" after it.
    expect_stops({"refused card value",
                  "tiny",
                  "tiny.prj",
                  {{"tiny.prj", set_card("GRIDSIZE", "-1")}},
                  {"Error: project file tiny.prj, line 5: the value \"-1\" of card GRIDSIZE is out of range: "
                   "it must be above 0.\n"}},
                 {"reading watershed mask"});
    // A card that reads its file at once leaves its code pending: the cards
    // after it used to be read and acted on.
    expect_stops({"time series that goes back, then a card that reads a file",
                  "tiny",
                  "tiny.prj",
                  {{"tiny.prj", appended("TIME_SERIES_FILE up.ts\nELEV_SERIES_FILE later.es\n")},
                   {"up.ts", whole(going_back)}},
                  {"Error: file up.ts, line 5: the sample's time lies before that of line 4.\n"}},
                 {"later.es", "reading watershed mask"});
}

TEST(RunStops, SetUpsStopAtAReaderThatReportedItself)
{
    const std::string kz_cards =
        "KZ_FLUXES\nKZ_SEGMENT_MAP seg.map\nKZ_NODES_TO_SEGS segs.txt\nKZ_SEGMENT_FLUXES fluxes.out\n";
    const std::string seg_map = "north: 30.00\nsouth: 0.00\neast: 50.00\nwest: 0.00\nrows: 3\ncols: 5\n"
                                "x 1 1 1 1\n1 1 1 1 1\n1 1 1 1 1\n";
    // The segment map's grid reader reports its own error; the set-up
    // tested only the pending code and went on to warn of an empty map and
    // to read the link/node table.
    expect_stops({"segment map with a word",
                  "channel",
                  "channel.prj",
                  {{"channel.prj", appended(kz_cards)},
                   {"seg.map", whole(seg_map)},
                   {"segs.txt", whole("1\n1 1 1\n")}},
                  {"Error: the value \"x\" at row 1, column 1 of map seg.map is not an integer.\n"}},
                 {"no segments", "KZ internal stream flux"});
    // The nutrient set-up did not look after its groundwater tables: the
    // input hub went on to read the channel network.
    expect_stops(
        {"nutrient groundwater table with a word",
         "nutrients",
         "channel.prj",
         {{"chan.cmt", appended("QBN_GW_N \"Zones\"\nNUM_IDS 2\nID\n" + table_row(1, "0.1 0.2 0.3 0.4") +
                                table_row(2, "0.1 high 0.3 0.4"))}},
         {"Error: in table QBN_GW_N of the mapping table file chan.cmt, column 2 of ID 2 (\"high\") is not a "
          "number.\n"}},
        {"reading channel input data"});
}

// Every mode's exit status follows the stop: a batch whose runs stop, and
// the calibration modes whose every trial stops, exit 1.
TEST(RunStops, EveryModeExitsWithStatusOne)
{
    const std::string refused = "of card GRIDSIZE is out of range";
    const auto stopped = [](const char* project) { return file_edits{{project, appended("GRIDSIZE -1\n")}}; };
    expect_variants(
        {
            {"batch",
             "tiny",
             "-b2 tiny.prj",
             stopped("tiny.prj"),
             {"TORVA is running in batch mode, and is running 2 runs...\n", refused}},
            {"SCE-UA",
             "calib",
             "-c sce.in",
             stopped("calib.prj"),
             {refused, "there is no best parameter set."}},
            {"Monte Carlo",
             "calib",
             "-m2 mc.in",
             stopped("calib.prj"),
             {refused, "there is no best parameter set."}},
            {"secant Levenberg-Marquardt",
             "slm",
             "-slm case.pst",
             stopped("plane.prj"),
             {refused, "Model run 1 of the calibration stopped on an error; the search ends.\n"}},
        },
        refusal_checks{{"finished reading project file"}});
}

// The predicate: a pending code other than a warning, or a reported error.
TEST(RunStops, RunStoppedIsAPendingErrorOrARaisedOne)
{
    error_state_clear();
    EXPECT_FALSE(run_stopped());
    error_set(err_hyd_freq_default); // a warning pending
    EXPECT_FALSE(run_stopped());
    error_set(err_open_file, "map", "m.asc"); // an error pending
    EXPECT_TRUE(run_stopped());
    testing::internal::CaptureStdout();
    report_error(error_state); // reported: no code left, raised
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(error_state.code, 0);
    EXPECT_TRUE(run_stopped());
    error_state_clear();
    error_set(err_gw_ks_none);
    testing::internal::CaptureStdout();
    report_error(error_state); // a reported warning leaves the run going
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(run_stopped());
    error_state_clear();
}
