// Owning numeric arrays with 1-based indexing: slot 0 exists, elements run
// 1..n. A matrix is one contiguous block with rows of m + 1 elements.
// Builds with TORVA_CHECKED test every index.
#pragma once

#include <cassert>
#include <cstddef>
#include <vector>

#ifdef TORVA_CHECKED
#define TORVA_INDEX_CHECK(cond) assert(cond)
#else
#define TORVA_INDEX_CHECK(cond) ((void)0)
#endif

// Vector of n elements, indices 0..n. Empty (absent) when n is 0.
template <class T>
class vec1 {
public:
    vec1() = default;

    T& operator[](int i)
    {
        TORVA_INDEX_CHECK(i >= 0 && static_cast<std::size_t>(i) < v_.size());
        return v_[static_cast<std::size_t>(i)];
    }
    const T& operator[](int i) const
    {
        TORVA_INDEX_CHECK(i >= 0 && static_cast<std::size_t>(i) < v_.size());
        return v_[static_cast<std::size_t>(i)];
    }

    T* data() { return v_.data(); }
    const T* data() const { return v_.data(); }
    int size() const { return v_.empty() ? 0 : static_cast<int>(v_.size()) - 1; } // n
    bool empty() const { return v_.empty(); }
    explicit operator bool() const { return !v_.empty(); }

    // Makes n + 1 slots of value (may throw std::bad_alloc).
    void assign(int n, const T& value) { v_.assign(static_cast<std::size_t>(n) + 1, value); }
    void reset() { std::vector<T>().swap(v_); }

private:
    std::vector<T> v_;
};

// Matrix of n x m elements, indices [0..n][0..m], one contiguous block.
template <class T>
class mat1 {
public:
    mat1() = default;

    T* operator[](int i)
    {
        TORVA_INDEX_CHECK(i >= 0 && i <= n_);
        return block_.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(m_ + 1);
    }
    const T* operator[](int i) const
    {
        TORVA_INDEX_CHECK(i >= 0 && i <= n_);
        return block_.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(m_ + 1);
    }

    T* data() { return block_.data(); }
    int rows() const { return n_; }
    int cols() const { return m_; }
    bool empty() const { return block_.empty(); }
    explicit operator bool() const { return !block_.empty(); }

    void assign(int n, int m, const T& value)
    {
        block_.assign(static_cast<std::size_t>(n + 1) * static_cast<std::size_t>(m + 1), value);
        n_ = n;
        m_ = m;
    }
    void reset()
    {
        std::vector<T>().swap(block_);
        n_ = m_ = 0;
    }

private:
    std::vector<T> block_;
    int n_ = 0;
    int m_ = 0;
};

using dvec = vec1<double>;
using ivec = vec1<int>;
using dmat = mat1<double>;
using imat = mat1<int>;

// Zero-filled allocation under the variable's name. On failure the name is
// printed, the run is stopped through the error record, and false returned.
bool dvector_alloc_zero(dvec& out, int n, const char* name);
bool ivector_alloc_zero(ivec& out, int n, const char* name);
bool dmatrix_alloc_zero(int n, int m, dmat& out, const char* name);
bool imatrix_alloc_zero(imat& out, int n, int m, const char* name);
