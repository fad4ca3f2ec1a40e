// The stream mapping-table file: the presence check with its Y/N list, and
// tables spread over links and nodes through stream index maps, with the
// refusals of maps that do not fit the network or the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error_state.h"
#include "input/input_fixture.h"
#include "input/mapping_table_checks.h"
#include "input/stream_mapping.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct StreamMapping : testing::Test {
    scratch_dir dir{"stream"};
    std::string out;
    // Three links of 2, 1 and 2 nodes.
    ivec nodes;
    void SetUp() override
    {
        error_state_clear();
        nodes.assign(3, 0);
        nodes[1] = 2;
        nodes[2] = 1;
        nodes[3] = 2;
    }
    void TearDown() override { error_state_clear(); }
    std::string path(const std::string& name) const { return dir.file(name); }
    void file(const std::string& name, const std::string& text) { write_file(path(name), text); }
    // A roughness table of IDs 1 and 2 over the stream map "links.smp".
    void roughness_file()
    {
        file("st.cmt", "TORVA_STREAM_INDEX_MAP_TABLES\nST_INDEX_MAP " + path("links.smp") + " Links\n"
                       "ROUGHNESS Links\nNUM_IDS 2\nID\n" + mapping_row(1, "0.03") + mapping_row(2, "0.05"));
    }
    int read(std::vector<double>& dest)
    {
        dest.assign(4 * 3, -1.0);
        testing::internal::CaptureStdout();
        const int got = read_stream_mapping_table(path("st.cmt"), st_roughness, {dest.data()}, 3, 2, nodes);
        out = testing::internal::GetCapturedStdout();
        return got;
    }
};

} // namespace

TEST_F(StreamMapping, CheckListsTablesWhoseMapOpens)
{
    file("links.smp", "STREAM_MAP\nNLINKS 3\n1 2 1\n");
    file("st.cmt", "TORVA_STREAM_INDEX_MAP_TABLES\nST_INDEX_MAP " + path("links.smp") + " Links\n"
                   "ST_INDEX_MAP " + path("gone.smp") + " Gone\n"
                   "QBN_C Links\nNUM_IDS 1\nID\n" + mapping_row(1, "1 2") +
                   "QBN_N Gone\nNUM_IDS 1\nID\n" + mapping_row(1, "1 2 3 4"));
    int flags[stream_table_flag_count] = {9, 9, 9, 9, 9, 9};
    testing::internal::CaptureStdout();
    check_stream_mapping_file(path("st.cmt"), flags, 0);
    out = testing::internal::GetCapturedStdout();
    // The name resolver's own line about the missing map.
    const std::string resolver =
        "Error getting new filename from " + path("gone.smp") + "\n  Looked for: " + path("gone.smp") + "\n";
    ASSERT_NE(out.find(resolver), std::string::npos) << out;
    out.erase(out.find(resolver), resolver.size());
    EXPECT_EQ(out, "\nChecking stream mapping table file...\n"
                   "  Roughness..........................N\n"
                   "  QBN Nitrogen.......................N\n"
                   "  QBN Phosphorus.....................N\n"
                   "  QBN Carbon.........................Y\n"
                   "  QBN Other..........................N\n"
                   "  Dispersion.........................N\n");
    const int expected[stream_table_flag_count] = {0, 0, 0, 0, 1, 0};
    for (int i = 0; i < stream_table_flag_count; ++i)
        EXPECT_EQ(flags[i], expected[i]) << i;

    testing::internal::CaptureStdout();
    check_stream_mapping_file(path("none.cmt"), flags, 1);
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Unable to open Mapping Table file: " + path("none.cmt")), std::string::npos) << out;
}

TEST_F(StreamMapping, TableValuesReachEveryNodeOfTheLink)
{
    roughness_file();
    file("links.smp", "STREAM_MAP\nNLINKS 3\n1\n  2 1\n");
    std::vector<double> d;
    ASSERT_EQ(read(d), 1) << out;
    // Element link * (max nodes + 1) + node.
    EXPECT_EQ(d[1 * 3 + 1], 0.03);
    EXPECT_EQ(d[1 * 3 + 2], 0.03);
    EXPECT_EQ(d[2 * 3 + 1], 0.05);
    EXPECT_EQ(d[2 * 3 + 2], -1.0) << "link 2 has one node";
    EXPECT_EQ(d[3 * 3 + 2], 0.03);
}

TEST_F(StreamMapping, MapsThatDoNotFitAreRefused)
{
    roughness_file();
    const struct {
        const char* map;
        const char* message;
    } cases[] = {
        {"STREAM_MAP\nNLINKS 4\n1 2 1 1\n", "NLINKS or MAXNODES card in stream map file does not match channel input file"},
        {"STREAM_MAP\nNLINKS 3\n1 x 1\n", "line 3: the value of link 2 \"x\" is not a number.\n"},
        {"STREAM_MAP\nNLINKS 3\n1 2\n", "the value of link 3 \"\" is missing.\n"},
        {"STREAM_MAP\nNLINKS 3\n1 3 1\n", "links.smp gives link 2 the ID 3; the IDs of table ROUGHNESS run from 1 to 2.\n"},
        {"STREAM_MAP\nNLINKS 3\n1 2 0\n", "links.smp gives link 3 the ID 0; the IDs of table ROUGHNESS run from 1 to 2.\n"},
        {"LINK_MAP\nNLINKS 3\n1 2 1\n", "Stream map file does not use correct header"},
    };
    for (const auto& c : cases) {
        file("links.smp", c.map);
        error_state_clear();
        std::vector<double> d;
        EXPECT_EQ(read(d), 0) << c.map;
        EXPECT_NE(out.find(c.message), std::string::npos) << c.map << out;
        EXPECT_EQ(error_state.raised, 1) << c.map;
        for (double v : d)
            EXPECT_EQ(v, -1.0) << "nothing is assigned from a refused map";
    }
    std::remove(path("links.smp").c_str());
    std::vector<double> d;
    EXPECT_EQ(read(d), 0);
    EXPECT_NE(out.find("Unable to open stream map file"), std::string::npos) << out;
}
