// The file handle every reader and writer opens through, and the name
// resolver that decides where a file is read from or written to.
#pragma once

#include <cstdio>
#include <string>

constexpr int file_name_capacity = 1023; // longest resolved name
constexpr int file_mode_capacity = 4;    // longest open mode

struct file_rec {
    std::FILE* fp = nullptr;       // the open stream; null when closed
    std::FILE* fp_check = nullptr; // copy of fp, compared before each operation
    std::string name;              // resolved name that was opened
    std::string mode;              // open mode given by the caller
    int line_no = 0;               // lines read through read_line_rec since the open
    bool write_failed = false;     // a failed write of this open was reported

    file_rec() = default;
    ~file_rec();
    file_rec(const file_rec&) = delete;
    file_rec& operator=(const file_rec&) = delete;
};

// Clears all four fields.
file_rec& file_rec_init(file_rec& rec);

// Resolves the name and opens it. The caller's name loses its surrounding
// quotes. Reopening an open record closes its earlier stream first.
bool file_rec_open(file_rec& rec, std::string& name, const char* mode);
bool file_rec_open(file_rec& rec, const std::string& name, const char* mode);

// Explicit close: check, close, clear. Returns 0. A file written through the
// record whose writes or final flush failed is reported as below.
int file_rec_close(file_rec& rec);

// Destructor form: only an open record is checked, closed and cleared.
int file_rec_release(file_rec& rec);

// Hands the open stream of src over to dst (closed), leaving src closed, so
// that the stream is closed once, by its new holder (arrays of records that
// grow move their elements this way).
void file_rec_hand_over(file_rec& dst, file_rec& src);

// ---- writes that fail ----------------------------------------------------
// Writers do not check each write; the record checks what they wrote when it
// is flushed or closed. A failed write (a full disk, a file that cannot take
// more) prints "Error: writing to the file <name> failed ..." once per open
// and stops the run (code 4000, raised).

// Flushes a record open for writing; false after the report when the file
// did not take what was written. A closed record is fine.
bool file_rec_flush(file_rec& rec);

// Flushes every record open for writing; false when any failed.
bool file_rec_flush_all_writes();

// True when no record open for writing has seen a failed write since it was
// opened (reports each failed one); does not flush.
bool file_rec_writes_ok();

// ---- name resolver -------------------------------------------------------

// Folder separator used when folders are joined with names.
constexpr char folder_separator = '/';

extern std::string project_dir; // project folder ending with a separator, or empty
extern std::string output_dir;  // output folder ending with a separator, or empty
extern int output_dir_set;

// Run numbering of batch and calibration runs.
extern int run_number;        // printed as the "%04d_" prefix
extern int run_number_prefix; // non-zero: output names get the prefix
extern int replace_line_index; // 0-based line of the replacement-values file

// Fills out with the name to open (empty when the name is empty). When no
// candidate opens it prints "Error getting new filename from <name>" and the
// line of looked_for_line.
void resolve_file_name(std::string& name, const char* mode, std::string& out);

// The line that follows a message that a file could not be opened: where
// the run looked for it, "  Looked for: <path>[, <path>...]\n", each path
// from the root. The paths are the resolver's candidates when it last
// failed on that name, else the name taken from the working folder; an
// empty name gives "  No file name was given.\n".
std::string looked_for_line(const std::string& name);

// Probes the candidates for a name; true when one opened.
bool find_file_in_folders(const std::string& folder, const std::string& name, const char* mode,
                          bool write, std::string& out);

// The output folder relative to the project folder, created when missing.
void make_output_subfolder(const std::string& folder, std::string& out);

void set_output_folder(const std::string& folder);

// Makes sure that a folder which files are written into (a map prefix)
// exists where the resolver writes: true when it exists below the output
// folder of the project, in the working folder or in the project folder, or
// was created (one level: its parent must exist) in the first of these that
// takes it, as the output folder itself is. False when none does.
bool make_write_folder(const std::string& folder);

// Sets the project folder; a separator is appended to path when missing.
void set_project_path(std::string& path);

// Forgets the folders and the run numbering (tests).
void reset_file_name_globals();
