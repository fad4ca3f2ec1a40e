// Growable containers of the model state: a named one-dimensional array that
// records out-of-range accesses, a table of rows and a stack of matrices.
// TODO: growth variants, check copies and adoption of the full container
// family; this holds what the model state needs to construct and destroy.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

constexpr int checked_array_name_capacity = 49;

template <class T>
struct checked_array {
    std::vector<T> slots; // cap + 1 slots
    int cap = 0;          // highest valid slot; 0 = nothing allocated
    bool bad_index = false;
    std::string name;     // for the out-of-range report
    int one_based = 0;    // 1: index i lives in slot i + 1

    checked_array() = default;
    checked_array(const checked_array&) = delete;
    checked_array& operator=(const checked_array&) = delete;
    ~checked_array() { checked_array_destroy(*this); }

    // Element access; an index outside the storage sets the flag and lands
    // in a scratch slot, never outside the storage.
    T& operator[](int index)
    {
        const int slot = index + one_based;
        if (cap == 0 || slot < 0 || slot > cap) {
            bad_index = true;
            scratch = T();
            return scratch;
        }
        return slots[static_cast<size_t>(slot)];
    }

    T scratch{};
};

template <class T>
void checked_array_set_name(checked_array<T>& a, const char* name)
{
    a.name = name ? name : "";
    if (a.name.size() > static_cast<size_t>(checked_array_name_capacity))
        a.name.resize(static_cast<size_t>(checked_array_name_capacity));
}

// Grows by n slots (new slots value-initialised); returns the new cap.
template <class T>
int checked_array_grow(checked_array<T>& a, int n)
{
    if (n <= 0) return a.cap;
    a.slots.resize(static_cast<size_t>(a.cap + n + 1));
    a.cap += n;
    return a.cap;
}

// Reports a recorded out-of-range access once and releases the storage.
template <class T>
void checked_array_destroy(checked_array<T>& a)
{
    if (a.bad_index) std::printf("Error: bad range addressed in array %s\n", a.name.c_str());
    a.bad_index = false;
    std::vector<T>().swap(a.slots);
    a.cap = 0;
}

// Rows 1..count of width + 1 elements each.
template <class T>
struct row_array {
    std::vector<std::unique_ptr<T[]>> rows; // entry 0 unused
    int width = 0;
    int count = 0;

    T* operator[](int i) { return rows[static_cast<size_t>(i)].get(); }
};

// Matrices 1..count of [0..rows][0..cols] f64.
struct matrix_stack {
    std::vector<std::vector<double>> matrices; // entry 0 unused
    int count = 0;
    int rows = 0;
    int cols = 0;
    std::string name;
};
