#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/julian.h"
#include "core/text_parse.h"
#include "input/time_series.h"
#include "input/word_reader.h"
#include "support/test_support.h"

namespace {

const std::string fixture = std::string(TORVA_TEST_DATA) + "/series/timeseries.txt";

class TimeSeries : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset()
    {
        reset_file_name_globals();
        ts_free_all();
        error_state_clear();
    }

    void read_fixture()
    {
        testing::internal::CaptureStdout();
        read_ts_file(fixture);
        printed = testing::internal::GetCapturedStdout();
    }

    std::string printed;
    torva_test::scratch_dir dir{"time_series"};
};

TEST_F(TimeSeries, FileReadsEveryBlockInOrder)
{
    read_fixture();
    EXPECT_EQ(printed, "Read time series gate release\nRead time series gate_rel\nRead time series pump\n"
                       "3 time series read from file " + fixture + "\n");
    ASSERT_EQ(time_series_list.size(), 3u);
    const time_series& gate = time_series_list.front();
    EXPECT_EQ(gate.relative, 0);
    EXPECT_EQ(gate.count, 3);
    EXPECT_EQ(gate.times[0], julian_date(2000, 1, 1, 0, 0, 0.0));

    EXPECT_EQ(ts_find("gate"), &gate); // a prefix of several names finds the first
    EXPECT_EQ(ts_find(""), &gate);
    ASSERT_NE(ts_find("gate_"), nullptr);
    EXPECT_EQ(ts_find("gate_")->name, "gate_rel");
    EXPECT_EQ(ts_find("pumps"), nullptr);

    // Two files add to the same list.
    torva_test::write_file(dir.file("more.txt"), "TORVA_TS\nmore\nABSOLUTE\n2000 1 1 0 0 1\nEND_TS\n");
    testing::internal::CaptureStdout();
    read_ts_file(dir.file("more.txt"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(time_series_list.size(), 4u);
    EXPECT_EQ(time_series_list.back().name, "more");
}

TEST_F(TimeSeries, AbsoluteLookupsTable)
{
    read_fixture();
    time_series* gate = ts_find("gate release");
    ASSERT_NE(gate, nullptr);
    const double t0 = julian_date(2000, 1, 1, 0, 0, 0.0);
    struct lookup_case {
        double t;
        double value;
    };
    // In this order: the last two go back in time and wrap the search.
    const lookup_case cases[] = {
        {t0 - 3.0, 1.0}, {t0, 1.0},        {t0 + 0.25, 2.0}, {t0 + 0.5, 3.0},
        {t0 + 0.75, 4.0}, {t0 + 1.0, 5.0}, {t0 + 9.0, 5.0},  {t0 + 0.125, 1.5},
    };
    for (const lookup_case& c : cases) EXPECT_NEAR(ts_value_at(c.t, gate), c.value, 1e-9) << c.t - t0;
    EXPECT_EQ(ts_value_at(t0 + 3.0, ts_find("pump")), 2.0); // one sample
    EXPECT_EQ(error_state.raised, 0);
}

TEST_F(TimeSeries, RelativeBlocksHoldOffsetsUntilAnchored)
{
    read_fixture();
    time_series* rel = ts_find("gate_rel");
    ASSERT_NE(rel, nullptr);
    EXPECT_EQ(rel->relative, 1);
    ASSERT_EQ(rel->count, 4); // the blank line repeats the line before it
    EXPECT_NEAR(rel->times[0], 1.5 / 24.0, 1e-9);
    EXPECT_NEAR(rel->times[1], 1.0, 1e-9);
    EXPECT_NEAR(rel->times[2], 2.0, 1e-9);
    EXPECT_NEAR(rel->times[3], 2.0, 1e-9);
    EXPECT_EQ(rel->values[2], 5.0);

    const double anchor = julian_date(2010, 6, 1, 0, 0, 0.0);
    for (double& t : rel->times) t += anchor;
    EXPECT_NEAR(ts_value_at(anchor + 1.0, rel), 5.0, 1e-9);
    EXPECT_NEAR(ts_value_at(anchor + 1.5 / 24.0, rel), 2.0, 1e-9);
    EXPECT_NEAR(ts_value_at(anchor + 2.0, rel), 5.0, 1e-9);
}

TEST_F(TimeSeries, EqualTimesGiveASampleNeverNaN)
{
    time_series* s = ts_new();
    s->name = "steps";
    s->times = {0.0, 1.0, 1.0, 2.0};
    s->values = {0.0, 10.0, 20.0, 30.0};
    s->count = 4;
    for (int cursor = 0; cursor < 3; ++cursor) {
        s->cursor = cursor;
        const double v = ts_value_at(1.0, s);
        EXPECT_TRUE(v == 10.0 || v == 20.0) << cursor << " " << v;
    }
    s->cursor = 2;
    EXPECT_NEAR(ts_value_at(1.5, s), 25.0, 1e-12);
}

TEST_F(TimeSeries, BadBlocksAreRefusedNamingTheLine)
{
    const std::string path = dir.file("bad.txt");
    const std::string ok = "TORVA_TS\nok\nABSOLUTE\n2000 1 1 0 0 1\nEND_TS\n";
    struct bad_case {
        std::string text;
        std::string fault; // after "Error: file PATH, "
    } cases[] = {
        {ok + "TORVA_TS\nback\nABSOLUTE\n2000 1 2 0 0 1\n2000 1 1 0 0 2\nEND_TS\n",
         "line 10: the sample's time lies before that of line 9.\n"},
        {"TORVA_TS\n" + std::string(150, 'n') + "\nABSOLUTE\nEND_TS\n", "line 2: the name of time series " + std::string(150, 'n') + " is longer than 149 characters.\n"},
        {"TORVA_TS\nflow\nABSOLUTE\n2000 1 1 0 0 1\n2000 1 1 1 0 nan\nEND_TS\n",
         "line 5: the value \"nan\" is not finite.\n"},
        {"TORVA_TS\nflow\nABSOLUTE\n2000 1 1 0 0 1\n2000 1 1 1 0 1e400\nEND_TS\n",
         "line 5: the value \"1e400\" is out of range.\n"},
        {"TORVA_TS\nflow\nABSOLUTE\n2000 1 1 0 0 one\nEND_TS\n", "line 4: the value \"one\" is not a number.\n"},
        {"TORVA_TS\nflow\nABSOLUTE\n2000 1 1 0 0\nEND_TS\n",
         "line 4: the line holds 5 of its 6 numbers (year, month, day, hour, minute and value).\n"},
        {"TORVA_TS\nflow\nABSOLUTE\n2000 1 1 0 0 1 2\nEND_TS\n",
         "line 4: \"2\" follows the value at the end of the line.\n"},
        {"TORVA_TS\nflow\nABSOLUTE\n2000 2 30 0 0 1\nEND_TS\n",
         "line 4: 2000 02 30 00 00 is not a calendar date and time of day.\n"},
        {"TORVA_TS\nflow\nRELATIVE\n0 0 -1 0 0 1\nEND_TS\n",
         "line 4: 0 0 -1 0 0 is not an offset of days, hours and minutes.\n"},
        {"TORVA_TS\nflow\n2000 1 1 0 0 1\nEND_TS\n",
         "line 3: time series flow needs ABSOLUTE or RELATIVE after its name; found \"2000 1 1 0 0 1\".\n"},
        {"TORVA_TS\nflow\nABSOLUTE\n2000 1 1 0 0 1\n", "line 4: the file ends before the END_TS line of time "
                                                          "series flow (TORVA_TS at line 1).\n"},
        {"TORVA_TS\nflow\nABSOLUTE\nEND_TS\n", "line 4: time series flow has no samples before its END_TS.\n"},
        {"TORVA_TS\nflow\nABSOLUTE\n\n2000 1 1 0 0 1\nEND_TS\n",
         "line 4: a blank line stands where the first line of time series flow belongs.\n"},
        {"TORVA_TS\n  \nABSOLUTE\nEND_TS\n", "line 2: the time series of the TORVA_TS line above has no name.\n"},
        {"TORVA_TS\n", "line 1: the file ends after TORVA_TS, before the name of the series.\n"},
        {ok + ok, "line 7: a time series named \"ok\" was read before.\n"},
    };
    for (const bad_case& c : cases) {
        reset();
        torva_test::write_file(path, c.text);
        testing::internal::CaptureStdout();
        read_ts_file(path);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("Error: file " + path + ", " + c.fault), std::string::npos) << out;
        EXPECT_EQ(out.find("time series read from file"), std::string::npos) << out;
        EXPECT_EQ(error_state.raised, 1) << c.fault;
        // A refused block is not kept.
        for (const time_series& s : time_series_list) EXPECT_EQ(s.name, "ok") << c.fault;
    }

    // A file without a block is refused too.
    reset();
    torva_test::write_file(path, "no series here\n");
    testing::internal::CaptureStdout();
    read_ts_file(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind(
                  "Error: the time series file " + path + " holds no series (no TORVA_TS line).\n", 0),
              0u);
    EXPECT_EQ(error_state.raised, 1);
}

TEST_F(TimeSeries, MissingFilesAndSeries)
{
    testing::internal::CaptureStdout();
    read_ts_file(dir.file("nothing.txt"));
    // The name resolver announces the miss first.
    const std::string missing = testing::internal::GetCapturedStdout();
    EXPECT_NE(missing.find("Error: Time series file not found [" + dir.file("nothing.txt") + "]\n"),
              std::string::npos)
        << missing;
    // The series the project named would be missing: the run stops.
    EXPECT_EQ(error_state.raised, 1);

    struct stop_case {
        const char* what;
        double (*lookup)();
        std::string printed;
    };
    const stop_case cases[] = {
        {"no series", [] { return ts_value_at(1.0, nullptr); },
         "Error: attempting to extract a value from a time series that does not exist.\n"},
        {"no samples",
         [] {
             time_series* e = ts_new();
             e->name = "empty";
             return ts_value_at(1.0, e);
         },
         "Error: attempting to extract a value from a time series [empty] with no entries.\n"},
        {"unknown id", [] { return ts_value_by_index(42, 1.0); },
         "Error: attempting to extract a value from an unknown time series in the time series table.    "
         "Check the mapping table file (.cmt). The specified time series index is 42, but the \nindex is not "
         "found in the time series index table.\n"},
    };
    for (const stop_case& c : cases) {
        error_state_clear();
        testing::internal::CaptureStdout();
        EXPECT_EQ(c.lookup(), 0.0) << c.what;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.substr(0, c.printed.size()), c.printed) << c.what;
        EXPECT_EQ(error_state.raised, 1) << c.what;
    }
    error_state_clear();

    time_series* s = ts_new();
    s->times = {0.0, 1.0};
    s->values = {4.0, 6.0};
    s->count = 2;
    ts_index_list.push_front({7, s, s->name});
    EXPECT_EQ(ts_value_by_index(7, 0.5), 5.0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ts_value_at(std::nan(""), s), 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: something is really messed up with your time series [].\n");
    EXPECT_EQ(error_state.raised, 0);
}

TEST_F(TimeSeries, LineKinds)
{
    const std::pair<const char*, int> kinds[] = {
        {"END_TS", 3}, {"ABSOLUTE x", 2}, {"RELATIVE", 1}, {"TORVA_TS", 0}, {"torva_ts", 4}, {" END_TS", 4}, {"", 4},
    };
    for (const auto& [line, kind] : kinds) EXPECT_EQ(ts_line_kind(line), kind) << line;
}

TEST_F(TimeSeries, MultiColumnBlocks)
{
    const std::string path = dir.file("columns.txt");
    const num_field depth{"depth", 0.0, 100.0};
    torva_test::write_file(path, "2000 1 1 0 0 1.0 10.0\n2000 1 1 6 0 2.0, 12.5\nEND_TS\nafter\n");
    file_rec rec;
    ASSERT_TRUE(file_rec_open(rec, path, "r"));
    time_series* first = ts_read_columns(rec, 2, std::string(120, 'p'), path, depth);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name, std::string(100, 'p') + "_0000");
    ASSERT_EQ(time_series_list.size(), 2u);
    const time_series& second = time_series_list.back();
    EXPECT_EQ(second.name, std::string(100, 'p') + "_0001");
    EXPECT_EQ(first->count, 2);
    EXPECT_EQ(first->values[1], 2.0);
    EXPECT_EQ(second.values[1], 12.5);
    EXPECT_NEAR(second.times[1], julian_date(2000, 1, 1, 6, 0, 0.0), 1e-9);

    std::string line;
    ASSERT_EQ(read_line_rec(line, rec), 1);
    EXPECT_EQ(line, "END_TS"); // left for the caller
    EXPECT_EQ(ts_read_columns(rec, 0, "x", path, depth), nullptr);
    file_rec_close(rec);
}

