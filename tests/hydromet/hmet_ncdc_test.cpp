// NCDC surface-airways files: the scan's day counts and mismatch messages,
// and the record path giving consecutive hours in the record units, with
// missing values repaired from the previous day, then -1.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "hydromet/hmet_services.h"
#include "hydromet/rain_fixture.h"
#include "support/test_support.h"

using namespace rain_test;

namespace
{

// One element line of a day; values[h] is the value at hour h (hhmm h00).
std::string ncdc_line(const char* code, int y, int m, int d, const std::vector<int>& values)
{
    char head[64];
    std::snprintf(head, sizeof head, "%-11s%-4s  %04d%02d  %02d%3d", "STN", code, y, m, d,
                  static_cast<int>(values.size()));
    std::string l = head;
    for (std::size_t h = 0; h < values.size(); ++h) {
        char g[16];
        std::snprintf(g, sizeof g, "%04d%6d  ", static_cast<int>(h) * 100, values[h]);
        l += g;
    }
    return l + "\n";
}

struct HmetNcdc : testing::Test {
    std::string out;
    torva_test::scratch_dir dir{"hmet_ncdc"};
    std::unique_ptr<model_state> s = grid(1, 1, 100.0);

    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }

    void setup(const std::string& text)
    {
        torva_test::write_file(dir.file("w.ncdc"), text);
        s->hmet_surfaways = s->long_term = 1;
        file_rec_open(s->hmet_file, dir.file("w.ncdc"), "r");
        testing::internal::CaptureStdout();
        setup_hmet(*s);
        out = testing::internal::GetCapturedStdout();
    }
    bool printed(const std::string& t) const { return out.find(t) != std::string::npos; }
};

TEST_F(HmetNcdc, TwentyNineWindDaysAgainstThirtyTemperatureDaysStopWithTheWindMessage)
{
    std::string text;
    const std::vector<int> v(24, 50), sky(24, 505);
    for (int d = 1; d <= 30; ++d) {
        text += ncdc_line("RHUM", 1998, 6, d, v) + ncdc_line("TMPD", 1998, 6, d, v) +
                ncdc_line("TSKC", 1998, 6, d, sky);
        if (d < 30)
            text += ncdc_line("WIND", 1998, 6, d, v);
    }
    setup(text);
    EXPECT_TRUE(error_state.raised);
    EXPECT_TRUE(
        printed("End of hmet_NCDC file encountered after 119 lines\n"
                "DRAD GRAD PRES RHUM TMPD TSKC WIND\n"
                " 0  0  0  30  30  30  29\n"
                "There is an error in the Surface Airways hydrometeorology\n"
                "data file.  There appear to be different number of days of wind data than temperature "
                "data.  Wind speed data is\n"
                "required for each day.  Examine the file and supply the \n"
                "missing data.  Program terminating\n\n"))
        << out;
}

TEST_F(HmetNcdc, RecordsAreConsecutiveHoursInRecordUnitsThenMinusOne)
{
    // Two days across a month end; hour h of day 1 has 68 F + h, day 2 the
    // same but hour 5 missing. A repeat of the last line ends the data.
    std::string text;
    const int days[2][3] = {{1998, 5, 31}, {1998, 6, 1}};
    for (int k = 0; k < 2; ++k) {
        std::vector<int> temp(24), rad(24, 6000);
        for (int h = 0; h < 24; ++h)
            temp[h] = 68 + h;
        if (k == 1)
            temp[5] = 99999;
        const int* d = days[k];
        text += ncdc_line("DRAD", d[0], d[1], d[2], rad) +
                ncdc_line("PRES", d[0], d[1], d[2], std::vector<int>(24, 29920)) +
                ncdc_line("RHUM", d[0], d[1], d[2], std::vector<int>(24, 50)) +
                ncdc_line("TMPD", d[0], d[1], d[2], temp) +
                ncdc_line("TSKC", d[0], d[1], d[2], std::vector<int>(24, 1005)) +
                ncdc_line("WIND", d[0], d[1], d[2], std::vector<int>(24, 180010));
    }
    text += ncdc_line("WIND", 1998, 6, 1, std::vector<int>(24, 180010));
    setup(text);
    ASSERT_FALSE(error_state.raised) << out;
    EXPECT_TRUE(printed("End of hmet_NCDC file encountered after 12 lines\n")) << out;
    EXPECT_TRUE(printed(" 2  0  2  2  2  2  2\n")) << out;
    EXPECT_EQ(s->hmet_record_count, 48);
    EXPECT_EQ(s->start_yyyymmdd, 19980531);
    EXPECT_EQ(s->start_hhmm, 0);
    const int last[4] = {1998, 6, 1, 23};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s->hmet_last_date[k], last[k]);
    for (int r = 0; r < 48; ++r) {
        ASSERT_EQ(read_hmet_record(*s), 0) << r;
        const int* d = days[r / 24];
        const int h = r % 24;
        const int got[4] = {s->hmet_first_date[0], s->hmet_first_date[1], s->hmet_first_date[2],
                            s->hmet_first_date[3]};
        const int want[4] = {d[0], d[1], d[2], h};
        for (int k = 0; k < 4; ++k)
            ASSERT_EQ(got[k], want[k]) << r;
        EXPECT_NEAR(s->hmet_air_temp, (68.0 + h - 32.0) * 5.0 / 9.0, 1e-12) << r; // hour 5 repaired
        if (h == 0) {
            EXPECT_NEAR(s->hmet_pressure, 1013.25, 1e-3); // 29.920 inHg
            EXPECT_DOUBLE_EQ(s->hmet_direct_rad, 600.0);
            EXPECT_DOUBLE_EQ(s->hmet_global_rad, 0.0); // no GRAD lines
            EXPECT_DOUBLE_EQ(s->hmet_cloud, 5.0);
            EXPECT_DOUBLE_EQ(s->hmet_rel_hum, 50.0);
            EXPECT_NEAR(s->hmet_wind, 10 * 0.514444, 1e-12);
        }
    }
    EXPECT_EQ(s->hmet_repaired, 1);
    EXPECT_EQ(read_hmet_record(*s), -1);
    EXPECT_EQ(read_hmet_record(*s), -1);
    EXPECT_FALSE(error_state.raised);
}

