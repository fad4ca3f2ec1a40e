// The link/node file writers: header items and the entries of lake,
// structure and channel links in the three modes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "output/linknode_writers.h"

namespace
{

std::string written(void (*body)(std::FILE*))
{
    std::FILE* fp = std::tmpfile();
    body(fp);
    std::rewind(fp);
    std::string text;
    char buf[512];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0)
        text.append(buf, n);
    std::fclose(fp);
    return text;
}

} // namespace

TEST(LinknodeWriters, HeaderFields)
{
    EXPECT_EQ(written([](std::FILE* fp) { write_linknode_header(fp, 1, 3, 15, 6, 7, 3, 2010, 6, 30); }),
              "TORVA_LINKNODE_STREAM_FLOW\nNUM_LINKS     3\nTIME_STEP     15\nNUM_TS        6\n"
              "START_TIME     7  3 2010  6 30  0\n");
    // A kind outside 0..31 writes no kind line.
    EXPECT_EQ(written([](std::FILE* fp) { write_linknode_header(fp, 40, 1, 1, 1, 1, 1, 2000, 0, 0); })
                  .rfind("NUM_LINKS", 0),
              0u);
}

TEST(LinknodeWriters, LakeStructureAndChannelEntries)
{
    // Link 1 lake (lake 1 at 101.5), link 2 structure, link 3 a channel of two
    // valued nodes written with three entries.
    static ivec valued, entries, ltype, lakes;
    static dmat first, second;
    static dvec lake_values;
    valued.assign(3, 0);
    entries.assign(3, 0);
    ltype.assign(3, 0);
    lakes.assign(3, 0);
    first.assign(3, 3, 0.0);
    second.assign(3, 3, 0.0);
    lake_values.assign(1, 101.5);
    ltype[1] = 32;
    lakes[1] = 1;
    ltype[2] = 64;
    first[1][2] = 0.25;
    ltype[3] = 4;
    valued[3] = 2;
    entries[3] = 3;
    first[1][3] = 2.0;
    first[2][3] = 3.0;
    second[1][3] = 4.0;
    second[2][3] = 1e-7;
    EXPECT_EQ(written([](std::FILE* fp) {
                  write_linknode_step(fp, 3, valued, &entries, ltype, 0, first, nullptr, 0, lakes, lake_values);
              }),
              "TS    0\n0  -999.999   \n-2  0.25000   \n3   1  2.00000   1  3.00000   0  -999.999   \n\n");
    EXPECT_EQ(written([](std::FILE* fp) {
                  write_linknode_step(fp, 3, valued, &entries, ltype, 4, first, &second, 2, lakes, lake_values);
              }),
              "TS    4\n-1 101.50000   \n0  -999.999   \n3   1  0.50000   1  0.00000   0  -999.999   \n\n");
    EXPECT_EQ(written([](std::FILE* fp) {
                  write_linknode_step(fp, 3, valued, nullptr, ltype, 1, first, &second, 1, lakes, lake_values);
              }),
              "TS    1\n-1 101.50000   \n0  -999.999   \n2   1  -2.00000   1  3.00000   \n\n");
}
