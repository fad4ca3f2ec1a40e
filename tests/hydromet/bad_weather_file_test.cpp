// Bad variants of the hourly weather file of examples/longterm run through
// the program: each stops before its first hour with exit status 1 and a
// line naming the file, the line and the cause. A weather file with CR-LF
// line ends runs as the example does.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

const char* const weather = "longterm.hmet";

// The example with its weather file edited.
example_variant weather_variant(const char* label, const text_edit& edit, std::string message)
{
    return {label, "longterm", "longterm.prj", {{weather, edit}}, {std::move(message)}};
}

} // namespace

TEST(BadWeatherFile, StopsWithStatusOneNamingTheFileLineAndCause)
{
    const std::string file = std::string("Error: hydrometeorological file ") + weather;
    const refusal_checks before_the_first_hour = {{"End of meteorology data reached"}};
    expect_variants(
        {
            // An empty file gave no hour and ended the run with exit 0.
            weather_variant("empty", whole(""), file + " holds no records."),
            weather_variant("blank lines only", whole("\n  \n\n"), file + " holds no records."),

            // Words, non-finite and out-of-range numbers, short lines.
            weather_variant("word", on_line(3, whole("1998 7 1 2 high 20 2 10 86 0.0 0.0")),
                            file + ", line 3: the pressure (inches of mercury) \"high\" is not a number."),
            weather_variant("nan", on_line(4, whole("1998 7 1 3 29.92 20 2 10 86 nan 0.0")),
                            file + ", line 4: the direct radiation \"nan\" is not finite."),
            weather_variant("inf", on_line(4, whole("1998 7 1 3 29.92 20 2 10 86 0.0 -inf")),
                            file + ", line 4: the global radiation \"-inf\" is not finite."),
            weather_variant("month 13", on_line(2, whole("1998 13 1 1 29.92 20 2 10 86 0.0 0.0")),
                            file + ", line 2: the month \"13\" is out of range: it must be from 1 to 12."),
            weather_variant("31 June", on_line(1, whole("1998 6 31 23 29.92 20 2 10 86 0.0 0.0")),
                            file + ", line 1: the day 31 is not a day of month 6 of 1998."),
            weather_variant("short line", on_line(5, whole("1998 7 1 4 29.92 20 2 10 86 0.0")),
                            file + ", line 5: the global radiation is missing: the line ends before it."),
            weather_variant("value after the last",
                            on_line(5, whole("1998 7 1 4 29.92 20 2 10 86 0.0 0.0 7")),
                            file + ", line 5: the line holds \"7\" after its eleven values."),
            weather_variant(
                "humidity -20", on_line(6, whole("1998 7 1 5 29.92 -20 2 10 86 0.0 0.0")),
                file +
                    ", line 6: the relative humidity (%) \"-20\" is out of range: it must be from 0 to 100."),
            weather_variant(
                "humidity 500", on_line(6, whole("1998 7 1 5 29.92 500 2 10 86 0.0 0.0")),
                file +
                    ", line 6: the relative humidity (%) \"500\" is out of range: it must be from 0 to 100."),
            weather_variant(
                "sky cover 11", on_line(6, whole("1998 7 1 5 29.92 20 11 10 86 0.0 0.0")),
                file + ", line 6: the sky cover (tenths) \"11\" is out of range: it must be from 0 to 10."),
            weather_variant("random bytes",
                            whole(std::string("\x7f\x45\x4c\x46\x02\x01\x00\x03\xff\xfe\n\x01\x02", 13)),
                            file + ", line 1: the year"),

            // A missing hour: the hourly step takes the next record whatever
            // its date, so every later hour's weather would come early.
            weather_variant("hours 5 to 7 missing", on_line(6, whole("1998 7 1 8 29.92 20 2 10 86 0.0 0.0")),
                            file + ", line 6: the record of 1998-07-01 hour 8 comes 4 hours after the record of "
                                   "line 5; the records must give every hour in turn, a missing value marked as "
                                   "missing."),
            // Midnight as hour 24 of the day before is the hour after 23.
            {"midnight as hour 24",
             "longterm",
             "longterm.prj",
             {{weather, on_line(25, whole("1998 7 1 24 29.92 20 2 10 86 0.0 0.0"))}},
             {"finished event"},
             0},
            // Records out of order, or an hour given twice.
            weather_variant("hour given twice", on_line(4, whole("1998 7 1 2 29.92 20 2 10 86 0.0 0.0")),
                            file + ", line 4: the record of 1998-07-01 hour 2 repeats the time of the record "
                                   "of line 3; the records must follow each other in time."),
            weather_variant(
                "hour back", on_line(10, whole("1998 7 1 5 29.92 20 2 10 86 0.0 0.0")),
                file + ", line 10: the record of 1998-07-01 hour 5 comes before the record of line 9"),
            // The format's own message stays before the line that names the file.
            {"word for the wind speed",
             "longterm",
             "longterm.prj",
             {{weather, on_line(2, whole("1998 7 1 1 29.92 20 2 ten 86 0 0"))}},
             {"Error: Problem encountered in hmet_KTR file, line 2, near parameter 8\n\n"
              "Make sure your file is in the correct format",
              file + ", line 2: the wind speed (knots) \"ten\" is not a number.\n"}},
        },
        before_the_first_hour);
}

TEST(BadWeatherFile, CrLfLineEndsRunAsTheExampleDoes)
{
    const std::vector<std::string> outputs = {"longterm.otl", "evap_out"};
    const example_result plain = run_example_variant("longterm", "longterm.prj", {}, outputs);
    const example_result dos =
        run_example_variant("longterm", "longterm.prj", {{weather, crlf_from(1)}}, outputs);
    ASSERT_EQ(plain.status, 0) << plain.output;
    ASSERT_EQ(dos.status, 0) << dos.output;
    for (const std::string& name : outputs) {
        ASSERT_EQ(plain.files.count(name), 1u) << name;
        EXPECT_FALSE(plain.files.at(name).empty()) << name;
        EXPECT_EQ(dos.files.count(name) ? dos.files.at(name) : "", plain.files.at(name)) << name;
    }
}

TEST(BadWeatherFile, AFileEndingBeforeTheEndTimeStillEndsTheRun)
{
    // Two days of the three: the run ends with the data, as the hourly step says.
    const example_result r =
        run_example_variant("longterm", "longterm.prj", {{weather, [](std::string text) {
                                                              std::size_t at = 0;
                                                              for (int k = 0; k < 48; ++k)
                                                                  at = text.find('\n', at) + 1;
                                                              return text.substr(0, at);
                                                          }}});
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("End of meteorology data reached.  TORVA terminated\n"), std::string::npos)
        << r.output;
}
