// The precipitation file from its text to the per-cell rain rate: events
// counted at set-up, an event read at its start, values turned into rates
// per period, periods loaded at their boundaries, and the file's errors.
#include <gtest/gtest.h>

#include <string>

#include "core/julian.h"
#include "core/run_steps.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_fixture.h"
#include "support/test_support.h"

using namespace rain_test;

namespace
{

struct PrecipFile : testing::Test {
    std::string out;
    torva_test::scratch_dir dir{"precip_file"};

    void SetUp() override
    {
        reset_file_name_globals();
        error_state_clear();
    }
    void TearDown() override
    {
        reset_file_name_globals();
        error_state_clear();
    }

    // A 1 x 2 grid reading the file: set-up, then the event step at the
    // first event's start.
    std::unique_ptr<model_state> read_first_event(const std::string& path)
    {
        auto s = grid(1, 2, 10.0);
        use_precip_file(*s, path);
        testing::internal::CaptureStdout();
        setup_precipitation(*s);
        if (!error_state.raised) {
            s->current_time = event_start_time(*s, 1);
            precip_event_step(*s);
            event_start_step(*s);
        }
        out = testing::internal::GetCapturedStdout();
        return s;
    }

    std::string write(const std::string& name, const std::string& text)
    {
        torva_test::write_file(dir.file(name), text);
        return dir.file(name);
    }

    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }
};

double at(int hour, int minute)
{
    return julian_date(2000, 6, 1, hour, minute, 0.0);
}

} // namespace

TEST_F(PrecipFile, GaugeDepthsBecomeRatesThatHoldUntilTheNextLine)
{
    auto s = read_first_event(fixture("gages.pre"));
    ASSERT_EQ(error_state.raised, 0) << out;
    EXPECT_EQ(s->num_events, 1);
    EXPECT_EQ(s->event_num, 1);
    EXPECT_EQ(s->rain_state, 1);
    EXPECT_DOUBLE_EQ(s->next_event_time, at(10, 0));
    EXPECT_TRUE(printed("reading precip data from file: " + fixture("gages.pre") + "\n")) << out;

    struct boundary {
        double time;
        double rate; // mm/h in every cell from this time on
    };
    for (const boundary& b :
         {boundary{at(10, 0), 12.0}, boundary{at(10, 15), 24.0}, boundary{at(10, 30), 0.0}}) {
        s->current_time = b.time;
        precip_period_step(*s);
        EXPECT_DOUBLE_EQ(s->rain_rate[1], b.rate);
        EXPECT_DOUBLE_EQ(s->rain_rate[2], b.rate);
    }
    EXPECT_EQ(s->rain_state, 0); // the rain ends at the last line
    EXPECT_EQ(s->raining, 0);
}

TEST_F(PrecipFile, RatesAndAccumulationsGiveTheSameRainAsGaugeDepths)
{
    for (const char* name : {"gages.pre", "rates.pre", "accum.pre"}) {
        SCOPED_TRACE(name);
        error_state_clear();
        auto s = read_first_event(fixture(name));
        ASSERT_EQ(error_state.raised, 0) << out;
        ASSERT_EQ(s->num_rain_periods, 3);
        EXPECT_DOUBLE_EQ(s->rain_rows[1][1], 12.0);
        EXPECT_DOUBLE_EQ(s->rain_rows[1][2], 24.0);
        EXPECT_EQ(s->rain_period_dates[3].minute, 30);
    }
}

TEST_F(PrecipFile, PeriodLengthsComeFromTheDates)
{
    const std::string head = "EVENT e\nNRGAG 1\nNRPDS 2\nCOORD 10 10 g\n";
    // Across a month end: two hours.
    auto s = read_first_event(write("m.pre", head + "ACCUM 2001 1 31 23 0 10\nACCUM 2001 2 1 1 0 14\n"));
    EXPECT_DOUBLE_EQ(s->rain_rows[1][1], 2.0);
    EXPECT_FALSE(printed("long delta t"));

    // Across two month ends (30 days of 2000): 72 mm over 720 hours.
    s = read_first_event(write("g.pre", head + "ACCUM 2000 1 31 0 0 0\nACCUM 2000 3 1 0 0 72\n"));
    EXPECT_DOUBLE_EQ(s->rain_rows[1][1], 0.1);
    EXPECT_TRUE(printed("WARNING: you have a long delta t in your precip file\n")) << out;

    // Two lines with the same date: a period of no length that adds no rain,
    // and the loading of periods goes on past it (rain in it is refused by
    // the reader: PrecipLeftovers).
    s = read_first_event(write("e.pre", "EVENT e\nNRGAG 1\nNRPDS 4\nCOORD 10 10 g\n"
                                        "GAGES 2000 6 1 10 0 0\nGAGES 2000 6 1 10 15 3\n"
                                        "GAGES 2000 6 1 10 15 0\nGAGES 2000 6 1 10 30 6\n"));
    ASSERT_EQ(error_state.raised, 0) << out;
    EXPECT_EQ(s->rain_rows[1][2], 0.0);
    s->current_time = at(10, 0);
    precip_period_step(*s);
    s->current_time = at(10, 15);
    precip_period_step(*s);
    EXPECT_DOUBLE_EQ(s->rain_rate[1], 24.0);
    EXPECT_EQ(s->rain_period, 4);
    s->current_time = at(10, 30);
    precip_period_step(*s);
    EXPECT_EQ(s->rain_state, 0);
}

