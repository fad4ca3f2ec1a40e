// The hourly weather files: KTR and SAMSON records with their repairs and
// unit conversions, the scan at set-up and the orographic temperature.
#include <gtest/gtest.h>

#include <string>

#include "hydromet/hmet_services.h"
#include "hydromet/rain_fixture.h"
#include "support/test_support.h"

using namespace rain_test;

namespace
{

struct HmetReader : testing::Test {
    std::string out;
    torva_test::scratch_dir dir{"hmet_reader"};
    std::unique_ptr<model_state> s = grid(1, 2, 100.0);

    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }

    void use(const std::string& text, int ktr = 1)
    {
        torva_test::write_file(dir.file("w.hmet"), text);
        s->hmet_ktr = ktr;
        s->hmet_samson = !ktr;
        s->long_term = 1;
        if (s->hmet_file.fp)
            file_rec_close(s->hmet_file);
        file_rec_open(s->hmet_file, dir.file("w.hmet"), "r");
    }
    // Set-up scan, then the first record call.
    int setup_and_read()
    {
        testing::internal::CaptureStdout();
        setup_hmet(*s);
        int r = error_state.raised ? -2 : read_hmet_record(*s);
        out = testing::internal::GetCapturedStdout();
        return r;
    }
    bool printed(const std::string& t) const { return out.find(t) != std::string::npos; }
};

TEST_F(HmetReader, KtrLineConvertsUnitsAndRepairsGlobalRadiation)
{
    use("1998 6 1 13 29.92 50 5 10 68 600.0 10000.0\n");
    EXPECT_EQ(setup_and_read(), 11);
    EXPECT_EQ(s->hmet_record_count, 1);
    EXPECT_EQ(s->start_yyyymmdd, 19980601);
    EXPECT_EQ(s->start_hhmm, 1300);
    EXPECT_NEAR(s->hmet_pressure, 1013.25, 1e-9);
    EXPECT_NEAR(s->hmet_wind, 5.14444, 1e-9);
    EXPECT_NEAR(s->hmet_air_temp, 20.0, 1e-12);
    EXPECT_DOUBLE_EQ(s->hmet_cloud, 5.0); // tenths, like SAMSON and NCDC
    EXPECT_DOUBLE_EQ(s->hmet_direct_rad, 600.0);
    EXPECT_DOUBLE_EQ(s->hmet_global_rad, 0.0); // the last value seen at 13:00
    EXPECT_EQ(s->hmet_repaired, 1);
    EXPECT_TRUE(printed("End of hmet_KTR file encountered after 1 lines\n"));
    EXPECT_EQ(read_hmet_record(*s), -1);
}

TEST_F(HmetReader, KtrPressure999IsRepairedBut999Point01IsNot)
{
    use("1998 6 1 13 29.5 50 5 10 68 600.0 700.0\n"
        "1998 6 1 14 999 50 5 10 68 600.0 700.0\n"
        "1998 6 1 15 999.01 50 5 10 68 600.0 700.0\n");
    setup_and_read();
    ASSERT_EQ(read_hmet_record(*s), 11);
    EXPECT_NEAR(s->hmet_pressure, 29.5 * 1013.25 / 29.92, 1e-9);
    EXPECT_EQ(s->hmet_repaired, 1);
    EXPECT_EQ(s->hmet_first_date[3], 14);
    ASSERT_EQ(read_hmet_record(*s), 11);
    EXPECT_NEAR(s->hmet_pressure, 999.01 * 1013.25 / 29.92, 1e-9);
    EXPECT_EQ(s->hmet_repaired, 1);
    int last[4] = {1998, 6, 1, 15};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s->hmet_last_date[k], last[k]);
}

TEST_F(HmetReader, KtrShortOrBadLineGivesTheFormatTableAndStops)
{
    const struct {
        const char* line2;
        const char* where;
    } cases[] = {
        {"1998 6 1 14 29.92 50 5 10 68 600.0\n", "line 2, near parameter 11"},
        {"1998 6 1 14 29.92 50 5.5 10 68 600.0 1.0\n", "line 2, near parameter 7"},
        {"1998 13 1 14 29.92 50 5 10 68 600.0 1.0\n", "line 2, near parameter 2"},
    };
    for (const auto& c : cases) {
        error_state_clear();
        use(std::string("1998 6 1 13 29.92 50 5 10 68 600.0 1.0\n") + c.line2);
        EXPECT_EQ(setup_and_read(), -2);
        EXPECT_EQ(error_state.code == err_stop || error_state.raised, true);
        EXPECT_TRUE(printed(std::string("Error: Problem encountered in hmet_KTR file, ") + c.where)) << out;
        EXPECT_TRUE(printed("Yr  Mo  Day Hr  Press. RelHumidity SkyCover WindSpeed Temp DirectRad GlobalRad\n"));
    }
}

