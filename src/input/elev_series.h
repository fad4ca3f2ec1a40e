// Named curves of y over x (rating and rule curves) read from the
// elevation-series file into a program-wide list, emptied at the end of
// every run.
#pragma once

#include <list>
#include <string>
#include <vector>

struct file_rec;

struct elev_series {
    std::vector<double> x; // abscissae, non-decreasing
    std::vector<double> y;
    std::string name;
    int count = 0;
};

// Curves in file order (elements keep their addresses while the list grows).
extern std::list<elev_series> elev_series_list;

// Reads every block of the file into the list and prints how many. A file
// that cannot be opened or holds no block stops the run.
void read_elev_series_file(const std::string& file_name);

// Reads the next block; 1 when a curve was read, 0 when no further block
// exists or the block was refused. A block holds a name (its first token,
// at most 149 characters, not the name of a curve read before) and lines of
// two finite numbers x and y, x never going back, up to its END_ES line; a
// blank line repeats the point before it. A block that breaks this, or that
// the file cuts short, is refused naming the file, the line and the fault
// (run stopped, code 4000 reported) and no curve is kept.
int elev_series_read_block(file_rec& rec);

// A new empty curve appended to the list.
elev_series* elev_series_new();

// Linear interpolation, clamped to the first and last y.
double elev_series_interp(double x, elev_series* curve);

// Step function: the y at the left end of the first interval holding x,
// clamped to the first and last y.
double elev_series_step(double x, elev_series* curve);

// Frees every curve and empties the list.
void elev_series_free_all();
