// The reporter: the text of every code, warnings, code 4000, the copy to
// the run summary and the literal printing of file names.
#include <gtest/gtest.h>

#include <sstream>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/platform.h"
#include "support/test_support.h"

using namespace torva_test;

namespace {

std::string report_code(int code, int& raised_after)
{
    error_state_clear();
    error_set(code, "WHAT", "F%s.txt", 12, -3);
    testing::internal::CaptureStdout();
    report_error(error_state);
    raised_after = error_state.raised;
    // Where a file was looked for depends on the working folder.
    std::string text = testing::internal::GetCapturedStdout();
    const std::string here = absolute_path("F%s.txt");
    for (std::size_t at = text.find(here); at != std::string::npos; at = text.find(here, at))
        text.replace(at, here.size(), "<cwd>/F%s.txt");
    return text;
}

} // namespace

// The golden file holds, for each code, the raised flag after the report
// and the exact text printed, with what = "WHAT", file = "F%s.txt",
// value1 = 12 and value2 = -3.
TEST(ErrorReporter, EveryCodePrintsItsText)
{
    const std::string golden = read_file(std::string(TORVA_TEST_DATA) + "/error_messages.golden");
    ASSERT_FALSE(golden.empty());
    std::ostringstream actual;
    for (int code : {-5, 0}) {
        int raised = 0;
        const std::string text = report_code(code, raised);
        actual << "=== code " << code << " raised " << raised << "\n" << text;
    }
    for (int code = 1; code < 140; ++code) {
        int raised = 0;
        const std::string text = report_code(code, raised);
        actual << "=== code " << code << " raised " << raised << "\n" << text;
    }
    for (int code : {500, 3999, 4000}) {
        int raised = 0;
        const std::string text = report_code(code, raised);
        actual << "=== code " << code << " raised " << raised << "\n" << text;
    }
    // Compare block by block so a failure names its code.
    std::istringstream want(golden), got(actual.str());
    std::string wline, gline;
    int line = 0;
    while (true) {
        const bool w = static_cast<bool>(std::getline(want, wline));
        const bool g = static_cast<bool>(std::getline(got, gline));
        ++line;
        if (!w && !g) break;
        ASSERT_EQ(w, g) << "line " << line;
        ASSERT_EQ(gline, wline) << "line " << line;
    }
    EXPECT_EQ(actual.str(), golden);
    error_state_clear();
}

TEST(ErrorReporter, CodeIsClearedAndRaisedFollowsTheKindOfCode)
{
    int raised = 0;
    report_code(err_hyd_freq_default, raised);
    EXPECT_EQ(raised, 0);
    EXPECT_EQ(error_state.code, 0);

    report_code(err_stop, raised);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(error_state.code, 0);

    // A code at or below zero leaves the raised flag as it was.
    error_state.raised = 1;
    error_state.code = -2;
    testing::internal::CaptureStdout();
    report_error(error_state);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(error_state.code, 0);
    error_state_clear();
}

TEST(ErrorReporter, TerminateKeepsTheCodeAndPrintsTheTerminationLine)
{
    error_state_clear();
    error_set(err_dt_zero);
    error_state.terminate = 1;
    testing::internal::CaptureStdout();
    report_error(error_state);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nError: Time step is 0 seconds.\nTORVA Terminated.\n");
    EXPECT_EQ(error_state.code, err_dt_zero);
    error_state_clear();
}

TEST(ErrorReporter, ArgumentsAreCutToTheirFields)
{
    error_state_clear();
    const std::string long_what(100, 'w');
    const std::string long_file(3000, 'f');
    error_set(err_open_file, long_what.c_str(), long_file.c_str());
    EXPECT_EQ(std::string(error_state.what), std::string(59, 'w'));
    EXPECT_EQ(std::string(error_state.file), std::string(2059, 'f'));
    error_state_clear();
}

TEST(ErrorReporter, MessagesReachTheSummaryOnlyWhileItIsOpen)
{
    scratch_dir dir("summary");
    file_rec summary;
    ASSERT_TRUE(file_rec_open(summary, dir.file("run.sum"), "w"));

    error_state_clear();
    error_set(err_output_open, nullptr, "out.dat");
    testing::internal::CaptureStdout();
    report_error(error_state); // before the log is set: screen only
    summary_log = &summary;
    error_set(err_table_empty, "ROUGHNESS");
    report_error(error_state);
    summary_log = nullptr;
    file_rec_close(summary);
    error_set(err_dt_zero);
    report_error(error_state); // after it is closed: screen only
    const std::string screen = testing::internal::GetCapturedStdout();

    const std::string table = "\nProblem reading mapping table file -- no entries found in table ROUGHNESS "
                              "(NUM_IDS is 0)\n";
    EXPECT_EQ(screen, "\nError: Can't open output file: out.dat\n" + table +
                          "\nError: Time step is 0 seconds.\n");
    EXPECT_EQ(read_file(dir.file("run.sum")), table);
    error_state_clear();
}
