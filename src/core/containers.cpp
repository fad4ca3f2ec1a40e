#include "core/containers.h"

#include <cstdio>

#include "core/error_state.h"

void container_out_of_memory(const char* name)
{
    std::printf("Error allocating memory for variable %s\n", name ? name : "");
    error_set(err_stop);
    report_error(error_state);
}

// ---- arrays of file records -------------------------------------------------

void file_rec_array_destroy(checked_array<file_rec>& a)
{
    if (a.bad_index) std::printf("Error: bad range addressed in array %s\n", a.name.c_str());
    a.bad_index = 0;
    for (int i = 0; i < a.store_size_; ++i) file_rec_release(a.store_[static_cast<std::size_t>(i)]);
    checked_array_destroy(a);
}

checked_array<file_rec>& file_rec_array_assign(checked_array<file_rec>& target,
                                               checked_array<file_rec>& other)
{
    if (&target == &other) return target;
    int last = target.cap < other.cap ? target.cap : other.cap;
    if (last > target.store_size_ - 1) last = target.store_size_ - 1;
    if (last > other.store_size_ - 1) last = other.store_size_ - 1;
    for (int i = 1; i <= last; ++i) {
        file_rec& to = target.store_[static_cast<std::size_t>(i)];
        file_rec& from = other.store_[static_cast<std::size_t>(i)];
        file_rec_release(to);
        checked_array_move_element(to, from);
    }
    return target;
}

// ---- matrix_stack -------------------------------------------------------------

double** new_matrix_filled(int n, int m, double value)
{
    if (n < 0) n = 0;
    if (m < 0) m = 0;
    double** matrix = new double*[static_cast<std::size_t>(n) + 1]();
    try {
        for (int i = 1; i <= n; ++i) {
            matrix[i] = new double[static_cast<std::size_t>(m) + 1]();
            for (int j = 1; j <= m; ++j) matrix[i][j] = value;
        }
    } catch (const std::bad_alloc&) {
        delete_matrix_filled(matrix, n);
        throw;
    }
    return matrix;
}

void delete_matrix_filled(double** matrix, int n)
{
    if (!matrix) return;
    for (int i = 1; i <= n; ++i) delete[] matrix[i];
    delete[] matrix;
}

namespace {

// Rows of matrix k that its row table really holds.
int matrix_rows(const matrix_stack& ms, int k, int rows)
{
    const int own = ms.matrix_rows_[static_cast<std::size_t>(k)];
    return rows < own ? rows : own;
}

void append_matrices(matrix_stack& ms, std::vector<double**>& added, char owned_flag)
{
    const std::size_t old_n = ms.table_store_.empty() ? 0 : static_cast<std::size_t>(ms.count);
    std::vector<double**> table(old_n + added.size() + 1, nullptr);
    std::vector<char> owned(table.size(), 0);
    std::vector<int> mat_rows(table.size(), 0);
    for (std::size_t k = 1; k <= old_n; ++k) {
        table[k] = ms.table_store_[k];
        owned[k] = ms.owned_store_[k];
        mat_rows[k] = ms.matrix_rows_[k];
    }
    for (std::size_t k = 0; k < added.size(); ++k) {
        table[old_n + 1 + k] = added[k];
        owned[old_n + 1 + k] = owned_flag;
        mat_rows[old_n + 1 + k] = ms.rows;
    }
    ms.table_store_.swap(table);
    ms.owned_store_.swap(owned);
    ms.matrix_rows_.swap(mat_rows);
    ms.table = ms.table_store_.data();
    ms.owned = ms.owned_store_.data();
    ms.count = static_cast<int>(old_n + added.size());
    matrix_stack_sync_checks(ms);
}

void set_shape(matrix_stack& ms, int rows, int cols)
{
    if (rows >= 0) ms.rows = rows;
    if (cols >= 0) ms.cols = cols;
}

} // namespace

