// Growable containers of the model state, the output writers and the
// coupling records: a named one-dimensional array that records
// out-of-range accesses, a table of separately allocated rows and a stack
// of matrices. Next to their working pointers and sizes all three keep
// check copies and compare them before they grow or release anything; a
// mismatch prints a message and the operation is skipped.
#pragma once

#include <climits>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/file_rec.h"

constexpr int checked_array_name_capacity = 49;

// Prints "Error allocating memory for variable %s" with the name and stops
// the run through the error record (code 4000).
void container_out_of_memory(const char* name);

// ---- checked_array ----------------------------------------------------------

template <class T>
struct checked_array;

template <class T>
void checked_array_destroy(checked_array<T>& a);

// A named array of cap + 1 slots. Index i lives in slot i + one_based. An
// index outside the storage sets bad_index, which is reported by name when
// the array is destroyed; such an access reads and writes a scratch element
// that belongs to the array, never memory outside it.
template <class T>
struct checked_array {
    T* data_check = nullptr; // copy of data, refreshed by every growth
    int cap_check = 0;       // copy of cap
    T* data = nullptr;       // the storage (slot 0 included)
    int cap = 0;             // highest valid slot; 0 = nothing allocated yet
    mutable unsigned char bad_index = 0;
    std::string name;        // for messages; at most 49 characters
    unsigned char one_based = 0;

    checked_array() = default;
    ~checked_array() { checked_array_destroy(*this); }
    checked_array(const checked_array&) = delete;
    checked_array& operator=(const checked_array&) = delete;
    // Moving hands the storage, flag and name over; the source is left empty.
    checked_array(checked_array&& other) noexcept { take(other); }
    checked_array& operator=(checked_array&& other) noexcept
    {
        if (this != &other) {
            checked_array_destroy(*this);
            take(other);
        }
        return *this;
    }

    T& operator[](int index)
    {
        const long slot = static_cast<long>(index) + one_based;
        if (slot < 0 || slot > cap || slot >= store_size_) return out_of_range();
        return store_[static_cast<std::size_t>(slot)];
    }
    const T& operator[](int index) const
    {
        const long slot = static_cast<long>(index) + one_based;
        if (slot < 0 || slot > cap || slot >= store_size_) return out_of_range();
        return store_[static_cast<std::size_t>(slot)];
    }

    // Storage actually held (cap + 1 slots unless the fields were corrupted).
    std::unique_ptr<T[]> store_;
    int store_size_ = 0;

private:
    T& out_of_range() const
    {
        bad_index = 1;
        if constexpr (std::is_move_assignable_v<T>) scratch_ = T();
        return scratch_;
    }

    void take(checked_array& other)
    {
        data_check = other.data_check;
        cap_check = other.cap_check;
        data = other.data;
        cap = other.cap;
        bad_index = other.bad_index;
        name = std::move(other.name);
        one_based = other.one_based;
        store_ = std::move(other.store_);
        store_size_ = other.store_size_;
        other.data_check = other.data = nullptr;
        other.cap_check = other.cap = other.store_size_ = 0;
        other.bad_index = 0;
        other.name.clear();
    }

    mutable T scratch_{};
};

template <class T>
void checked_array_set_name(checked_array<T>& a, const char* name)
{
    a.name = name ? name : "";
    if (a.name.size() > static_cast<std::size_t>(checked_array_name_capacity))
        a.name.resize(static_cast<std::size_t>(checked_array_name_capacity));
}

// True when the check copies agree; otherwise prints the message.
template <class T>
bool checked_array_checks_ok(const checked_array<T>& a)
{
    if (a.cap == a.cap_check && a.data == a.data_check) return true;
    std::printf("\n\nError!! Bad pointers found in array %s.\n\n", a.name.c_str());
    return false;
}

// Moves one element into a slot of a new block during growth. File records
// hand their stream over, so it is closed once, by its new holder.
inline void checked_array_move_element(file_rec& dst, file_rec& src)
{
    file_rec_hand_over(dst, src);
}

template <class T>
void checked_array_move_element(T& dst, T& src)
{
    dst = std::move(src);
}