TEST_F(HmetNcdc, LongOrBadLinesStopTheScanNamingTheLine)
{
    const std::vector<int> v(24, 50);
    std::string bad_value = ncdc_line("TMPD", 1998, 6, 2, v);
    bad_value.replace(30 + 12 * 3 + 4, 6, "  5x0 ");
    std::string bad_hour = ncdc_line("TMPD", 1998, 6, 2, v);
    bad_hour.replace(30 + 12 * 2, 4, "2400");
    const struct {
        std::string line;
        const char* message;
    } cases[] = {
        {std::string(791, 'x') + "\n", "Line too long in hmet_NCDC input file.  Program exiting\n"},
        {bad_value, "line 2, near column 71\n"},
        {bad_hour, "line 2, near column 55\n"},
    };
    for (const auto& c : cases) {
        error_state_clear();
        setup(ncdc_line("RHUM", 1998, 6, 1, v) + c.line);
        EXPECT_TRUE(error_state.raised);
        EXPECT_TRUE(printed(c.message)) << out;
    }
}

// Days out of order and values out of their range stop the scan naming the
// file, the line and the cause.
TEST_F(HmetNcdc, DaysOutOfOrderAndValuesOutOfRangeStopTheScan)
{
    const std::vector<int> v(24, 50), sky(24, 505);
    auto day = [&](int d) {
        return ncdc_line("RHUM", 1998, 6, d, v) + ncdc_line("TMPD", 1998, 6, d, v) +
               ncdc_line("TSKC", 1998, 6, d, sky) + ncdc_line("WIND", 1998, 6, d, v);
    };
    std::vector<int> wet = v;
    wet[5] = 500;
    const struct {
        std::string text;
        std::string cause;
    } cases[] = {
        {day(2) + day(1), "line 5: the record of 1998-06-01 hour 0 comes before the record of line 1"},
        {day(1) + day(2) + day(1), "line 9: the record of 1998-06-01 hour 0 comes before the record of line 5"},
        // A missing day: the hourly step reads the next day's lines whatever
        // their date, so every later day would come a day early.
        {day(1) + day(3),
         "line 5: the record of 1998-06-03 hour 0 comes 48 hours after the record of line 1; the records must "
         "give every day in turn, a missing value marked as missing."},
        {day(1) + ncdc_line("RHUM", 1998, 6, 2, wet),
         "line 5: the relative humidity (%) \"500\" is out of range: it must be from 0 to 100 (columns 95-100)."},
        {ncdc_line("RHUM", 1998, 2, 30, v), "line 1: the day 30 is not a day of month 2 of 1998."},
        {"", "holds no records."},
    };
    for (const auto& c : cases) {
        error_state_clear();
        setup(c.text);
        EXPECT_TRUE(error_state.raised);
        const std::string file = "Error: hydrometeorological file " + dir.file("w.ncdc");
        EXPECT_TRUE(printed(file + (c.text.empty() ? " " : ", ") + c.cause)) << out;
    }
}

} // namespace
