// Owning numeric arrays with 1-based indexing: slot 0 exists, elements run
// 1..n. A matrix is one contiguous block with rows of m + 1 elements; a
// three-dimensional array is one block whose rows [i][j] hold c + 1
// elements. An empty array is the absent (null) form. Builds with
// TORVA_CHECKED test every index.
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
        return block_.data() + static_cast<std::size_t>(i) * (static_cast<std::size_t>(m_) + 1);
    }
    const T* operator[](int i) const
    {
        TORVA_INDEX_CHECK(i >= 0 && i <= n_);
        return block_.data() + static_cast<std::size_t>(i) * (static_cast<std::size_t>(m_) + 1);
    }

    T* data() { return block_.data(); }
    const T* data() const { return block_.data(); }
    int rows() const { return n_; }
    int cols() const { return m_; }
    bool empty() const { return block_.empty(); }
    explicit operator bool() const { return !block_.empty(); }

    // May throw std::bad_alloc or std::length_error.
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
    std::vector<T> block_;
    int n_ = 0;
    int m_ = 0;
};

// Array of a x b x c elements, indices [0..a][0..b][0..c], one contiguous
// block; t[i][j] is the row of c + 1 elements starting at (i(b + 1) + j)(c + 1).
template <class T>
class cube1 {
public:
    cube1() = default;

    class plane {
    public:
        plane(T* base, std::size_t row) : base_(base), row_(row) {}
        T* operator[](int j) const { return base_ + static_cast<std::size_t>(j) * row_; }

    private:
        T* base_;
        std::size_t row_;
    };
    class const_plane {
    public:
        const_plane(const T* base, std::size_t row) : base_(base), row_(row) {}
        const T* operator[](int j) const { return base_ + static_cast<std::size_t>(j) * row_; }

    private:
        const T* base_;
        std::size_t row_;
    };

    plane operator[](int i)
    {
        TORVA_INDEX_CHECK(i >= 0 && i <= a_);
        return plane(block_.data() + static_cast<std::size_t>(i) * plane_size(), row_size());
    }
    const_plane operator[](int i) const
    {
        TORVA_INDEX_CHECK(i >= 0 && i <= a_);
        return const_plane(block_.data() + static_cast<std::size_t>(i) * plane_size(), row_size());
    }

    T* data() { return block_.data(); }
    const T* data() const { return block_.data(); }
    int dim1() const { return a_; }
    int dim2() const { return b_; }
    int dim3() const { return c_; }
    bool empty() const { return block_.empty(); }
    explicit operator bool() const { return !block_.empty(); }

    // The caller checks that the element count fits (may throw
    // std::bad_alloc or std::length_error).
    void assign(int a, int b, int c, const T& value)
    {
        a_ = b_ = c_ = 0;
        block_.assign((static_cast<std::size_t>(a) + 1) * (static_cast<std::size_t>(b) + 1) *
                          (static_cast<std::size_t>(c) + 1),
                      value);
        a_ = a;
        b_ = b;
        c_ = c;
    }
    void reset()
    {
        std::vector<T>().swap(block_);
        a_ = b_ = c_ = 0;
    }

private:
    std::size_t row_size() const { return static_cast<std::size_t>(c_) + 1; }
    std::size_t plane_size() const { return (static_cast<std::size_t>(b_) + 1) * row_size(); }

    std::vector<T> block_;
    int a_ = 0;
    int b_ = 0;
    int c_ = 0;
};

using dvec = vec1<double>;
using ivec = vec1<int>;
using dmat = mat1<double>;
using imat = mat1<int>;
using cmat = mat1<char>;
using dcube = cube1<double>;
using icube = cube1<int>;

// ---- makers ---------------------------------------------------------------
// A dimension of 0 (or below) prints "Error: Attempting to allocate array of
// size 0" and gives an empty array. Fresh arrays hold zeros. When memory
// runs out the maker's name is printed, the run is stopped through the
// error record (code 4000) and an empty array is returned.
dmat dmatrix(int n, int m);
imat imatrix(int n, int m);
cmat cmatrix(int n, int m);
dcube d3tensor(int a, int b, int c);
icube i3tensor_4(int n, int m); // [0..n][0..3][0..m]

// ---- zero-filled allocation under the variable's name -----------------------
// True when the array was made. A zero dimension prints the size message and
// the allocation message with the name, and the run goes on; running out of
// memory prints the allocation message and stops the run (code 4000).
bool dmatrix_alloc_zero(int n, int m, dmat& out, const char* name);
bool cmatrix_alloc_zero(int n, int m, cmat& out, const char* name);
bool imatrix_alloc_zero(imat& out, int n, int m, const char* name);
bool d3tensor_alloc_zero(int a, int b, int c, dcube& out, const char* name);
bool lake_search_alloc(int n, int m, icube& out); // named "lake_search"

// Vectors: n = 0 leaves the vector absent silently (true); n below 0 prints
// the size message and gives false (ivector_alloc_zero adds the allocation
// message with the name; dvector_alloc_zero does not print its name then).
bool dvector_alloc_zero(dvec& out, int n, const char* name);
bool ivector_alloc_zero(ivec& out, int n, const char* name);

// Channel-network tables: the point-source table has one row more than
// asked ([0..n+1][0..m]); both refuse a zero dimension with both messages.
bool stream_pointsource_alloc(dmat& out, int n, int m);
bool stream_pumps_alloc(dmat& out, int n, int m);

// ---- fill and free ----------------------------------------------------------
// Every element [0..n][0..m] (never beyond the matrix) gets the value.
void dmatrix_fill(dmat& mat, int n, int m, double value);
void d3tensor_fill(dcube& arr, int a, int b, int c, double value);

// Releases the array and leaves its owner empty; an empty owner is left alone.
template <class T>
void matrix_free(mat1<T>& owner)
{
    owner.reset();
}

template <class T>
void d3tensor_free(cube1<T>& owner)
{
    owner.reset();
}