// Grows by n slots and returns the new cap. New slots are value-initialised
// (constructed for class types); the old slots 0..cap keep their values. A
// mismatch of the check copies refuses the growth; n <= 0 changes nothing.
template <class T>
int checked_array_grow(checked_array<T>& a, int n)
{
    if (!checked_array_checks_ok(a)) return a.cap;
    if (n <= 0) return a.cap;
    if (a.cap > INT_MAX - 1 - n) {
        container_out_of_memory(a.name.c_str());
        return a.cap;
    }
    const int new_cap = a.cap + n;
    std::unique_ptr<T[]> block;
    try {
        block.reset(new T[static_cast<std::size_t>(new_cap) + 1]());
    } catch (const std::bad_alloc&) {
        container_out_of_memory(a.name.c_str());
        return a.cap;
    }
    for (int i = 0; i <= a.cap && i < a.store_size_; ++i)
        checked_array_move_element(block[static_cast<std::size_t>(i)],
                                   a.store_[static_cast<std::size_t>(i)]);
    a.store_ = std::move(block);
    a.store_size_ = new_cap + 1;
    a.data = a.store_.get();
    a.cap = new_cap;
    a.data_check = a.data;
    a.cap_check = a.cap;
    return a.cap;
}

inline int checked_int_array_grow(checked_array<int>& a, int n)
{
    return checked_array_grow(a, n);
}

inline int checked_char_array_grow(checked_array<char>& a, int n)
{
    return checked_array_grow(a, n);
}

// Grow by 10 or 13 slots whatever is asked.
template <class T>
int checked_array_grow_by10(checked_array<T>& a)
{
    return checked_array_grow(a, 10);
}

template <class T>
int checked_array_grow_by13(checked_array<T>& a)
{
    return checked_array_grow(a, 13);
}

// Grows by n and sets the new slots old cap + 1 .. old cap + n to value; the
// value is written only when the growth took place.
template <class T>
int checked_array_grow_fill(checked_array<T>& a, int n, const T& value)
{
    const int old_cap = a.cap;
    const int new_cap = checked_array_grow(a, n);
    if (new_cap == old_cap) return new_cap;
    for (int i = old_cap + 1; i <= new_cap; ++i) a.store_[static_cast<std::size_t>(i)] = value;
    return new_cap;
}

inline int checked_int_array_grow_fill(checked_array<int>& a, int n, int value)
{
    return checked_array_grow_fill(a, n, value);
}

// Copies slots 1..min(cap, other cap) from other; slot 0, name, flag and
// sizes stay.
template <class T>
checked_array<T>& checked_array_copy(checked_array<T>& a, const checked_array<T>& other)
{
    int last = a.cap < other.cap ? a.cap : other.cap;
    if (last > a.store_size_ - 1) last = a.store_size_ - 1;
    if (last > other.store_size_ - 1) last = other.store_size_ - 1;
    for (int i = 1; i <= last; ++i)
        a.store_[static_cast<std::size_t>(i)] = other.store_[static_cast<std::size_t>(i)];
    return a;
}

// Reports a recorded out-of-range access once, by name, and releases the
// storage. The array is empty afterwards and may grow again.
template <class T>
void checked_array_destroy(checked_array<T>& a)
{
    if (a.bad_index) std::printf("Error: bad range addressed in array %s\n", a.name.c_str());
    a.bad_index = 0;
    a.store_.reset();
    a.store_size_ = 0;
    a.data = nullptr;
    a.data_check = nullptr;
    a.cap = 0;
    a.cap_check = 0;
}

// Arrays of file records: the bad-range report, then every element closed
// (file_rec_release), then the storage.
void file_rec_array_destroy(checked_array<file_rec>& a);

// Elements 1..min(cap, other cap) of other are handed to the target: each
// target record first releases what it held, then takes the stream, check
// copy, name and mode, and the source record is left closed. A stream is
// therefore held, and closed, by one record only. Returns the target.
checked_array<file_rec>& file_rec_array_assign(checked_array<file_rec>& target,
                                               checked_array<file_rec>& other);

