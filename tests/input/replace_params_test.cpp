#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/text_parse.h"
#include "input/card_table.h"
#include "input/replace_params.h"
#include "support/test_support.h"

namespace {

const std::string data_dir = std::string(TORVA_TEST_DATA) + "/replace/";

class ReplaceParams : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset()
    {
        reset_file_name_globals();
        free_replace_params();
        replace_on = 0;
        replace_count = 0;
        super_quiet_on = 0;
        error_state_clear();
    }

    // Loads the fixture list and the given line (0-based) of its values.
    void load(int line)
    {
        ASSERT_EQ(read_replace_params(data_dir + "params.in"), 0);
        replace_line_index = line;
        ASSERT_EQ(read_replace_values(data_dir + "values.in"), 0);
    }

    std::string write(const std::string& name, const std::string& text)
    {
        torva_test::write_file(dir.file(name), text);
        return dir.file(name);
    }

    torva_test::scratch_dir dir{"replace"};
};

TEST_F(ReplaceParams, DeclarationsTable)
{
    const std::string improper = "Error: Improperly formatted line in the replacement parameter file\nline:";
    const std::string hint = "---> The format must be a C-style format in quotes, such as \"%4.2lf\"\n";
    struct decl_case {
        const char* line;
        int result;
        const char* key;
        int type;
        std::string printed; // empty: nothing; otherwise the start of the message
    };
    const decl_case cases[] = {
        {"[alpha] \"%d\"", 0, "[alpha]", replace_int, ""},
        {"[w] \"%10s\"", 0, "[w]", replace_string, ""},
        {"[k] \"%4.2lf\"", 0, "[k]", replace_real, ""},
        {"text before [x] \"%f\"", 0, "[x]", replace_real, ""},
        {"[pct] \"%d%%\"", 0, "[pct]", replace_int, ""},
        {"[e] \"%e\"", -1, "", 0, improper + "[e] \"%e\"\n" + hint},
        {"no brackets \"%d\"", -1, "", 0, improper + "no brackets \"%d\"\n"},
        {"x] [y \"%d\"", -1, "", 0, improper},
        {"[two] \"%d %d\"", -1, "", 0, "Error: the format \"%d %d\" of replacement parameter [two]"},
        {"[long] \"%ld\"", -1, "", 0, "Error: the format \"%ld\" of replacement parameter [long]"},
        {"[star] \"%*d\"", -1, "", 0, "Error: the format \"%*d\" of replacement parameter [star]"},
        {"[unit] \"%5.1f days\"", -1, "", 0, "Error: the format \"%5.1f days\""},
        {"[abcdefghijklmnopqrstuvwxyz] \"%d\"", -1, "", 0,
         "Error: the replacement parameter [abcdefghijklmnopqrstuvwxyz] is longer than 27 characters.\n"},
        {"[w] \"%0000000000d\"", -1, "", 0, "Error: the format \"%0000000000d\" of replacement parameter [w] is longer than 11"},
    };
    for (const decl_case& c : cases) {
        free_replace_params();
        testing::internal::CaptureStdout();
        EXPECT_EQ(parse_replace_param(c.line), c.result) << c.line;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.substr(0, c.printed.size()), c.printed) << c.line;
        if (c.printed.empty()) {
            EXPECT_EQ(out, "") << c.line;
        }
        if (c.result == 0) {
            ASSERT_EQ(replace_param_list.size(), 1u) << c.line;
            EXPECT_EQ(replace_param_list[0].key, c.key);
            EXPECT_EQ(replace_param_list[0].key_len, static_cast<int>(std::string(c.key).size()));
            EXPECT_EQ(replace_param_list[0].type, c.type) << c.line;
        } else {
            EXPECT_TRUE(replace_param_list.empty()) << c.line;
        }
    }
}

TEST_F(ReplaceParams, ValuesOfTheSelectedLine)
{
    load(1);
    ASSERT_EQ(replace_param_list.size(), 4u);
    EXPECT_EQ(replace_param_list[0].value_int, 2);
    EXPECT_EQ(replace_param_list[1].value_real, -12.5);
    EXPECT_EQ(replace_param_list[2].value_real, 0.04);
    EXPECT_EQ(replace_param_list[3].value_text, "two words");
    EXPECT_EQ(replace_on, 1);
    EXPECT_EQ(error_state.code, 0);
}