bool matrix_stack_verify(const matrix_stack& ms, int owned_only)
{
    bool ok = ms.count == ms.count_check && ms.table == ms.table_check && ms.rows == ms.rows_check;
    if (ok && ms.count_check > 0) {
        const auto n = static_cast<std::size_t>(ms.count_check) + 1;
        ok = n <= ms.entries_check.size() && n <= ms.table_store_.size() &&
             n <= ms.row_ptrs_check.size() && ms.table == ms.table_store_.data();
        for (std::size_t k = 0; ok && k < n; ++k) ok = ms.table[k] == ms.entries_check[k];
        if (ok && ms.rows_check > 0) {
            for (int k = 1; ok && k < static_cast<int>(n); ++k) {
                if (owned_only && !ms.owned[k]) continue;
                const auto& copy = ms.row_ptrs_check[static_cast<std::size_t>(k)];
                const int last = matrix_rows(ms, k, ms.rows_check);
                for (int i = 0; ok && i <= last; ++i)
                    ok = static_cast<std::size_t>(i) < copy.size() && ms.table[k][i] == copy[static_cast<std::size_t>(i)];
            }
        }
    }
    if (!ok) std::printf("\n\nError!!!  Bad pointers found in 3D array.\n\n");
    return ok;
}

void matrix_stack_sync_checks(matrix_stack& ms)
{
    ms.table_check = ms.table;
    ms.entries_check.assign(ms.table_store_.begin(), ms.table_store_.end());
    ms.row_ptrs_check.assign(ms.table_store_.size(), std::vector<double*>());
    for (std::size_t k = 1; k < ms.table_store_.size(); ++k) {
        double** matrix = ms.table_store_[k];
        if (!matrix) continue;
        const int last = matrix_rows(ms, static_cast<int>(k), ms.rows);
        ms.row_ptrs_check[k].assign(matrix, matrix + last + 1);
    }
    ms.count_check = ms.count;
    ms.rows_check = ms.rows;
}

void matrix_stack_adopt(matrix_stack& ms, int n, double*** source, int rows, int cols)
{
    if (!matrix_stack_verify(ms, 0)) return;
    if (n < 0 || (n > 0 && !source)) n = 0;
    set_shape(ms, rows, cols);
    try {
        std::vector<double**> added(source ? source + 1 : nullptr, source ? source + 1 + n : nullptr);
        append_matrices(ms, added, 0);
    } catch (const std::bad_alloc&) {
        container_out_of_memory(ms.name.c_str());
    }
}

void matrix_stack_add(matrix_stack& ms, int n, double value, int rows, int cols)
{
    if (!matrix_stack_verify(ms, 0)) return;
    if (n < 0) n = 0;
    set_shape(ms, rows, cols);
    std::vector<double**> added;
    const int before = ms.count;
    try {
        added.reserve(static_cast<std::size_t>(n));
        for (int k = 0; k < n; ++k) added.push_back(new_matrix_filled(ms.rows, ms.cols, value));
        append_matrices(ms, added, 1);
    } catch (const std::bad_alloc&) {
        // Matrices not yet in the table are released here.
        if (ms.count == before)
            for (double** matrix : added) delete_matrix_filled(matrix, ms.rows);
        container_out_of_memory(ms.name.c_str());
    }
}

void matrix_stack_destroy(matrix_stack& ms)
{
    if (!matrix_stack_verify(ms, 1)) return;
    for (std::size_t k = 1; k < ms.table_store_.size(); ++k)
        if (ms.owned_store_[k]) delete_matrix_filled(ms.table_store_[k], ms.matrix_rows_[k]);
    std::vector<double**>().swap(ms.table_store_);
    std::vector<char>().swap(ms.owned_store_);
    std::vector<int>().swap(ms.matrix_rows_);
    std::vector<double**>().swap(ms.entries_check);
    std::vector<std::vector<double*>>().swap(ms.row_ptrs_check);
    ms.table = nullptr;
    ms.table_check = nullptr;
    ms.owned = nullptr;
    ms.count = ms.count_check = 0;
    ms.rows = ms.rows_check = 0;
    ms.cols = 0;
}

matrix_stack::~matrix_stack()
{
    matrix_stack_destroy(*this);
}