// ---- row_array --------------------------------------------------------------

template <class T>
struct row_array;

template <class T>
bool row_array_verify(const row_array<T>& a);

template <class T>
void row_array_destroy(row_array<T>& a);

// Rows 1..count of width + 1 elements each, allocated one by one; entry 0 of
// the row table is null. Element (i, j) is row_table[i][j]. Rows marked
// owned were allocated by the array (new T[]) and are released with it.
template <class T>
struct row_array {
    T** rows = nullptr;           // copy of row_table, set by every growth
    std::vector<T*> rows_check;   // copy of the table's entries 0..count
    int count_check = 0;          // copy of count
    int width = 0;                // elements per row are width + 1
    int count = 0;                // rows 1..count
    T** row_table = nullptr;      // entries 0..count
    char* owned = nullptr;        // per row: 1 = released with the array
    int aux = 0;                  // adoption switch (see row_array_adopt_rows)

    row_array() = default;
    ~row_array() { row_array_destroy(*this); }
    row_array(const row_array&) = delete;
    row_array& operator=(const row_array&) = delete;

    T* operator[](int i) { return row_table[i]; }
    const T* operator[](int i) const { return row_table[i]; }

    std::vector<T*> table_store_;
    std::vector<char> owned_store_;
};

// rows = row_table; rebuilds rows_check and count_check.
template <class T>
void row_array_sync_checks(row_array<T>& a)
{
    a.rows = a.row_table;
    a.rows_check.assign(a.table_store_.begin(), a.table_store_.end());
    a.count_check = a.count;
}

// True when the check copies agree with the working fields; otherwise
// prints the message.
template <class T>
bool row_array_verify(const row_array<T>& a)
{
    bool ok = a.count_check == a.count && a.rows == a.row_table;
    if (ok && a.count_check > 0) {
        const auto n = static_cast<std::size_t>(a.count_check) + 1;
        ok = n <= a.rows_check.size() && n <= a.table_store_.size() &&
             a.row_table == a.table_store_.data();
        for (std::size_t i = 0; ok && i < n; ++i) ok = a.rows_check[i] == a.row_table[i];
    }
    if (!ok) std::printf("\n\nError!! Bad pointers found in 2D array.\n\n");
    return ok;
}

namespace row_array_detail {

// Installs new tables holding the old entries 1..count and the given rows.
template <class T>
void append_rows(row_array<T>& a, const std::vector<T*>& new_rows, char owned_flag)
{
    const std::size_t old_n = a.table_store_.empty() ? 0 : static_cast<std::size_t>(a.count);
    std::vector<T*> table(old_n + new_rows.size() + 1, nullptr);
    std::vector<char> owned(table.size(), 0);
    for (std::size_t i = 1; i <= old_n; ++i) {
        table[i] = a.table_store_[i];
        owned[i] = a.owned_store_[i];
    }
    for (std::size_t k = 0; k < new_rows.size(); ++k) {
        table[old_n + 1 + k] = new_rows[k];
        owned[old_n + 1 + k] = owned_flag;
    }
    a.table_store_.swap(table);
    a.owned_store_.swap(owned);
    a.row_table = a.table_store_.data();
    a.owned = a.owned_store_.data();
    a.count = static_cast<int>(old_n + new_rows.size());
    row_array_sync_checks(a);
}

template <class T>
T* new_row(int width)
{
    return new T[static_cast<std::size_t>(width) + 1]();
}

// Growth by n rows made by make_row(width); false when refused.
template <class T, class MakeRow>
bool add_rows(row_array<T>& a, int n, int width, MakeRow make_row)
{
    if (!row_array_verify(a)) return false;
    if (width >= 0 && a.width == 0) a.width = width;
    if (a.width <= 0) a.width = 1;
    if (n < 0) n = 0;
    std::vector<T*> made;
    const int before = a.count;
    try {
        made.reserve(static_cast<std::size_t>(n));
        for (int k = 0; k < n; ++k) made.push_back(make_row(a.width));
        append_rows(a, made, 1);
    } catch (const std::bad_alloc&) {
        // Rows not yet in the table are released here.
        if (a.count == before)
            for (T* row : made) delete[] row;
        container_out_of_memory("row_array");
        return false;
    }
    return true;
}

} // namespace row_array_detail

