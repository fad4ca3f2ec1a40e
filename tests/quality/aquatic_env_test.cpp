// The aquatic-environment file: header, map names, the id blocks with their
// interleaved value lines, DEFAULT blocks, ids outside the table, the
// overland id grid and the exact messages of each refusal.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/input_fixture.h"
#include "quality/qbn_services.h"

using namespace torva_test;

namespace
{

// Ten value lines whose value v of line k is 100 (k + 1) + v.
std::string value_block()
{
    const int counts[10] = {7, 7, 4, 4, 4, 4, 7, 7, 4, 4};
    std::string text;
    for (int k = 0; k < 10; ++k) {
        for (int v = 0; v < counts[k]; ++v)
            text += std::to_string(100 * (k + 1) + v) + (v % 2 ? "," : " \t");
        text += "\n";
    }
    return text;
}

struct AquaticEnv : InputProject {
    std::unique_ptr<qbn_params> owned = std::make_unique<qbn_params>();
    qbn_params& p() { return *owned; }
    std::string report;

    void SetUp() override
    {
        InputProject::SetUp();
        grid("ov.idx", "0 1 2 0\n3 1 2 3\n1 1 1 0\n");
        ASSERT_TRUE(load(cards_with(""))) << out;
    }
    std::string env(const std::string& num_ids, const std::string& blocks,
                    const std::string& head = "AQUATIC_ENV_QBN10 version notes")
    {
        return head + "\nOV_MAP ov.idx\nST_MAP st.idx\nNUM_IDS " + num_ids + "\nID  values\n" + blocks;
    }
    // Reads the file; the reporter's message of a pending code is kept.
    void read(const std::string& text)
    {
        file("env.dat", text);
        owned = std::make_unique<qbn_params>();
        p().aq_env_file = "env.dat";
        error_state_clear();
        const int open_before = open_descriptor_count();
        testing::internal::CaptureStdout();
        read_aquatic_env_file(p(), *s);
        if (error_state.code > 0)
            report_error(error_state);
        report = testing::internal::GetCapturedStdout();
        EXPECT_EQ(open_descriptor_count(), open_before) << "the files are closed";
    }
    bool said(const std::string& text) const { return report.find(text) != std::string::npos; }
};

} // namespace

TEST_F(AquaticEnv, BlocksFillTheirInterleavedSlots)
{
    read(env("3", "1\n" + value_block() + "\n\n3\nDEFAULT\n2\n1.5 2.5 0 0 0 0 0\n" +
                      value_block().substr(value_block().find('\n') + 1)));
    ASSERT_EQ(error_state.code, 0) << report;
    EXPECT_TRUE(said("Reading the aquatic environment file env.dat.\n")) << report;
    EXPECT_EQ(p().ov_map, "ov.idx");
    EXPECT_EQ(p().st_map, "st.idx");
    EXPECT_EQ(p().num_ids, 3);
    const double expected[52] = {
        100, 200, 101, 201, 102,  202,  103,  203,  104, 204, 105, 205, 106, 206, // lines 1, 2
        300, 400, 301, 401, 302,  402,  303,  403,                                // lines 3, 4
        500, 600, 501, 601, 502,  602,  503,  603,                                // lines 5, 6
        700, 800, 701, 801, 702,  802,  703,  803,  704, 804, 705, 805, 706, 806, // lines 7, 8
        900, 901, 902, 903, 1000, 1001, 1002, 1003,                               // lines 9, 10
    };
    for (int i = 0; i < 52; ++i)
        EXPECT_EQ(p().ids[1].values[i], expected[i]) << "slot " << i;
    // DEFAULT reads nothing.
    EXPECT_EQ(p().ids[2].values[0], 1.5);
    EXPECT_EQ(p().ids[2].values[2], 2.5);
    EXPECT_EQ(p().ids[2].values[4], 0.0);
    EXPECT_EQ(p().ids[2].values[1], 200.0);
    for (double v : p().ids[3].values)
        EXPECT_EQ(v, 0.0);
    // The overland ids, cell by cell.
    ASSERT_GE(p().ov_index.size(), 9);
    const int ids[9] = {1, 2, 3, 1, 2, 3, 1, 1, 1};
    for (int c = 1; c <= 9; ++c)
        EXPECT_EQ(p().ov_index[c], ids[c - 1]) << c;
    EXPECT_FALSE(p().ids.bad_index);
}

TEST_F(AquaticEnv, HeadersThatDoNotMatchAreRefused)
{
    const std::string message =
        "Error: The header for the aquatic environment file is invalid or does not match \n"
        " the current version. \n The aquatic environment file specified is: ";
    for (const std::string& text : {env("1", "", "AQUATIC_ENV_QBN1"), std::string()}) {
        read(text);
        EXPECT_TRUE(said(message)) << report;
        EXPECT_TRUE(said("\n The header should be : AQUATIC_ENV_QBN10")) << report;
        EXPECT_EQ(p().num_ids, 0);
    }
    owned = std::make_unique<qbn_params>();
    p().aq_env_file = "absent.dat";
    error_state_clear();
    testing::internal::CaptureStdout();
    read_aquatic_env_file(p(), *s);
    report_error(error_state);
    report = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(said("Error: unable to open the aquatic environment file ")) << report;
    EXPECT_TRUE(said("absent.dat")) << report;
}

TEST_F(AquaticEnv, IdsOutsideTheTableStopTheReading)
{
    // NUM_IDS itself is accepted; one more is refused with both numbers.
    read(env("2", "2\nDEFAULT\n3\nDEFAULT\n1\nDEFAULT\n"));
    EXPECT_TRUE(said("Error: An index [3] in the aquatic environment table is greater than the\n"
                     "number of IDs specified [2]\n"))
        << report;
    EXPECT_EQ(p().ov_index.size(), 9) << "the overland grid is still read";
    // An id below 1 has no slot either.
    read(env("2", "1\nDEFAULT\n0\n" + value_block()));
    EXPECT_TRUE(said("Error: An index [0] in the aquatic environment table")) << report;
    EXPECT_FALSE(p().ids.bad_index);
}

TEST_F(AquaticEnv, MissingPartsAreRefused)
{
    // A missing overland grid after every block was read.
    std::string text = env("1", "1\n" + value_block());
    text.replace(text.find("ov.idx"), 6, "none.idx");
    read(text);
    EXPECT_TRUE(said("Error: Unable to open the overland Aquatic Environment map.\n")) << report;
    EXPECT_EQ(p().ids[1].values[51], 1003.0) << "the blocks were read";

    read("AQUATIC_ENV_QBN10\nOV_MAP ov.idx\nST_MAP st.idx\n1\nDEFAULT\n");
    EXPECT_TRUE(said("Error: the aquatic environment file env.dat has no NUM_IDS line.\n")) << report;

    read(env("2", "1\n100 nan 3\n"));
    EXPECT_TRUE(
        said("Error: line 7 of the aquatic environment file env.dat: value 2 \"nan\" is not finite.\n"))
        << report;
    read(env("2", "1\n" + value_block().substr(0, value_block().find('\n', 50) + 1)));
    EXPECT_TRUE(said("line 8 of the aquatic environment file env.dat: the file ends inside the block of id 1.\n"))
        << report;
}
