// The shared count rule: a count read from a file is refused, naming file,
// line, count and cause, when it lies outside its range or when the rest of
// the file cannot hold that many items.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/check_count.h"
#include "core/error_state.h"
#include "support/test_support.h"

using namespace torva_test;

TEST(CheckCount, RangeAndBytesLeftDecide)
{
    scratch_dir dir("check_count");
    const std::string path = dir.file("nodes.txt");
    write_file(path, "NUMNODES 3\n1 2\n3 4\n5 6\n"); // 12 characters after the first line
    std::FILE* fp = std::fopen(path.c_str(), "r");
    ASSERT_NE(fp, nullptr);
    char first[32];
    ASSERT_NE(std::fgets(first, sizeof first, fp), nullptr);
    EXPECT_EQ(stream_bytes_left(fp), 12);

    const count_field nodes{"node count NUMNODES", 1, 100000, 4};
    struct {
        long long count;
        bool ok;
        const char* cause;
    } const cases[] = {
        {3, true, ""},
        {0, false, "the node count NUMNODES 0 lies outside 1 to 100000."},
        {200000000, false, "the node count NUMNODES 200000000 lies outside 1 to 100000."},
        {4, false, "the node count NUMNODES 4 is more than the 12 characters left in the file can hold."},
    };
    for (const auto& c : cases) {
        error_state_clear();
        testing::internal::CaptureStdout();
        const bool ok = check_count(c.count, nodes, path, 1, fp);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(ok, c.ok) << c.count;
        if (!c.ok) {
            EXPECT_NE(out.find("Error: file " + path + ", line 1: " + c.cause), std::string::npos) << out;
            EXPECT_EQ(error_state.raised, 1);
        }
        EXPECT_EQ(std::ftell(fp), 11) << "the check must leave the stream where it was";
    }
    std::fclose(fp);
    error_state_clear();
}
