// Node arrays of the channel network, stored link-major: the nodes of one
// link lie side by side (flat index link x (nodes + 1) + node) while access
// keeps the [node][link] form. The routing runs link-outer, node-inner, so
// its loops walk each array contiguously.
#pragma once

#include <cstddef>
#include <vector>

#include "core/arrays.h"

// Nodes 0..n by links 0..m, one contiguous block of links of n + 1 nodes.
// a[node] gives the node's strided row across the links; a[node][link] is
// the element.
template <class T> class node_mat
{
  public:
    node_mat() = default;

    template <class E> class row
    {
      public:
        row(E* base, std::size_t stride, int links) : base_(base), stride_(stride), links_(links) {}
        E& operator[](int link) const
        {
            TORVA_INDEX_CHECK(link >= 0 && link <= links_);
            return base_[static_cast<std::size_t>(link) * stride_];
        }

      private:
        E* base_;
        std::size_t stride_;
        int links_;
    };

    row<T> operator[](int node)
    {
        TORVA_INDEX_CHECK(node >= 0 && node <= n_);
        return row<T>(block_.data() + node, stride(), m_);
    }
    row<const T> operator[](int node) const
    {
        TORVA_INDEX_CHECK(node >= 0 && node <= n_);
        return row<const T>(block_.data() + node, stride(), m_);
    }

    // The nodes 0..n of one link, contiguous.
    T* link_nodes(int link)
    {
        TORVA_INDEX_CHECK(link >= 0 && link <= m_);
        return block_.data() + static_cast<std::size_t>(link) * stride();
    }
    const T* link_nodes(int link) const
    {
        TORVA_INDEX_CHECK(link >= 0 && link <= m_);
        return block_.data() + static_cast<std::size_t>(link) * stride();
    }

    T* data() { return block_.data(); }
    const T* data() const { return block_.data(); }
    int rows() const { return n_; } // nodes
    int cols() const { return m_; } // links
    bool empty() const { return block_.empty(); }
    explicit operator bool() const { return !block_.empty(); }

    // n nodes by m links. May throw std::bad_alloc or std::length_error.
    void assign(int n, int m, const T& value)
    {
        block_.assign((static_cast<std::size_t>(n) + 1) * (static_cast<std::size_t>(m) + 1), value);
        n_ = n;
        m_ = m;
    }
    void reset()
    {
        std::vector<T>().swap(block_);
        n_ = m_ = 0;
    }

  private:
    std::size_t stride() const { return static_cast<std::size_t>(n_) + 1; }

    std::vector<T> block_;
    int n_ = 0;
    int m_ = 0;
};

using dnode_mat = node_mat<double>;
using inode_mat = node_mat<int>;
