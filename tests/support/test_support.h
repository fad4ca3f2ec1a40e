// Helpers shared by the tests: scratch folders, running the program,
// reading files, counting open descriptors.
#pragma once

#include <string>

namespace torva_test {

// A fresh empty folder under the system's temporary folder, removed when
// the object goes away.
class scratch_dir {
public:
    explicit scratch_dir(const std::string& tag);
    ~scratch_dir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs a shell command; returns its exit status and its standard output.
int run_command(const std::string& command, std::string& output);

// Path of the torva executable.
std::string torva_exe();

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);

// Writes a 2 x 2 uniform-rain project with its mask and elevation grids into
// the folder; extra cards are appended. Returns the project's path.
std::string write_tiny_project(const std::string& folder, const std::string& extra_cards = "");

// The cards of that project (without header and folder card).
extern const char* const tiny_project_cards;

// Number of open file descriptors of this process.
int open_descriptor_count();

} // namespace torva_test
