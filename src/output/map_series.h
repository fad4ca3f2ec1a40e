// Output writer of one gridded quantity, written at every map output time
// as one grid file per time or as steps of an ASCII or binary dataset file,
// and the writers of the dataset files themselves.
#pragma once

#include <cstdio>
#include <string>

#include "core/arrays.h"
#include "core/containers.h"
#include "core/file_rec.h"

struct model_state;

// Map format codes of a run.
enum map_format {
    map_format_none = 0,          // not opened: writes nothing
    map_format_grids = 1,         // one ESRI ASCII grid file per output time
    map_format_ascii_dataset = 2, // steps of an ASCII dataset file
    map_format_binary_dataset = 3 // steps of a binary dataset file
};

struct map_series {
    file_rec out;                   // the dataset file, or the per-time grid while it is written
    std::string folder;             // prefix: folder of the per-time grids, stem of the dataset name
    const double* values = nullptr; // borrowed: values 1..N of the active cells
    const imat* mask = nullptr;     // borrowed: the cell-number grid
    double north = 0.0, south = 0.0, east = 0.0, west = 0.0;
    int rows = 0, cols = 0;
    double nodata = -999.99;
    int format = map_format_none;
    double scale = 1.0;
    int seq = 1; // number of the next per-time grid
    int decimals = 0;
    double cellsize = 0.0;
    std::string base;      // after the prefix in the dataset name, after the name in grid names
    std::string ext;       // extension of the per-time grid names
    std::string kind_name; // the quantity's name

    ~map_series();
};

// The run's map format code: grids with MAP_TYPE 0, binary datasets with
// MAP_TYPE 2, ASCII datasets otherwise.
int map_format_code(const model_state& s);

// Name of a per-time grid: the prefix, the folder separator, then the tail.
// A prefix that already ends in a separator ('/' or '\') gets no second one;
// an empty prefix gives the bare tail (a name in the current folder).
std::string map_file_name(const std::string& prefix, const std::string& tail);

// The folder of per-time grid files exists or is made (one level); false
// after the message naming it and the maps, with the run stopped.
bool map_folder_ready(const std::string& folder, const std::string& maps);

// Points the writer at values 1..N of the run's cells and gives it the
// run's grid (mask, corners, size, cell size, no-data value), its scale
// and its number of decimals.
void map_series_bind(map_series& w, const model_state& s, const double* values, double scale, int decimals);

// Builds an empty writer in place; allocates nothing.
map_series& map_series_construct(map_series& w);

// Closes the file; writes no end marker.
void map_series_destroy(map_series& w);

// Stores the format, prefix, base, extension and name, then opens the
// dataset file prefix + base with its header (formats 2 and 3). A file that
// cannot be opened stores code 59 with its name and the raised flag.
void map_series_open(map_series& w, int format, const std::string& prefix, const std::string& base,
                     const std::string& ext, int object_id, const std::string& name, const model_state& s);

// Writes one output time in the writer's format. A per-time grid that cannot
// be opened prints its message and stops the run (code 4000); the number of
// the grid is then kept for the next try.
void map_series_write(map_series& w, double time);

// Ends an open dataset file with its end marker and closes it, so the marker
// is written once; a writer without an open dataset file is left alone.
void map_series_end(map_series& w);

// Grows a row array of writers by n rows (the width defaults to 2); every
// new row holds width + 1 writers built by map_series_construct.
void map_series_row_array_add_rows(row_array<map_series>& a, int n);

// After a successful verification destroys the writers of every owned row
// and releases the rows and tables; adopted rows are left alone.
void map_series_row_array_destroy(row_array<map_series>& a);

// ---- dataset files ----------------------------------------------------------

// Open the file for writing and write the header of an ASCII (text) or
// binary dataset of a rows x cols grid. False, with code 59, the file name
// and the raised flag in the error record, when the file cannot be opened.
bool write_ascii_dataset_header(const std::string& path, file_rec& rec, int object_id,
                                const std::string& name, int rows, int cols);
bool write_binary_dataset_header(const std::string& path, file_rec& rec, int object_id,
                                 const std::string& name, int rows, int cols);

// Appends one time step: the statuses of the full grid (1 active, 0 not),
// then the values (the cell's value, 0 outside). A null stream writes nothing.
void write_dataset_step(std::FILE* fp, double time, int rows, int cols, const imat& mask,
                        const double* values, int binary);

// Ends an open dataset file ("ENDDS" or the 4-byte 210) and closes it; a
// closed record is left alone.
void write_dataset_end(file_rec& rec, int binary);
