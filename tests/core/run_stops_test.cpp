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

struct stop_case {
    const char* label;
    const char* example;
    const char* project;
    file_edits edits;
    std::string message;            // printed by the error
    std::vector<std::string> after; // none of these may follow it
};

// A row of a mapping table: the ID in columns 1-6, the values from column 87.
std::string table_row(int id, const std::string& values)
{
    std::string row = std::to_string(id);
    row.insert(0, 6 - row.size(), ' ');
    row.resize(86, ' ');
    return row + values + "\n";
}

// Lines that claim the reading or the run went on.
const std::vector<std::string> went_on = {"finished reading project file", "Running....", "finished event"};

void expect_stops(const stop_case& c)
{
    const example_result r = run_example_variant(c.example, c.project, c.edits);
    EXPECT_EQ(r.status, 1) << c.label << "\n" << r.output;
    const std::size_t at = r.output.find(c.message);
    ASSERT_NE(at, std::string::npos) << c.label << "\n" << r.output;
    std::vector<std::string> absent = went_on;
    absent.insert(absent.end(), c.after.begin(), c.after.end());
    for (const std::string& line : absent)
        EXPECT_EQ(r.output.find(line, at), std::string::npos) << c.label << ": \"" << line << "\"\n"
                                                              << r.output;
}

} // namespace

TEST(RunStops, TheProjectReaderStopsAtTheCardThatStoppedTheRun)
{
    const std::string going_back =
        "TORVA_TS\nup\nABSOLUTE\n2000 01 01 12 00 1.0\n2000 01 01 11 00 2.0\nEND_TS\n";
    const stop_case cases[] = {
        // A refused value: the reader used to print "finished reading
        // project file" after it.
        {"refused card value",
         "tiny",
         "tiny.prj",
         {{"tiny.prj", card_line("GRIDSIZE", "GRIDSIZE -1")}},
         "Error: project file tiny.prj, line 5: the value \"-1\" of card GRIDSIZE is out of range: it must "
         "be "
         "above 0.\n",
         {"reading watershed mask"}},
        // A card that reads its file at once leaves its code pending: the
        // cards after it used to be read and acted on.
        {"time series that goes back, then a card that reads a file",
         "tiny",
         "tiny.prj",
         {{"tiny.prj", card_line("TIME_SERIES_FILE", "TIME_SERIES_FILE up.ts\nELEV_SERIES_FILE later.es")},
          {"up.ts", whole_text(going_back)}},
         "Error: file up.ts, line 5: the sample's time lies before that of line 4.\n",
         {"later.es", "reading watershed mask"}},
    };
    for (const stop_case& c : cases)
        expect_stops(c);
}

TEST(RunStops, SetUpsStopAtAReaderThatReportedItself)
{
    const std::string kz_cards = "KZ_FLUXES\nKZ_SEGMENT_MAP seg.map\nKZ_NODES_TO_SEGS segs.txt\n"
                                 "KZ_SEGMENT_FLUXES fluxes.out";
    const std::string seg_map = "north: 30.00\nsouth: 0.00\neast: 50.00\nwest: 0.00\nrows: 3\ncols: 5\n"
                                "x 1 1 1 1\n1 1 1 1 1\n1 1 1 1 1\n";
    const stop_case cases[] = {
        // The segment map's grid reader reports its own error; the set-up
        // tested only the pending code and went on to warn of an empty map
        // and to read the link/node table.
        {"segment map with a word",
         "channel",
         "channel.prj",
         {{"channel.prj", card_line("KZ_FLUXES", kz_cards)},
          {"seg.map", whole_text(seg_map)},
          {"segs.txt", whole_text("1\n1 1 1\n")}},
         "Error: the value \"x\" at row 1, column 1 of map seg.map is not an integer.\n",
         {"no segments", "KZ internal stream flux"}},
        // The nutrient set-up did not look after its groundwater tables:
        // the input hub went on to read the channel network.
        {"nutrient groundwater table with a word",
         "nutrients",
         "channel.prj",
         {{"chan.cmt",
           [](std::string t) {
               return t + "QBN_GW_N \"Zones\"\nNUM_IDS 2\nID\n" + table_row(1, "0.1 0.2 0.3 0.4") +
                      table_row(2, "0.1 high 0.3 0.4");
           }}},
         "Error: in table QBN_GW_N of the mapping table file chan.cmt, column 2 of ID 2 (\"high\") is not a "
         "number.\n",
         {"reading channel input data"}},
    };
    for (const stop_case& c : cases)
        expect_stops(c);
}

// Every mode's exit status follows the stop: a batch whose runs stop, and
// the calibration modes whose every trial stops, exit 1.
TEST(RunStops, EveryModeExitsWithStatusOne)
{
    const struct {
        const char* label;
        const char* example;
        const char* project;
        const char* args;
        std::string message;
    } cases[] = {
        {"batch", "tiny", "tiny.prj", "-b2 tiny.prj",
         "TORVA is running in batch mode, and is running 2 runs...\n"},
        {"SCE-UA", "calib", "calib.prj", "-c sce.in", "there is no best parameter set."},
        {"Monte Carlo", "calib", "calib.prj", "-m2 mc.in", "there is no best parameter set."},
        {"secant Levenberg-Marquardt", "slm", "plane.prj", "-slm case.pst",
         "Model run 1 of the calibration stopped on an error; the search ends.\n"},
    };
    for (const auto& c : cases) {
        const example_result r = run_example_variant(
            c.example, c.args, {{c.project, [](std::string t) { return t + "GRIDSIZE -1\n"; }}});
        EXPECT_EQ(r.status, 1) << c.label << "\n" << r.output;
        EXPECT_NE(r.output.find("of card GRIDSIZE is out of range"), std::string::npos) << c.label << "\n"
                                                                                        << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.label << "\n" << r.output;
        EXPECT_EQ(r.output.find("finished reading project file"), std::string::npos) << c.label;
    }
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
