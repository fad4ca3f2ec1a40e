// Bad variants of the hourly weather file of examples/longterm run through
// the program: each stops before its first hour with exit status 1 and a
// line naming the file, the line and the cause. A weather file with CR-LF
// line ends runs as the example does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

const char* const weather = "longterm.hmet";

// The file with its line n (from 1) replaced by `line` ("" drops it).
std::function<std::string(std::string)> set_line(int n, const std::string& line)
{
    return [n, line](std::string text) {
        std::size_t at = 0;
        for (int k = 1; k < n; ++k)
            at = text.find('\n', at) + 1;
        const std::size_t end = text.find('\n', at);
        text.replace(at, end - at + 1, line.empty() ? "" : line + "\n");
        return text;
    };
}

std::string crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace

TEST(BadWeatherFile, StopsWithStatusOneNamingTheFileLineAndCause)
{
    const std::string file = std::string("Error: hydrometeorological file ") + weather;
    const struct {
        const char* label;
        std::function<std::string(std::string)> edit;
        std::string message;
    } cases[] = {
        // An empty file gave no hour and ended the run with exit 0.
        {"empty", whole_text(""), file + " holds no records."},
        {"blank lines only", whole_text("\n  \n\n"), file + " holds no records."},
        // Words, non-finite and out-of-range numbers, short lines.
        {"word", set_line(3, "1998 7 1 2 high 20 2 10 86 0.0 0.0"),
         file + ", line 3: the pressure (inches of mercury) \"high\" is not a number."},
        {"nan", set_line(4, "1998 7 1 3 29.92 20 2 10 86 nan 0.0"),
         file + ", line 4: the direct radiation \"nan\" is not finite."},
        {"inf", set_line(4, "1998 7 1 3 29.92 20 2 10 86 0.0 -inf"),
         file + ", line 4: the global radiation \"-inf\" is not finite."},
        {"month 13", set_line(2, "1998 13 1 1 29.92 20 2 10 86 0.0 0.0"),
         file + ", line 2: the month \"13\" is out of range: it must be from 1 to 12."},
        {"31 June", set_line(1, "1998 6 31 23 29.92 20 2 10 86 0.0 0.0"),
         file + ", line 1: the day 31 is not a day of month 6 of 1998."},
        {"short line", set_line(5, "1998 7 1 4 29.92 20 2 10 86 0.0"),
         file + ", line 5: the global radiation is missing: the line ends before it."},
        {"value after the last", set_line(5, "1998 7 1 4 29.92 20 2 10 86 0.0 0.0 7"),
         file + ", line 5: the line holds \"7\" after its eleven values."},
        {"humidity -20", set_line(6, "1998 7 1 5 29.92 -20 2 10 86 0.0 0.0"),
         file + ", line 6: the relative humidity (%) \"-20\" is out of range: it must be from 0 to 100."},
        {"humidity 500", set_line(6, "1998 7 1 5 29.92 500 2 10 86 0.0 0.0"),
         file + ", line 6: the relative humidity (%) \"500\" is out of range: it must be from 0 to 100."},
        {"sky cover 11", set_line(6, "1998 7 1 5 29.92 20 11 10 86 0.0 0.0"),
         file + ", line 6: the sky cover (tenths) \"11\" is out of range: it must be from 0 to 10."},
        {"random bytes", whole_text(std::string("\x7f\x45\x4c\x46\x02\x01\x00\x03\xff\xfe\n\x01\x02", 13)),
         file + ", line 1: the year"},
        // Records out of order, or an hour given twice.
        {"hour given twice", set_line(4, "1998 7 1 2 29.92 20 2 10 86 0.0 0.0"),
         file + ", line 4: the record of 1998-07-01 hour 2 repeats the time of the record of line 3; the records "
                "must follow each other in time."},
        {"hour back", set_line(10, "1998 7 1 5 29.92 20 2 10 86 0.0 0.0"),
         file + ", line 10: the record of 1998-07-01 hour 5 comes before the record of line 9"},
    };
    for (const auto& c : cases) {
        const example_result r = run_example_variant("longterm", "longterm.prj", {{weather, c.edit}});
        EXPECT_EQ(r.status, 1) << c.label << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.label << "\n" << r.output;
        EXPECT_EQ(r.output.find("End of meteorology data reached"), std::string::npos) << c.label;
    }
    // The format's own message stays before the line that names the file.
    const example_result r =
        run_example_variant("longterm", "longterm.prj", {{weather, set_line(2, "1998 7 1 1 29.92 20 2 ten 86 0 0")}});
    EXPECT_NE(r.output.find("Error: Problem encountered in hmet_KTR file, line 2, near parameter 8\n\n"
                            "Make sure your file is in the correct format"),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find(file + ", line 2: the wind speed (knots) \"ten\" is not a number.\n"), std::string::npos)
        << r.output;
}

TEST(BadWeatherFile, CrLfLineEndsRunAsTheExampleDoes)
{
    const std::vector<std::string> outputs = {"longterm.otl", "evap_out"};
    const example_result plain = run_example_variant("longterm", "longterm.prj", {}, outputs);
    const example_result dos = run_example_variant("longterm", "longterm.prj", {{weather, crlf}}, outputs);
    ASSERT_EQ(plain.status, 0) << plain.output;
    ASSERT_EQ(dos.status, 0) << dos.output;
    for (const std::string& name : outputs) {
        EXPECT_FALSE(plain.files.at(name).empty()) << name;
        EXPECT_EQ(dos.files.at(name), plain.files.at(name)) << name;
    }
}

TEST(BadWeatherFile, AFileEndingBeforeTheEndTimeStillEndsTheRun)
{
    // Two days of the three: the run ends with the data, as the hourly step says.
    const example_result r = run_example_variant("longterm", "longterm.prj", {{weather, [](std::string text) {
                                                                                    std::size_t at = 0;
                                                                                    for (int k = 0; k < 48; ++k)
                                                                                        at = text.find('\n', at) + 1;
                                                                                    return text.substr(0, at);
                                                                                }}});
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("End of meteorology data reached.  TORVA terminated\n"), std::string::npos) << r.output;
}