// Grows by n rows (n < 0 counts as 0). A width other than -1 sets the width
// of an array whose width is still 0; the width defaults to 1. New rows hold
// width + 1 zeroed elements and are owned.
template <class T>
void row_array_add_rows(row_array<T>& a, int n, int width = -1)
{
    row_array_detail::add_rows(a, n, width, row_array_detail::new_row<T>);
}

inline void int_row_array_add_rows(row_array<int>& a, int n, int width = -1)
{
    row_array_add_rows(a, n, width);
}

inline void char_row_array_add_rows(row_array<char>& a, int n, int width = -1)
{
    row_array_add_rows(a, n, width);
}

// Grows by n rows (n <= 0 counts as 1) and sets columns 1..w of every new
// row to value: w is the given width, or the width before the growth when
// -1 is given, and never more than the rows' own width.
template <class T>
void row_array_add_rows_fill(row_array<T>& a, int n, const T& value, int width = -1)
{
    if (n <= 0) n = 1;
    const int old_count = a.count;
    int w = width != -1 ? width : a.width;
    if (!row_array_detail::add_rows(a, n, width, row_array_detail::new_row<T>)) return;
    if (w > a.width) w = a.width;
    for (int i = old_count + 1; i <= a.count; ++i)
        for (int j = 1; j <= w; ++j) a.row_table[i][j] = value;
}

inline void int_row_array_add_rows_fill(row_array<int>& a, int n, int value, int width = -1)
{
    row_array_add_rows_fill(a, n, value, width);
}

inline void int_row_array_add_rows_zero(row_array<int>& a, int n, int width = -1)
{
    row_array_add_rows_fill(a, n, 0, width);
}

inline void char_row_array_add_rows_zero(row_array<char>& a, int n, int width = -1)
{
    row_array_add_rows_fill(a, n, static_cast<char>(0), width);
}

// Appends the rows source[1..n] (n <= 0 counts as 1) without copying them.
// They are marked owned only while aux is 1 (the rows must then come from
// new T[]), and while aux is 1 the verification is skipped. A width other
// than -1 sets the width of an array whose width is still 0.
template <class T>
void row_array_adopt_rows(row_array<T>& a, int n, T* const* source, int width = -1)
{
    if (n <= 0) n = 1;
    if (!source) return;
    if (a.aux != 1 && !row_array_verify(a)) return;
    if (width >= 0 && a.width == 0) a.width = width;
    std::vector<T*> adopted(source + 1, source + 1 + n);
    try {
        row_array_detail::append_rows(a, adopted, a.aux == 1 ? 1 : 0);
    } catch (const std::bad_alloc&) {
        container_out_of_memory("row_array");
    }
}

// Row i for 1 <= i <= count, otherwise null.
template <class T>
T* row_array_get(const row_array<T>& a, int i)
{
    if (i < 1 || i > a.count || static_cast<std::size_t>(i) >= a.table_store_.size()) return nullptr;
    return a.table_store_[static_cast<std::size_t>(i)];
}

