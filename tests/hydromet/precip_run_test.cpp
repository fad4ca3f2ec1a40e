// Whole runs driven by a precipitation file: the event starts the run at
// its first line, an event run ends at its end time, and a file with an
// error stops the run before its time loop.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/run_simulation.h"
#include "hydromet/rain_fixture.h"
#include "support/example_variant.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct PrecipRun : testing::Test {
    scratch_dir dir{"precip_run"};
    std::string out;

    void TearDown() override
    {
        reset_file_name_globals();
        error_state_clear();
    }

    void run(const std::string& precip_file)
    {
        reset_file_name_globals();
        error_state_clear();
        const std::string project =
            write_tiny_project(dir.path(), "PRECIP_FILE " + rain_test::fixture(precip_file) + "\n");
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        run_simulation(project, nullptr, "");
        out = testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }
};

// examples/longterm with its precipitation file, or more, edited.
example_variant leftover(const char* label, file_edits edits, std::string message)
{
    return {label, "longterm", "longterm.prj", std::move(edits), {std::move(message)}};
}

} // namespace

TEST_F(PrecipRun, FirstEventOfTheFileRunsForTheSimulationTime)
{
    run("three_events.pre");
    EXPECT_TRUE(printed("Precip. file contains 3 events, simulating first event only\n")) << out;
    EXPECT_TRUE(printed("reading precip data from file: " + rain_test::fixture("three_events.pre") + "\n"));
    EXPECT_TRUE(printed("Initialized Arrays\nsimulation duration 30 minutes\n")) << out;
    // The clock starts at the event's first line; the run ends 30 minutes on.
    EXPECT_TRUE(printed("event  1 elapsed time     0.50   6/01/2000 10:00:30 Qout=")) << out;
    EXPECT_TRUE(printed("event  1 elapsed time    30.00   6/01/2000 10:30:00 Qout=")) << out;
    EXPECT_FALSE(printed("elapsed time    30.50")) << out;

    const std::string summary = read_file(dir.file("run.sum"));
    EXPECT_NE(summary.find("using precipitation data from file: " + rain_test::fixture("three_events.pre")),
              std::string::npos)
        << summary;
}

TEST_F(PrecipRun, FileWithAnErrorStopsBeforeTheTimeLoop)
{
    run("dates_back.pre");
    EXPECT_TRUE(printed("Which is earlier than the date/time on the previous line:  2000/6/1 10:15\n"))
        << out;
    EXPECT_FALSE(printed("Running....")) << out;
    EXPECT_FALSE(printed("elapsed time")) << out;
}

