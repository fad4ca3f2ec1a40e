// The file record and the name resolver: quotes, run prefixes, the probe
// order between folders, modes, reopening and the corrupt-pointer check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/platform.h"
#include "support/test_support.h"

using namespace torva_test;

namespace {

struct FileRec : testing::Test {
    scratch_dir dir{"filerec"};
    void SetUp() override { reset_file_name_globals(); }
    void TearDown() override { reset_file_name_globals(); }
    std::string project() const { return dir.path() + "/"; }
};

} // namespace

TEST_F(FileRec, QuotesAreStrippedFromTheCallersName)
{
    std::string name = "\"" + dir.file("my file, with comma.txt") + "\"";
    file_rec rec;
    ASSERT_TRUE(file_rec_open(rec, name, "w"));
    EXPECT_EQ(name, dir.file("my file, with comma.txt"));
    EXPECT_EQ(rec.name, name);
    EXPECT_EQ(rec.mode, "w");
    EXPECT_EQ(rec.fp, rec.fp_check);
    file_rec_close(rec);
    EXPECT_EQ(rec.fp, nullptr);
    EXPECT_TRUE(rec.name.empty() && rec.mode.empty());
    EXPECT_TRUE(file_exists(dir.file("my file, with comma.txt")));

    std::string empty = "\"\"";
    testing::internal::CaptureStdout();
    EXPECT_FALSE(file_rec_open(rec, empty, "r"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(FileRec, ModesByTheirFirstLetter)
{
    write_file(dir.file("in.bin"), "x");
    file_rec rec;
    EXPECT_TRUE(file_rec_open(rec, dir.file("in.bin"), "rb"));
    file_rec_close(rec);
    EXPECT_FALSE(file_rec_open(rec, dir.file("in.bin"), "x"));
    EXPECT_FALSE(file_rec_open(rec, std::string(), "r"));
    testing::internal::CaptureStdout();
    file_rec_close(rec);
    file_rec_release(rec);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(FileRec, NumberedRunsPrefixOnlyWhatTheyWrite)
{
    std::string folder = project();
    set_project_path(folder);
    run_number_prefix = 1;
    run_number = 12;
    file_rec out;
    ASSERT_TRUE(file_rec_open(out, std::string("q.out"), "w"));
    EXPECT_EQ(out.name, project() + "0012_q.out");
    file_rec_close(out);
    EXPECT_TRUE(file_exists(dir.file("0012_q.out")));

    write_file(dir.file("q.in"), "data");
    file_rec in;
    ASSERT_TRUE(file_rec_open(in, std::string("q.in"), "r"));
    EXPECT_EQ(in.name, project() + "q.in");
}

TEST_F(FileRec, OutputFolderBelowTheProjectIsCreatedAndUsed)
{
    std::string folder = dir.path(); // without a separator: one is appended
    set_project_path(folder);
    EXPECT_EQ(project_dir, project());
    set_output_folder(project() + "results");
    EXPECT_EQ(output_dir, project() + "results/");

    file_rec out;
    ASSERT_TRUE(file_rec_open(out, std::string("map.asc"), "w"));
    EXPECT_EQ(out.name, project() + "results/map.asc");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("results")));
    EXPECT_EQ(output_dir, "results/"); // from now on relative to the project
    file_rec_close(out);

    // Reading looks under the bare name, then in the output folder, not in
    // the project folder itself.
    write_file(dir.file("only_in_project.txt"), "x");
    file_rec in;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(file_rec_open(in, std::string("only_in_project.txt"), "r"));
    // The line after the message names both places, from the root.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error getting new filename from only_in_project.txt\n  Looked for: " +
                  absolute_path("only_in_project.txt") + ", " + project() + "results/only_in_project.txt\n");
    EXPECT_TRUE(file_rec_open(in, std::string("map.asc"), "r"));
    EXPECT_EQ(in.name, project() + "results/map.asc");
}

TEST_F(FileRec, RelativeOutputFolderIsNeverCreated)
{
    std::string folder = project();
    set_project_path(folder);
    set_output_folder("elsewhere");
    file_rec out;
    ASSERT_TRUE(file_rec_open(out, dir.file("a.txt"), "w"));
    EXPECT_FALSE(file_exists(dir.file("elsewhere")));
}

TEST_F(FileRec, ReopeningClosesTheEarlierStream)
{
    write_file(dir.file("a.txt"), "a");
    file_rec rec;
    ASSERT_TRUE(file_rec_open(rec, dir.file("a.txt"), "r"));
    const int before = open_descriptor_count();
    testing::internal::CaptureStdout();
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(file_rec_open(rec, dir.file("a.txt"), "r"));
    const std::string warnings = testing::internal::GetCapturedStdout();
    EXPECT_EQ(open_descriptor_count(), before);
    EXPECT_EQ(warnings.find("\n\nError!!!!!!! opening a file when the previous file was not closed.\n"
                            "Original file: " +
                            dir.file("a.txt") + "\nNew file: " + dir.file("a.txt") + "\n\n\n"),
              0u);
}

TEST_F(FileRec, CorruptPointerIsReportedAndTheCloseGoesOn)
{
    write_file(dir.file("a.txt"), "a");
    file_rec rec;
    ASSERT_TRUE(file_rec_open(rec, dir.file("a.txt"), "r"));
    std::FILE* real = rec.fp;
    rec.fp_check = nullptr;
    testing::internal::CaptureStdout();
    file_rec_close(rec);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n\n\nError with the file " + dir.file("a.txt") + ". The file pointer is corrupt.\n\n\n\n");
    EXPECT_EQ(rec.fp, nullptr);
    (void)real;
}

TEST_F(FileRec, OverlongNameIsRefused)
{
    const std::string name = dir.file(std::string(1100, 'n'));
    file_rec rec;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(file_rec_open(rec, name, "w"));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Error.... name too long!!!\n\n\n"), std::string::npos);
    EXPECT_EQ(rec.fp, nullptr);
}

// What a writer put into a file that cannot take it is reported by the
// record, once per open, when it is flushed or closed; the run stops. A file
// that took everything, and a file opened for reading, report nothing.
TEST_F(FileRec, WritesThatFailAreReportedOnceAtFlushAndClose)
{
    if (!file_exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const std::string failed = "Error: writing to the file /dev/full failed";
    const auto once = [&](const std::string& out) {
        return out.rfind(failed, 0) == 0 && out.find(failed, 1) == std::string::npos &&
               out.back() == '\n' && std::count(out.begin(), out.end(), '\n') == 1;
    };
    error_state_clear();
    file_rec good, full, read;
    ASSERT_TRUE(file_rec_open(good, dir.file("good.txt"), "w"));
    ASSERT_TRUE(file_rec_open(full, std::string("/dev/full"), "w"));
    ASSERT_TRUE(file_rec_open(read, dir.file("good.txt"), "r"));
    std::fprintf(good.fp, "kept\n");
    std::fprintf(full.fp, "lost\n");

    testing::internal::CaptureStdout();
    EXPECT_TRUE(file_rec_flush(good));
    EXPECT_TRUE(file_rec_flush(read));
    EXPECT_FALSE(file_rec_flush_all_writes());
    EXPECT_FALSE(file_rec_flush(full));
    EXPECT_FALSE(file_rec_writes_ok());
    file_rec_close(full);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(once(out)) << out;
    EXPECT_EQ(error_state.code, err_stop);
    EXPECT_EQ(error_state.raised, 1);

    // A failure found only when the file is closed.
    error_state_clear();
    ASSERT_TRUE(file_rec_open(full, std::string("/dev/full"), "a"));
    std::fputs("lost", full.fp);
    testing::internal::CaptureStdout();
    file_rec_release(full);
    file_rec_close(good);
    file_rec_close(read);
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(once(out)) << out;
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(read_file(dir.file("good.txt")), "kept\n");
    EXPECT_TRUE(file_rec_writes_ok()) << "closed records are no longer watched";
    error_state_clear();
}