// Fits the array to at least rows_a rows and m columns (it never shrinks):
// widened rows keep their old values in columns 1..width and take x in the
// new columns; added rows hold x in columns 1..width. An empty array just
// grows by rows_a rows of width m.
template <class T>
void row_array_resize(row_array<T>& a, int rows_a, int m, const T& x)
{
    if (!row_array_verify(a)) return;
    if (a.count == 0) {
        row_array_add_rows(a, rows_a, m);
        return;
    }
    try {
        if (m > a.width) {
            for (int i = 1; i <= a.count; ++i) {
                T* row = new T[static_cast<std::size_t>(m) + 1]();
                for (int j = 1; j <= m; ++j) row[j] = x;
                T* old = a.row_table[i];
                if (old)
                    for (int j = 1; j <= a.width; ++j) row[j] = old[j];
                // An adopted row belongs to someone else: it is replaced, not released.
                if (a.owned[i]) delete[] old;
                a.row_table[i] = row;
                a.owned[i] = 1;
            }
            a.width = m;
        }
        if (rows_a > a.count) {
            const int extra = rows_a - a.count;
            std::vector<T*> source(static_cast<std::size_t>(extra) + 1, nullptr);
            try {
                for (int k = 1; k <= extra; ++k) {
                    source[static_cast<std::size_t>(k)] = new T[static_cast<std::size_t>(a.width) + 1]();
                    for (int j = 1; j <= a.width; ++j) source[static_cast<std::size_t>(k)][j] = x;
                }
            } catch (const std::bad_alloc&) {
                for (T* row : source) delete[] row;
                throw;
            }
            const int before = a.count;
            a.aux = 1;
            row_array_adopt_rows(a, extra, source.data(), -1);
            a.aux = 0;
            if (a.count == before)
                for (T* row : source) delete[] row;
        }
    } catch (const std::bad_alloc&) {
        container_out_of_memory("row_array");
    }
    row_array_sync_checks(a);
}

// After a successful verification releases every owned row and the tables;
// a failed verification releases nothing.
template <class T>
void row_array_destroy(row_array<T>& a)
{
    if (!row_array_verify(a)) return;
    for (std::size_t i = 1; i < a.table_store_.size() && i < a.owned_store_.size(); ++i)
        if (a.owned_store_[i]) delete[] a.table_store_[i];
    std::vector<T*>().swap(a.table_store_);
    std::vector<char>().swap(a.owned_store_);
    std::vector<T*>().swap(a.rows_check);
    a.rows = nullptr;
    a.row_table = nullptr;
    a.owned = nullptr;
    a.count = 0;
    a.count_check = 0;
    a.width = 0;
    a.aux = 0;
}

// ---- matrix_stack -----------------------------------------------------------

// Matrices 1..count of f64; each is a table of row pointers 0..rows whose
// rows 1..rows are separate blocks of cols + 1 elements (the row-0 pointer
// is null). Element (k, i, j) is table[k][i][j].
struct matrix_stack {
    int count_check = 0;
    int rows_check = 0;
    double*** table_check = nullptr;
    std::vector<double**> entries_check;               // table entries 0..count
    std::vector<std::vector<double*>> row_ptrs_check;  // per matrix, row pointers 0..rows
    int count = 0;
    int rows = 0;
    int cols = 0;
    double*** table = nullptr;
    char* owned = nullptr; // per matrix: 1 = made by the stack, 0 = adopted
    std::string name;

    matrix_stack() = default;
    ~matrix_stack();
    matrix_stack(const matrix_stack&) = delete;
    matrix_stack& operator=(const matrix_stack&) = delete;

    std::vector<double**> table_store_;
    std::vector<char> owned_store_;
    std::vector<int> matrix_rows_; // rows each matrix was made or adopted with
};

// True when the check copies agree (with owned_only, the row pointers of
// adopted matrices are not compared); otherwise prints the message.
bool matrix_stack_verify(const matrix_stack& ms, int owned_only);

// Appends the matrices source[1..n] (not copied, never released by the
// stack). rows and cols replace the stack's when they are 0 or more.
void matrix_stack_adopt(matrix_stack& ms, int n, double*** source, int rows, int cols);

// Appends n matrices made by new_matrix_filled(rows, cols, value).
void matrix_stack_add(matrix_stack& ms, int n, double value, int rows, int cols);

void matrix_stack_sync_checks(matrix_stack& ms);

// Releases the owned matrices and the tables after a successful
// verification; adopted matrices are left to their owners.
void matrix_stack_destroy(matrix_stack& ms);

// A table of n + 1 row pointers whose rows 1..n are separate blocks of
// m + 1 elements with columns 1..m set to value (row 0 null, column 0 zero).
// Released by delete_matrix_filled.
double** new_matrix_filled(int n, int m, double value);
void delete_matrix_filled(double** matrix, int n);