TEST_F(ReplaceParams, SubstitutionTable)
{
    load(0);
    struct sub_case {
        const char* line;
        const char* result;
        int count; // substitutions made
        const char* printed;
    };
    const sub_case cases[] = {
        {"MANNING_N [SURF] and [a]", "MANNING_N 0.013 and 1", 2, ""},
        {"[ab][a]", "  0.50""1", 2, ""}, // a short key declared first does not capture [ab]
        {"[name].txt", "first.txt", 1, ""},
        {"[surf] stays", "[surf] stays", 0, "Error: unable to match replace pair: [surf] stays\n"},
        {"[a", "[a", 0, "Error: unable to match replace pair: [a\n"},
        {"no placeholders", "no placeholders", 0, ""},
    };
    for (const sub_case& c : cases) {
        replace_count = 0;
        std::string line = c.line;
        testing::internal::CaptureStdout();
        EXPECT_TRUE(replace_pairs_in_line(line));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.line;
        EXPECT_EQ(line, c.result) << c.line;
        EXPECT_EQ(replace_count, c.count) << c.line;
    }
    EXPECT_EQ(error_state.code, 0);
}

TEST_F(ReplaceParams, InsertedTextIsNotScannedAgain)
{
    ASSERT_EQ(parse_replace_param("[s] \"%s\""), 0);
    replace_param_list[0].value_text = "x[s]";
    replace_on = 1;
    std::string line = "[s][s]";
    testing::internal::CaptureStdout();
    EXPECT_TRUE(replace_pairs_in_line(line));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(line, "x[s]x[s]");
    EXPECT_EQ(replace_count, 2);

    int position = 0;
    std::string one = "[s] tail";
    EXPECT_EQ(replace_pair(one, position), 1);
    EXPECT_EQ(position, 3); // the last inserted character
}

TEST_F(ReplaceParams, ALineThatNoLongerFitsIsRefused)
{
    load(0);
    // The project reader's lines hold 255 characters.
    const std::string head(250, 'x');
    std::string line = head + "[ab]"; // 256 characters after the substitution
    testing::internal::CaptureStdout();
    EXPECT_FALSE(replace_pairs_in_line(line, 255));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: replacing [ab] would make the line longer than 255 characters.\n");
    EXPECT_EQ(line, head + "[ab]");
    EXPECT_EQ(error_state.code, err_stop);
    error_state_clear();

    std::string fits = std::string(249, 'x') + "[ab]";
    EXPECT_TRUE(replace_pairs_in_line(fits, 255));
    EXPECT_EQ(fits.size(), 255u);

    // The line readers check against their own buffer (10 characters here).
    const std::string path = write("short.txt", "[ab][ab]12\n");
    file_rec rec;
    ASSERT_TRUE(file_rec_open(rec, path, "r"));
    testing::internal::CaptureStdout();
    ASSERT_EQ(read_line_rec(line, rec, 11), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: replacing [ab] would make the line longer than 10 characters.\n"
              "Error: replacing [ab] would make the line longer than 10 characters.\n");
    EXPECT_EQ(line, "[ab][ab]12");
    EXPECT_EQ(error_state.code, err_stop);
    file_rec_close(rec);
}

TEST_F(ReplaceParams, LineReadersSubstituteInReplacementMode)
{
    load(1);
    const std::string path = write("in.txt", "N [SURF]\r\nA [a] B [ab]\n");
    file_rec rec;
    ASSERT_TRUE(file_rec_open(rec, path, "r"));
    std::string line;
    ASSERT_EQ(read_line_rec(line, rec), 1);
    EXPECT_EQ(line, "N 0.040");
    ASSERT_EQ(read_line_rec(line, rec), 1);
    EXPECT_EQ(line, "A 2 B -12.50");
    file_rec_close(rec);
}

TEST_F(ReplaceParams, FileProblemsStopTheRun)
{
    struct file_case {
        const char* what;
        std::string params;   // list file text
        std::string values;   // values file text
        int line_index;       // replace_line_index
        std::string printed;  // start of the message
    };
    const file_case cases[] = {
        {"values line beyond the file", "1\n[a] \"%d\"\n", "1\n2\n", 2,
         "Error: the value file " + dir.file("v") + " holds 2 lines; line 3 was asked for.\n"},
        {"empty values file", "1\n[a] \"%d\"\n", "", 0, "Error: the value file " + dir.file("v") + " is empty.\n"},
        {"REPLACE_LINE below 1", "1\n[a] \"%d\"\n", "1\n", -1, "Error: REPLACE_LINE must be 1 or more.\n"},
        {"string value too long", "1\n[s] \"%s\"\n", std::string(250, 'v') + "\n", 0,
         "Error: the value of replacement parameter [s] is longer than 249 characters.\n"},
    };
    for (const file_case& c : cases) {
        error_state_clear();
        replace_on = 0;
        ASSERT_EQ(read_replace_params(write("p", c.params)), 0) << c.what;
        replace_line_index = c.line_index;
        testing::internal::CaptureStdout();
        EXPECT_EQ(read_replace_values(write("v", c.values)), -1) << c.what;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.what;
        EXPECT_EQ(error_state.code, err_stop) << c.what;
        EXPECT_EQ(replace_on, 0) << c.what;
    }

    error_state_clear();
    replace_line_index = 1;
    ASSERT_EQ(read_replace_params(write("p", "1\n[a] \"%d\"\n")), 0);
    EXPECT_EQ(read_replace_values(write("v", "1\n2\n")), 0);
    EXPECT_EQ(replace_param_list[0].value_int, 2);

    error_state_clear();
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_replace_values(dir.file("missing")), -1);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string msg = "Error: unable to open the value file " + dir.file("missing");
    EXPECT_EQ(out.substr(out.size() - std::min(out.size(), msg.size())), msg); // no line end follows
    EXPECT_EQ(error_state.code, err_stop);
}