// A row is a calendar date and time and exactly its values, each within its
// range; a block ends with END_TS. Anything else is refused naming the
// file and the line, and leaves no series behind.
TEST_F(TimeSeries, MultiColumnRowsAreReadStrictly)
{
    const std::string path = dir.file("bad.txt");
    const num_field depth{"depth", 0.0, 100.0};
    const std::string row1 = "2000 01 01 00 00\t 1.0 2.0\n";
    const struct {
        std::string rows;
        std::string message;
    } cases[] = {
        {row1 + "2000 01 01 01 00\t 1.0\nEND_TS\n", "line 2: the row holds 1 of its 2 values."},
        {row1 + "2000 01 01 01 00\t 1.0 2.0 3.0\nEND_TS\n",
         "line 2: the row holds more than its 2 values (\"3.0\" follows them)."},
        {row1 + "2000 01 01 01 00\t 1.0 nan\nEND_TS\n", "line 2: value 2 \"nan\" is not finite."},
        {row1 + "2000 01 01 01 00\t 1.0 -0.5\nEND_TS\n",
         "line 2: value 2, the depth -0.5, lies outside 0 to 100."},
        {row1 + "2000 13 01 01 00\t 1.0 2.0\nEND_TS\n",
         "line 2: 2000 13 01 01 00 is not a calendar date and time of day."},
        {row1 + "2000 01 01 01\nEND_TS\n", "line 2: the minute of the row is missing"},
        {row1 + "1999 12 31 23 00\t 1.0 2.0\nEND_TS\n",
         "line 2: the row's date and time lies before that of line 1."},
        {row1, "ends before the END_TS line that closes its rows of 2 values."},
    };
    for (const auto& c : cases) {
        torva_test::write_file(path, c.rows);
        file_rec rec;
        ASSERT_TRUE(file_rec_open(rec, path, "r"));
        error_state_clear();
        testing::internal::CaptureStdout();
        EXPECT_EQ(ts_read_columns(rec, 2, "p", path, depth), nullptr) << c.rows;
        const std::string out = testing::internal::GetCapturedStdout();
        file_rec_close(rec);
        EXPECT_NE(out.find(path), std::string::npos) << out;
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
        EXPECT_EQ(error_state.raised, 1);
        EXPECT_TRUE(time_series_list.empty());
    }
    // Two rows at one minute (an output interval under a minute) stay.
    torva_test::write_file(path, row1 + row1 + "END_TS\n");
    file_rec rec;
    ASSERT_TRUE(file_rec_open(rec, path, "r"));
    error_state_clear();
    ASSERT_NE(ts_read_columns(rec, 2, "p", path, depth), nullptr);
    file_rec_close(rec);
}

} // namespace