// A SAMSON data line with the given date and values in their columns.
std::string samson_line(int yy, int mo, int dd, int hh, const char* rad1, const char* rad2, const char* sky,
                        const char* temp, const char* hum, const char* press, const char* wind)
{
    std::string l(90, ' ');
    auto put = [&](int first, int last, const std::string& v) {
        const int w = last - first + 1;
        const std::string f = std::string(w - v.size(), ' ') + v;
        l.replace(first - 1, w, f);
    };
    char b[8];
    std::snprintf(b, sizeof b, "%02d", yy);
    put(2, 3, b);
    std::snprintf(b, sizeof b, "%2d", mo);
    put(5, 6, b);
    std::snprintf(b, sizeof b, "%2d", dd);
    put(8, 9, b);
    std::snprintf(b, sizeof b, "%2d", hh);
    put(11, 12, b);
    put(34, 37, rad1);
    put(42, 45, rad2);
    put(50, 51, sky);
    put(56, 60, temp);
    put(68, 70, hum);
    put(72, 75, press);
    put(80, 85, wind);
    return l + "\n";
}

TEST_F(HmetReader, SamsonHour24IsHourZeroOfTheNextDayAndRepairsCount)
{
    std::string head(60, ' ');
    head.replace(7, 8, "STATIONX");
    head.replace(39, 2, "40");
    head.replace(42, 2, "30");
    head.replace(47, 3, "105");
    head.replace(51, 2, "15");
    use(head + "\n second header line\n" + samson_line(98, 12, 31, 23, "0", "0", "4", "-3.5", "80", "1010", "2.5") +
            samson_line(98, 12, 31, 24, "9999", "0", "99", "999.9", "999", "9999", "99.0"),
        0);
    EXPECT_EQ(setup_and_read(), 1);
    EXPECT_EQ(s->hmet_station, "STATIONX");
    EXPECT_DOUBLE_EQ(s->hmet_lat, 40.5);
    EXPECT_DOUBLE_EQ(s->hmet_lon, 105.25);
    EXPECT_EQ(s->hmet_record_count, 2);
    EXPECT_EQ(s->start_yyyymmdd, 19981231);
    const int last[4] = {1999, 1, 1, 0};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s->hmet_last_date[k], last[k]);
    EXPECT_DOUBLE_EQ(s->hmet_air_temp, -3.5);
    EXPECT_DOUBLE_EQ(s->hmet_cloud, 4.0);
    EXPECT_DOUBLE_EQ(s->hmet_wind, 2.5);
    ASSERT_EQ(read_hmet_record(*s), 1);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s->hmet_first_date[k], last[k]);
    // Every value of the second line is missing: the non-hourly ones keep
    // the last value, the hourly ones (hour 0 not seen yet) take 0.
    EXPECT_EQ(s->hmet_repaired, 6);
    EXPECT_DOUBLE_EQ(s->hmet_cloud, 4.0);
    EXPECT_DOUBLE_EQ(s->hmet_pressure, 1010.0);
    EXPECT_DOUBLE_EQ(s->hmet_wind, 2.5);
    EXPECT_DOUBLE_EQ(s->hmet_air_temp, 0.0);
    EXPECT_EQ(read_hmet_record(*s), -1);
}

// SAMSON lines out of range, out of order or an hour apart are refused at the scan, naming
// the file, the line, the field and its columns.
TEST_F(HmetReader, SamsonRangesAndOrderAreCheckedAtTheScan)
{
    std::string head(60, ' ');
    head.replace(39, 2, "40");
    head.replace(42, 2, "30");
    head.replace(47, 3, "105");
    head.replace(51, 2, "15");
    const std::string first = samson_line(98, 6, 1, 1, "0", "0", "4", "20.0", "80", "1010", "2.5");
    const struct {
        std::string line2;
        const char* cause;
    } cases[] = {
        {samson_line(98, 6, 1, 2, "0", "0", "4", "20.0", "500", "1010", "2.5"),
         "line 4: the relative humidity (%) \"500\" is out of range: it must be from 0 to 100 (columns 68-70)."},
        {samson_line(98, 6, 1, 2, "0", "0", "12", "20.0", "80", "1010", "2.5"),
         "line 4: the sky cover (tenths) \"12\" is out of range: it must be from 0 to 10 (columns 50-51)."},
        {samson_line(98, 6, 1, 2, "0", "0", "4", "nan", "80", "1010", "2.5"),
         "line 4: the temperature (deg C) \"nan\" is not finite (columns 56-60)."},
        {samson_line(98, 6, 31, 2, "0", "0", "4", "20.0", "80", "1010", "2.5"),
         "line 4: the day 31 is not a day of month 6 of 1998."},
        {samson_line(98, 6, 1, 1, "0", "0", "4", "20.0", "80", "1010", "2.5"),
         "line 4: the record of 1998-06-01 hour 1 repeats the time of the record of line 3"},
        {samson_line(98, 5, 31, 24, "0", "0", "4", "20.0", "80", "1010", "2.5"),
         "line 4: the record of 1998-06-01 hour 0 comes before the record of line 3"},
        // Hours 2 to 4 missing: every later record would be taken three hours early.
        {samson_line(98, 6, 1, 5, "0", "0", "4", "20.0", "80", "1010", "2.5"),
         "line 4: the record of 1998-06-01 hour 5 comes 4 hours after the record of line 3; the records must "
         "give every hour in turn, a missing value marked as missing."},
    };
    for (const auto& c : cases) {
        error_state_clear();
        use(head + "\n second header line\n" + first + c.line2, 0);
        EXPECT_EQ(setup_and_read(), -2);
        EXPECT_TRUE(printed("Error: hydrometeorological file " + dir.file("w.hmet") + ", " + c.cause)) << out;
    }
    // A header alone holds no records.
    error_state_clear();
    use(head + "\n second header line\n", 0);
    EXPECT_EQ(setup_and_read(), -2);
    EXPECT_TRUE(printed("Error: hydrometeorological file " + dir.file("w.hmet") + " holds no records.\n")) << out;
}