TEST_F(ReplaceParams, ListFileProblemsStopTheRun)
{
    struct list_case {
        const char* what;
        std::string text;
        std::string printed;
        size_t kept;
    };
    const list_case cases[] = {
        {"count unreadable", "many\n[a] \"%d\"\n",
         "Error: unable to read the number of parameters in the parameter list file\n", 0},
        {"file short", "3\n[a] \"%d\"\n[b] \"%d\"\n",
         "Error: unexpected end of parameter list file after 2 parameters. Expecting 3\nError: the replacement "
         "parameter file ",
         2},
        {"count beyond the file", "2000000\n[a] \"%d\"\n",
         "Error: file ", 0},
        {"count with a fraction", "1.5\n[a] \"%d\"\n",
         "Error: unable to read the number of parameters in the parameter list file\nError: line 1 of the "
         "replacement parameter file ",
         0},
        {"a key declared twice", "2\n[a] \"%d\"\n[a] \"%f\"\n",
         "Error: the replacement parameter [a] is declared twice.\nError: declaration 2 of the replacement "
         "parameter file ",
         1},
        {"a declaration refused", "2\n[a] \"%e\"\n[b] \"%d\"\n", "Error: Improperly formatted line", 1},
    };
    for (const list_case& c : cases) {
        error_state_clear();
        testing::internal::CaptureStdout();
        EXPECT_EQ(read_replace_params(write("p", c.text)), -1) << c.what;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.substr(0, c.printed.size()), c.printed) << c.what;
        EXPECT_EQ(replace_param_list.size(), c.kept) << c.what;
        EXPECT_EQ(error_state.code, err_stop) << c.what;
    }
    error_state_clear();
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_replace_params(dir.file("missing")), -1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Error: unable to open the replace parameter file.\n"), std::string::npos) << out;
    EXPECT_EQ(error_state.code, err_stop);
}

TEST_F(ReplaceParams, Reports)
{
    load(0);
    std::string line = "[a] [a] [name]";
    replace_pairs_in_line(line);
    file_rec log;
    ASSERT_TRUE(file_rec_open(log, dir.file("summary"), "w"));

    testing::internal::CaptureStdout();
    print_replace_values(log, true);
    print_replace_usage(log, true);
    const std::string screen = testing::internal::GetCapturedStdout();
    file_rec_close(log);

    const std::string values_body = "[a]            = 1\n"
                                    "[ab]           =   0.50\n"
                                    "[SURF]         = 0.013\n"
                                    "[name]         = first\n";
    const std::string usage_body = "[a]            = Yes\n"
                                   "[ab]           = No\n"
                                   "[SURF]         = No\n"
                                   "[name]         = Yes\n";
    auto indent = [](const std::string& body, const std::string& lead) {
        std::string out;
        size_t start = 0;
        while (start < body.size()) {
            const size_t end = body.find('\n', start) + 1;
            out += lead + body.substr(start, end - start);
            start = end;
        }
        return out;
    };
    const auto report = [&](const std::string& lead) {
        return "\nUsing replacement values:\n" + indent(values_body, lead) + "\n" +
               "\nTotal times a value was replaced: 3\n\n\nWas replacement value used?:\n" +
               indent(usage_body, lead) + "\n";
    };
    EXPECT_EQ(torva_test::read_file(dir.file("summary")), report("  "));
    EXPECT_EQ(screen, report(" "));
    EXPECT_EQ(replace_count, 0);

    // Quiet trials and SUPER_QUIET keep the screen silent; the log is still written.
    super_quiet_on = 1;
    testing::internal::CaptureStdout();
    print_replace_values(log, true); // the log is closed now: nothing at all
    print_replace_usage(log, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    super_quiet_on = 0;
    testing::internal::CaptureStdout();
    print_replace_usage(log, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

} // namespace