TEST_F(PrecipFile, FormatErrorsStopTheRunWithTheirMessages)
{
    struct error_case {
        const char* file;
        const char* message;
    };
    const error_case cases[] = {
        {"dates_back.pre", "On line no. 3, the given time of the recorded data is:    2000/6/1 10:14\n"
                           "Which is earlier than the date/time on the previous line:  2000/6/1 10:15\n"},
        {"accum_down.pre", "On line no. 3, the accumulated precip. for gage number 1 is:  4.00000 mm\n"
                           "Which is less than the accumulated precip. on the previous line:  5.00000 mm\n"},
        {"two_types.pre", "More than one precipitation data card type has been specified.\n"},
        {"missing_coord.pre",
         "\nCannot find gage coordinate card in rainfall input file for event entitled:\n"
         "        second gauge without its coordinate card\n\n"},
        {"no_gauges.pre", "NRGAG must give at least one rain gage"},
        {"truncated.pre", "Unexpected end of file in rain gage data file.\n"},
    };
    for (const error_case& c : cases) {
        SCOPED_TRACE(c.file);
        error_state_clear();
        auto s = read_first_event(fixture(c.file));
        EXPECT_EQ(error_state.raised, 1);
        EXPECT_TRUE(printed(c.message)) << out;
        EXPECT_FALSE(printed("End of precipitation input file reached.")) << out;
    }
}

TEST_F(PrecipFile, WithoutLongTermOnlyTheFirstOfThreeEventsIsSimulated)
{
    auto s = read_first_event(fixture("three_events.pre"));
    ASSERT_EQ(error_state.raised, 0) << out;
    EXPECT_TRUE(printed("End of precipitation input file reached.\n"
                        "Precip. file contains 3 events, simulating first event only\n"
                        "because LONG_TERM project file card not set in project file.\n"))
        << out;
    EXPECT_EQ(s->num_events, 1);
    // The file was rewound: the event step read the first event again.
    EXPECT_EQ(s->event_num, 1);
    EXPECT_EQ(s->event_title, " first storm\n");

    // With LONG_TERM every event counts, whatever the spelling of its EVENT
    // word or the order of its cards; year 97 is 1997. The events of a
    // long-term run follow each other, so the first two move to 1996.
    s = grid(1, 1, 10.0);
    std::string events = read_file(fixture("three_events.pre"));
    for (size_t at_year = events.find("2000 6"); at_year != std::string::npos; at_year = events.find("2000 6"))
        events.replace(at_year, 4, "1996");
    use_precip_file(*s, write("three_in_order.pre", events));
    s->long_term = 1;
    s->hmet_ktr = 1; // a long-term set-up scans the weather file too
    file_rec_open(s->hmet_file, write("w.hmet", "2000 6 1 0 29.92 50 5 10 68 0.0 0.0\n"), "r");
    testing::internal::CaptureStdout();
    setup_precipitation(*s);
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(printed("Precip. file contains 3 events\n")) << out;
    ASSERT_EQ(s->num_events, 3);
    EXPECT_DOUBLE_EQ(event_start_time(*s, 1), julian_date(1996, 6, 1, 10, 0, 0.0));
    EXPECT_DOUBLE_EQ(event_start_time(*s, 2), julian_date(1996, 6, 3, 8, 30, 0.0));
    EXPECT_DOUBLE_EQ(event_start_time(*s, 3), julian_date(1997, 6, 1, 12, 0, 0.0));
    EXPECT_EQ(event_start_time(*s, 4), 0.0);
}