TEST_F(HmetReader, AsciiPetAloneIsRefusedNamingTheCard)
{
    use("1998 6 1 13 29.92 50 5 10 68 600.0 1.0\n");
    s->hmet_ktr = 0;
    s->hmet_ascii_pet = 1;
    EXPECT_EQ(setup_and_read(), -2);
    EXPECT_TRUE(printed("Error: HMET_ASCII_PET gives no hourly weather")) << out;
}

TEST_F(HmetReader, LapseRateWarmsAHigherCellFromTheGaugeElevation)
{
    use("1998 6 1 13 29.92 50 5 10 68 600.0 1.0\n");
    s->orogvar_hmet = 1;
    s->hmet_elev_gage = 1000.0;
    s->hmet_lapse_rate = 5.0; // the default without HMET_LAPSE_RATE
    s->ground_elev.assign(2, 0.0);
    s->ground_elev[1] = 1500.0;
    s->ground_elev[2] = 1000.0;
    ASSERT_EQ(setup_and_read(), 11);
    EXPECT_NEAR(s->hmet_cell_temp[1], 22.5, 1e-12);
    EXPECT_NEAR(s->hmet_cell_temp[2], 20.0, 1e-12);
    EXPECT_DOUBLE_EQ(s->orog_hourly[0][0], s->hmet_air_temp);
}

TEST_F(HmetReader, OrographicGaugeFileSetsTheLapseRateHourByHourAndWarnsOfItsFaults)
{
    // Station at gauge A (1000 m), the orographic gauge B at 2000 m: -5 and
    // -10 deg C give -5 deg C per 1000 m, so a cell at 1500 m has -7.5.
    use("1998 6 1 13 29.92 50 5 10 23 600.0 1.0\n1998 6 1 14 29.92 50 5 10 23 600.0 1.0\n"
        "1998 6 1 15 29.92 50 5 10 23 600.0 1.0\n");
    torva_test::write_file(dir.file("orog.txt"), "OROGRAPHIC TEMPERATURE\nA 1000.0 B 2000.0\nyr mo dy hr temp\n"
                                                 "1998 6 1 13 -10.0\n1998 6 1 15 -10.0\n1998 6 1 15 -999.0\n");
    s->hmet_orog_gages_given = 1;
    file_rec_open(s->hmet_orog_gages_file, dir.file("orog.txt"), "r");
    s->ground_elev.assign(2, 0.0);
    s->ground_elev[1] = 1500.0;
    s->ground_elev[2] = 1000.0;
    ASSERT_EQ(setup_and_read(), 11);
    EXPECT_NEAR(s->hmet_cell_temp[1], -7.5, 1e-12);
    EXPECT_NEAR(s->hmet_cell_temp[2], -5.0, 1e-12);
    EXPECT_FALSE(printed("Have an Issue")) << out;
    // The frozen-ground index spreads the 24-hour means of both gauges the
    // same way (one hour of data among zeros).
    s->cfgi.assign(2, 0.0);
    s->snow_swe.assign(2, 0.0);
    update_cfgi(*s);
    EXPECT_NEAR(s->cfgi[1], 7.5 / 24.0, 1e-12);
    EXPECT_NEAR(s->cfgi[2], 5.0 / 24.0, 1e-12);
    // 14:00 against the gauge's 15:00, then a gauge value below -998: both
    // are told and the run goes on. The missing value is repaired with the
    // gauge's last value, so the lapse rate and the table keep -10.
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_hmet_record(*s), 11);
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(printed("\nHave an Issue with the correct time using the Orographic Temperature File")) << out;
    const int repaired = s->hmet_repaired;
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_hmet_record(*s), 11);
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(printed("\nHave an Issue with the Orographic Temperature!!!")) << out;
    EXPECT_FALSE(printed("correct time")) << out;
    EXPECT_EQ(s->hmet_repaired, repaired + 1);
    EXPECT_DOUBLE_EQ(s->orog_hourly[1][0], -10.0);
    EXPECT_NEAR(s->hmet_cell_temp[1], -7.5, 1e-12);
    EXPECT_FALSE(error_state.raised);
}

} // namespace
