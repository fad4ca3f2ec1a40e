#include <gtest/gtest.h>

#include "core/node_arrays.h"

namespace
{

// The nodes of one link lie side by side: [node][link] is element
// link x (nodes + 1) + node of the block, and link_nodes(link) starts there.
TEST(NodeArrays, LinkMajorLayoutKeepsNodeLinkAccess)
{
    dnode_mat a;
    a.assign(3, 2, -1.0); // nodes 0..3, links 0..2
    EXPECT_EQ(a.rows(), 3);
    EXPECT_EQ(a.cols(), 2);
    for (int l = 0; l <= 2; ++l)
        for (int n = 0; n <= 3; ++n)
            a[n][l] = 10.0 * l + n;
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(a.data()[k], 10.0 * (k / 4) + k % 4);
    EXPECT_EQ(a.link_nodes(2)[3], 23.0);
    const dnode_mat& c = a;
    EXPECT_EQ(c[1][2], 21.0);
    a.reset();
    EXPECT_TRUE(a.empty());
}

} // namespace