// Leftovers of the precipitation file and the radar grids, as variants of
// examples/longterm run through the program: each stops with exit status 1
// and a line naming the file and the cause after the file's own message.
TEST(PrecipLeftovers, StopWithStatusOneNamingTheFileAndTheCause)
{
    const std::string pre = "longterm.pre";
    const std::string head = "EVENT a day of drizzle on the third day\nNRGAG 1\n";
    const std::string coord = "COORD 45.0 45.0 \"Gauge A\"\n";
    const std::string named =
        "Error: precipitation file longterm.pre, event 1 (\"a day of drizzle on the third day\"): ";
    // A radar grid of 2 x 2 cells with its lower-left corner and cell size.
    auto radar = [](const char* llx, const char* lly, const char* cell) {
        return whole(std::string("ncols 2\nnrows 2\nxllcorner ") + llx + "\nyllcorner " + lly +
                     "\ncellsize " + cell + "\nNODATA_value -9999\n0 0\n0 0\n");
    };
    const std::string radar_event = "EVENT radar\nNRGAG FILES\nNRPDS 2\nRADAR 1998 7 3 6 0 r.asc\n"
                                    "RADAR 1998 7 3 18 0 r.asc\n";
    expect_variants(
        {
            // Two lines at one time: the rain between them would fall in no time.
            leftover(
                "gauge depth in no time",
                {{pre, whole(head + "NRPDS 3\n" + coord +
                             "GAGES 1998 7 3 6 0 0.0\nGAGES 1998 7 3 6 0 5.0\nGAGES 1998 7 3 18 0 24.0\n")}},
                {named + "On line no. 2 the value of gage 1 covers the period since the line before, which "
                         "has the same date and time: its rain would fall in no time."}),
            leftover(
                "rate for no time",
                {{pre, whole(head + "NRPDS 3\n" + coord +
                             "RATES 1998 7 3 6 0 2.0\nRATES 1998 7 3 6 0 1.0\nRATES 1998 7 3 18 0 0.0\n")}},
                {named +
                 "The rate of gage 1 on line no. 1 holds until line no. 2, which has the same date and time "
                 "as the line before: it would fall for no time and its rain would be lost."}),
            leftover("radar grid for no time",
                     {{pre, whole("EVENT radar\nNRGAG FILES\nNRPDS 2\nRADAR 1998 7 3 6 0 r.asc\n"
                                  "RADAR 1998 7 3 6 0 r.asc\n")},
                      {"r.asc", radar("0", "0", "100")}},
                     {"Error: precipitation file longterm.pre, event 1 (\"radar\"): Line no. 2 has the date "
                      "and time of the line before: its radar grid would cover a period of no length."}),
            // A long-term run reads an event only once the rain before it has
            // ended: an event that starts earlier, or at that end, would be
            // passed over with all its rain and every event after it.
            leftover(
                "event starting before the one before has ended",
                {{pre, whole("EVENT first\nNRGAG 1\nNRPDS 2\n" + coord +
                             "GAGES 1998 7 2 6 0 0.0\nGAGES 1998 7 2 12 0 12.0\nEVENT second\nNRGAG 1\n"
                             "NRPDS 2\n" +
                             coord + "GAGES 1998 7 2 12 0 0.0\nGAGES 1998 7 3 18 0 12.0\n")}},
                "Error: file longterm.pre: rain event 2 starts at 1998-07-02 12:00, not after the last line "
                "of event 1 (1998-07-02 12:00); its rain would never fall. Start each event after the event "
                "before it has ended."),
            // The calendar, and values that do not match NRGAG.
            leftover("month 13", {{pre, replaced("GAGES 1998 7 3 6 0", "GAGES 1998 13 3 6 0")}},
                     {named + "On line no. 1 the month 13 is not 1 to 12."}),
            leftover("minute 60", {{pre, replaced("GAGES 1998 7 3 18 0 ", "GAGES 1998 7 3 18 60 ")}},
                     {named + "On line no. 2 the minute 60 is not 0 to 59."}),
            leftover("more values than gauges",
                     {{pre, replaced("GAGES 1998 7 3 6 0   0.0", "GAGES 1998 7 3 6 0 0.0 1.0")}},
                     {named + "Data line no. 2 begins with the number \"1.0\" where its type word belongs: "
                              "the line before holds more values than the 1 gages that NRGAG gives."}),
            leftover(
                "fewer values than gauges",
                {{pre, whole("EVENT a day of drizzle on the third day\nNRGAG 2\nNRPDS 2\n" + coord +
                             "COORD 15.0 15.0 B\nGAGES 1998 7 3 6 0 0.0\nGAGES 1998 7 3 18 0 24.0 20.0\n")}},
                {named + "On line no. 1 the value \"GAGES\" of gage 2 is not a number: the line holds fewer "
                         "values than the 2 gages that NRGAG gives."}),
            // Radar grids that miss the watershed: the mapping's own line, then
            // the file, the cell and the grid's extent.
            leftover("radar grid far away",
                     {{pre, whole(radar_event)}, {"r.asc", radar("100000", "100000", "100")}},
                     {"Error: radar grid r.asc does not cover model cell 1 (row 1, column 1; centre x 15, y "
                      "75): the grid spans x 100000 to 100200 and y 100000 to 100200"}),
            leftover("radar cells too small", {{pre, whole(radar_event)}, {"r.asc", radar("0", "0", "1e-9")}},
                     {"Error: radar grid r.asc does not cover model cell 1 (row 1, column 1; centre x 15, y "
                      "75): the grid spans x 0 to 2e-09 and y 0 to 2e-09"}),
        },
        refusal_checks{{}});
}
