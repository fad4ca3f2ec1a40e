#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_rec.h"
#include "core/text_parse.h"
#include "support/test_support.h"

namespace {

struct token_case {
    const char* line;
    std::vector<std::string> tokens; // popped in order until pop_token gives 0
    const char* rest;                // the line after the last pop
};

TEST(TextParse, PopTokenTable)
{
    const token_case cases[] = {
        {"  alpha, beta", {"alpha", "beta"}, ""},
        {"\"C:\\my dir, v2\\file.txt\"  next", {"C:\\my dir, v2\\file.txt", "next"}, ""},
        {"a\t,\n b", {"a", "b"}, ""},
        {"say\"hi\" there", {"say\"hi\"", "there"}, ""},
        {"\"unterminated, to the end", {"unterminated, to the end"}, ""},
        {"", {}, ""},
        {" ,\t ", {}, " ,\t "},
    };
    for (const token_case& c : cases) {
        std::string line = c.line;
        std::string token;
        std::vector<std::string> got;
        while (pop_token(line, token)) got.push_back(token);
        EXPECT_EQ(got, c.tokens) << c.line;
        EXPECT_EQ(line, c.rest) << c.line;
        EXPECT_EQ(token, "") << c.line;
    }
}

TEST(TextParse, EmptyQuotedTokenGivesZeroThenTheNextValue)
{
    std::string line = "\"\" value";
    std::string token = "stale";
    EXPECT_EQ(pop_token(line, token), 0);
    EXPECT_EQ(token, "");
    EXPECT_EQ(line, "   value"); // the quotes became blanks
    EXPECT_EQ(pop_token(line, token), 1);
    EXPECT_EQ(token, "value");

    std::string_view view = "\"\" value";
    EXPECT_EQ(pop_token(view, token), 0);
    EXPECT_EQ(pop_token(view, token), 1);
    EXPECT_EQ(token, "value");
}

TEST(TextParse, PopNumbersTable)
{
    struct num_case {
        const char* line;
        int result;
        double d;
        int i;
        const char* rest;
    };
    const num_case cases[] = {
        {"12abc next", 1, 12.0, 12, "next"},
        {"abc next", 1, 0.0, 0, "next"},
        {"7.9, 3", 1, 7.9, 7, "3"},
        {"  -2.5e1\t", 1, -25.0, -2, ""},
        {"\"5\"", 1, 0.0, 0, ""}, // quotes mean nothing to the numbers
        {"", 0, 0.0, 0, ""},
        {" , \t", 0, 0.0, 0, " , \t"},
        {"\r\f x", 0, 0.0, 0, "\r\f x"}, // a word of white space only
        {"99999999999", 1, 99999999999.0, 2147483647, ""},
    };
    for (const num_case& c : cases) {
        std::string dline = c.line;
        double d = 42.0;
        EXPECT_EQ(pop_double(dline, d), c.result) << c.line;
        EXPECT_DOUBLE_EQ(d, c.d) << c.line;
        EXPECT_EQ(dline, c.rest) << c.line;

        std::string iline = c.line;
        int i = 42;
        EXPECT_EQ(pop_int(iline, i), c.result) << c.line;
        EXPECT_EQ(i, c.i) << c.line;
        EXPECT_EQ(iline, c.rest) << c.line;

        std::string_view view = c.line;
        EXPECT_EQ(pop_double(view, d), c.result) << c.line;
        EXPECT_EQ(view, c.rest) << c.line;
    }
}

TEST(TextParse, LongTokensAreTakenWhole)
{
    const std::string word(5000, 'x');
    std::string line = word + " 1";
    std::string token;
    ASSERT_EQ(pop_token(line, token), 1);
    EXPECT_EQ(token, word);
    std::string numbers = std::string(3000, '1') + "x 4";
    double d = 0;
    ASSERT_EQ(pop_double(numbers, d), 1);
    EXPECT_EQ(numbers, "4");
}

TEST(TextParse, NextWordAndSameFirstWord)
{
    const std::string path = "PROJECT_PATH C:\\dir";
    EXPECT_EQ(next_word(path), path.find("C:"));
    EXPECT_EQ(next_word("ONLYWORD"), 7u);
    EXPECT_EQ(next_word("a,b c"), 4u); // a comma belongs to the word
    EXPECT_EQ(next_word(""), 0u);

    EXPECT_EQ(same_first_word("GridSize", "gridsize"), 1);
    EXPECT_EQ(same_first_word("WATERSHED_MASK  basin.msk", "watershed_mask"), 1);
    EXPECT_EQ(same_first_word("WATERSHED", "watershed_mask"), 0);
    EXPECT_EQ(same_first_word("\"Two Words\" x", "\"two words\""), 1);
    EXPECT_EQ(same_first_word("\"Two Words\" x", "two words"), 0);
}

TEST(TextParse, DeletePrefixAndStripQuotes)
{
    std::string t = "abcdef";
    EXPECT_EQ(delete_prefix(t, 2), 0);
    EXPECT_EQ(t, "cdef");
    EXPECT_EQ(delete_prefix(t, 10), 0);
    EXPECT_EQ(t, "");
    EXPECT_EQ(delete_prefix(t, 1), -1);

    const std::pair<const char*, const char*> quotes[] = {
        {"\"a \"b\" c\"", "a \"b\" c"}, {"\"open", "open"}, {"close\"", "close"}, {"\"", ""}, {"", ""}};
    for (const auto& [in, out] : quotes) {
        std::string s = in;
        strip_quotes(s);
        EXPECT_EQ(s, out) << in;
    }
}

TEST(TextParse, LineReadersStripLineEndsAndSplitLongLines)
{
    torva_test::scratch_dir dir("text_parse");
    const std::string path = dir.file("lines.txt");
    torva_test::write_file(path, "first\r\nsecond\n\n" + std::string(30, 'z') + "\nlast");

    file_rec rec;
    ASSERT_TRUE(file_rec_open(rec, path, "r"));
    std::string line;
    std::vector<std::string> got;
    while (read_line_rec(line, rec, 11)) got.push_back(line);
    const std::vector<std::string> want = {"first", "second", "", std::string(10, 'z'),
                                           std::string(10, 'z'), std::string(10, 'z'), "", "last"};
    EXPECT_EQ(got, want);
    line = "untouched";
    EXPECT_EQ(read_line_rec(line, rec, 11), 0);
    EXPECT_EQ(line, "untouched");
    file_rec_close(rec);

    std::FILE* f = std::fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(read_line_fp(line, f), 1);
    EXPECT_EQ(line, "first");
    std::fclose(f);
}

TEST(TextParse, StrictNumbersRefuseWhatIsNotOneFiniteNumber)
{
    struct dcase { const char* text; num_status want; double value; };
    const dcase dcases[] = {
        {"12.5", num_status::ok, 12.5},      {"+3", num_status::ok, 3.0},
        {"-1e-3", num_status::ok, -1e-3},    {"", num_status::empty, 0},
        {"nan", num_status::not_finite, 0},  {"-INF", num_status::not_finite, 0},
        {"Infinity", num_status::not_finite, 0}, {"1e400", num_status::out_of_range, 0},
        {"12abc", num_status::not_number, 0}, {"abc", num_status::not_number, 0},
        {"+", num_status::not_number, 0},    {"+-1", num_status::not_number, 0},
        {"0x10", num_status::not_number, 0}, {" 1", num_status::not_number, 0},
    };
    for (const dcase& c : dcases) {
        double v = -7;
        EXPECT_EQ(parse_double_strict(c.text, v), c.want) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    double v = 0;
    EXPECT_EQ(parse_double_strict(std::string_view("1\0" "0", 3), v), num_status::not_number);

    struct icase { const char* text; num_status want; int value; };
    const icase icases[] = {
        {"42", num_status::ok, 42},          {"-7", num_status::ok, -7},
        {"+8", num_status::ok, 8},           {"1e7", num_status::not_whole, 0},
        {"10.0", num_status::not_whole, 0},  {"99999999999", num_status::out_of_range, 0},
        {"2147483647", num_status::ok, 2147483647}, {"1x", num_status::not_number, 0},
        {"", num_status::empty, 0},          {"nan", num_status::not_number, 0},
    };
    for (const icase& c : icases) {
        int n = -7;
        EXPECT_EQ(parse_int_strict(c.text, n), c.want) << c.text;
        EXPECT_EQ(n, c.value) << c.text;
    }
    long long big = 0;
    EXPECT_EQ(parse_long_strict("99999999999", big), num_status::ok);
    EXPECT_EQ(big, 99999999999LL);
    EXPECT_STREQ(num_status_text(num_status::not_whole), "is not a whole number");

    std::string_view line = " 4, 2.5 x";
    int n = 0;
    double d = 0;
    EXPECT_EQ(pop_int_strict(line, n), num_status::ok);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(pop_double_strict(line, d), num_status::ok);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(pop_double_strict(line, d), num_status::not_number);
    EXPECT_EQ(pop_double_strict(line, d), num_status::empty);
}

} // namespace
