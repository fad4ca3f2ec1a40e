#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "input/elev_series.h"
#include "support/test_support.h"

namespace {

const std::string fixture = std::string(TORVA_TEST_DATA) + "/series/elevation.txt";

class ElevSeries : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset()
    {
        reset_file_name_globals();
        elev_series_free_all();
        error_state_clear();
    }

    elev_series* curve(const std::string& name)
    {
        for (elev_series& c : elev_series_list)
            if (c.name == name) return &c;
        return nullptr;
    }

    torva_test::scratch_dir dir{"elev_series"};
};

TEST_F(ElevSeries, FileAndNames)
{
    testing::internal::CaptureStdout();
    read_elev_series_file(fixture);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "3 elevation series read from file " + fixture + "\n");
    ASSERT_EQ(elev_series_list.size(), 3u);
    EXPECT_EQ(elev_series_list.front().name, "weir crest"); // quoted: the blank stays
    ASSERT_NE(curve("two"), nullptr);                       // unquoted: the first word only
    elev_series* blank = curve("blank_line");
    ASSERT_NE(blank, nullptr);
    ASSERT_EQ(blank->count, 2);
    EXPECT_EQ(blank->x[1], 0.0);
    EXPECT_EQ(blank->y[1], 1.0); // a blank line repeats the point before it
}

TEST_F(ElevSeries, LinearAndStepLookupsTable)
{
    testing::internal::CaptureStdout();
    read_elev_series_file(fixture);
    testing::internal::GetCapturedStdout();
    elev_series* weir = curve("weir crest");
    elev_series* one = curve("two");
    ASSERT_NE(weir, nullptr);
    ASSERT_NE(one, nullptr);
    struct lookup_case {
        elev_series* c;
        double x;
        double linear;
        double step;
    };
    const lookup_case cases[] = {
        {weir, -5.0, 0.0, 0.0},  {weir, 0.0, 0.0, 0.0},   {weir, 0.5, 5.0, 0.0},
        {weir, 1.0, 10.0, 0.0},  // at an interior abscissa the left interval is found first
        {weir, 1.5, 20.0, 10.0}, {weir, 2.0, 30.0, 30.0}, {weir, 99.0, 30.0, 30.0},
        {one, -1.0, 1.0, 1.0},   {one, 5.0, 1.0, 1.0},    {one, 1e9, 1.0, 1.0},
    };
    for (const lookup_case& c : cases) {
        EXPECT_NEAR(elev_series_interp(c.x, c.c), c.linear, 1e-12) << c.c->name << " " << c.x;
        EXPECT_EQ(elev_series_step(c.x, c.c), c.step) << c.c->name << " " << c.x;
    }
    EXPECT_EQ(error_state.raised, 0);
}

TEST_F(ElevSeries, EqualAbscissaeGiveAPointNeverNaN)
{
    elev_series* c = elev_series_new();
    c->x = {1.0, 1.0, 2.0};
    c->y = {4.0, 8.0, 9.0};
    c->count = 3;
    EXPECT_EQ(elev_series_interp(1.0, c), 4.0);
    EXPECT_EQ(elev_series_step(1.0, c), 4.0);

    elev_series* mid = elev_series_new();
    mid->x = {0.0, 1.0, 1.0, 2.0};
    mid->y = {0.0, 4.0, 8.0, 9.0};
    mid->count = 4;
    const double v = elev_series_interp(1.0, mid);
    EXPECT_TRUE(v == 4.0 || v == 8.0) << v;
    EXPECT_NEAR(elev_series_interp(1.5, mid), 8.5, 1e-12);
}

TEST_F(ElevSeries, BadCurvesAreRefusedNamingTheLine)
{
    const std::string path = dir.file("bad.txt");
    const std::string rising = "TORVA_ES\nrising\n0 1\n1 2\nEND_ES\n";
    struct bad_case {
        std::string text;
        std::string fault; // after "Error: file PATH, "
    } cases[] = {
        {rising + "TORVA_ES\nfalling\n2 1\n1 2\nEND_ES\n",
         "line 9: the x of the point lies below that of line 8 (the abscissae of a curve never go back).\n"},
        {"TORVA_ES\nnan_x\n0 1\nnan 2\nEND_ES\n", "line 4: the x \"nan\" is not finite.\n"},
        {"TORVA_ES\ninf_y\n0 1\n1 inf\nEND_ES\n", "line 4: the y \"inf\" is not finite.\n"},
        {"TORVA_ES\nshort\n0 1\n3.0\nEND_ES\n", "line 4: the line holds 1 of its 2 numbers (x and y).\n"},
        {"TORVA_ES\nword\n0 one\nEND_ES\n", "line 3: the y \"one\" is not a number.\n"},
        {"TORVA_ES\nlong\n0 1 2\nEND_ES\n", "line 3: \"2\" follows the y at the end of the line.\n"},
        {"TORVA_ES\ncut\n0 1\n", "line 3: the file ends before the END_ES line of elevation series cut (TORVA_ES "
                                  "at line 1).\n"},
        {"TORVA_ES\nempty\nEND_ES\n", "line 3: elevation series empty has no points before its END_ES.\n"},
        {"TORVA_ES\n" + std::string(150, 'n') + "\n0 1\nEND_ES\n", "line 2: the name of elevation series " + std::string(150, 'n') + " is longer than 149 characters.\n"},
        {rising + rising, "line 7: an elevation series named \"rising\" was read before.\n"},
    };
    for (const bad_case& c : cases) {
        reset();
        torva_test::write_file(path, c.text);
        testing::internal::CaptureStdout();
        read_elev_series_file(path);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("Error: file " + path + ", " + c.fault), std::string::npos) << out;
        EXPECT_EQ(out.find("elevation series read from file"), std::string::npos) << out;
        EXPECT_EQ(error_state.raised, 1) << c.fault;
        for (const elev_series& e : elev_series_list) EXPECT_EQ(e.name, "rising") << c.fault;
    }
}

TEST_F(ElevSeries, MissingFilesAndCurves)
{
    testing::internal::CaptureStdout();
    read_elev_series_file(dir.file("none"));
    // The name resolver announces the miss first.
    const std::string missing = testing::internal::GetCapturedStdout();
    EXPECT_NE(missing.find("Error: Elevation series file not found [" + dir.file("none") + "]\n"),
              std::string::npos)
        << missing;
    EXPECT_EQ(error_state.raised, 1); // the curves the project named would be missing
    error_state_clear();

    const std::string none = "Error: attempting to extract a value from an elevation series that does not exist.\n";
    testing::internal::CaptureStdout();
    EXPECT_EQ(elev_series_interp(1.0, nullptr), 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind(none, 0), 0u);
    EXPECT_EQ(error_state.raised, 1);

    error_state_clear();
    elev_series* empty = elev_series_new();
    empty->name = "empty";
    const std::string no_points =
        "Error: attempting to extract a value from an elevation series [empty] with no entries.\n";
    testing::internal::CaptureStdout();
    EXPECT_EQ(elev_series_step(1.0, empty), 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind(no_points, 0), 0u);
    EXPECT_EQ(error_state.raised, 1);
    error_state_clear();
}

} // namespace
