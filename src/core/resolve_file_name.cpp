// The name resolver: quotes stripped, run prefix for files written in
// numbered runs, and the probe order between the output folder, the bare
// name and the project folder. The process's working directory is never
// changed; folders are joined to names instead.
#include "core/file_rec.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/platform.h"
#include "core/text_parse.h"

std::string project_dir;
std::string output_dir;
int output_dir_set = 0;
int run_number = 0;
int run_number_prefix = 0;
int replace_line_index = 0;

namespace {

// The first candidate of the current resolution that named a folder.
std::string folder_met;

// The candidates probed by the current resolution, and the names and
// candidates of the last one that failed.
std::vector<std::string> probed;
std::string failed_name, failed_candidate;
std::vector<std::string> failed_probes;

// Opens a candidate with the real mode and closes it at once. A folder is
// never a file (reading one would give an empty file on some systems).
bool probe(const std::string& candidate, const char* mode)
{
    if (candidate.empty() || candidate.size() > static_cast<size_t>(file_name_capacity)) return false;
    if (std::find(probed.begin(), probed.end(), candidate) == probed.end())
        probed.push_back(candidate);
    if (folder_exists(candidate)) {
        if (folder_met.empty()) folder_met = candidate;
        return false;
    }
    std::FILE* f = std::fopen(candidate.c_str(), mode);
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool starts_with(const std::string& s, const std::string& prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

void reset_file_name_globals()
{
    project_dir.clear();
    output_dir.clear();
    output_dir_set = 0;
    run_number = 0;
    run_number_prefix = 0;
    replace_line_index = 0;
}

void set_output_folder(const std::string& folder)
{
    output_dir = folder;
    // An empty folder stays empty: a lone separator would send every
    // output to the root of the file system.
    if (!output_dir.empty() && output_dir.back() != folder_separator) output_dir += folder_separator;
    output_dir_set = 1;
}

void set_project_path(std::string& path)
{
    if (path.empty()) return;
    if (path.back() != folder_separator) path += folder_separator;
    project_dir = path;
}

void make_output_subfolder(const std::string& folder, std::string& out)
{
    out = folder;
    if (project_dir.empty() || !starts_with(folder, project_dir)) return;
    out = folder.substr(project_dir.size());
    const std::string full = project_dir + out;
    if (!folder_exists(full) && !make_folder(full)) out.clear();
    set_output_folder(out);
    out = output_dir;
}

bool make_write_folder(const std::string& folder)
{
    std::string bare = folder;
    while (bare.size() > 1 && (bare.back() == folder_separator || bare.back() == '\\'))
        bare.pop_back();
    if (bare.empty())
        return true;
    std::string sub;
    make_output_subfolder(output_dir, sub);
    const std::string places[] = {project_dir + sub + bare, bare, project_dir + bare};
    for (const std::string& p : places)
        if (folder_exists(p))
            return true;
    for (const std::string& p : places)
        if (make_folder(p))
            return true;
    return false;
}

bool find_file_in_folders(const std::string& folder, const std::string& name, const char* mode,
                          bool write, std::string& out)
{
    std::string sub;
    if (write) {
        make_output_subfolder(folder, sub);
        out = project_dir + sub + name;
        if (probe(out, mode)) return true;
        out = name;
        if (probe(out, mode)) return true;
        out = project_dir + name;
        return probe(out, mode);
    }
    out = name;
    if (probe(out, mode)) return true;
    make_output_subfolder(folder, sub);
    out = project_dir + sub + name;
    return probe(out, mode);
}

std::string looked_for_line(const std::string& name)
{
    std::string bare = name;
    strip_quotes(bare);
    if (bare.empty())
        return "  No file name was given.\n";
    std::vector<std::string> paths = {bare};
    if ((bare == failed_name || bare == failed_candidate) && !failed_probes.empty())
        paths = failed_probes;
    std::string line = "  Looked for:";
    std::vector<std::string> seen;
    for (const std::string& p : paths) {
        const std::string full = absolute_path(p);
        if (std::find(seen.begin(), seen.end(), full) != seen.end())
            continue;
        line += (seen.empty() ? " " : ", ") + full;
        seen.push_back(full);
    }
    return line + "\n";
}

void resolve_file_name(std::string& name, const char* mode, std::string& out)
{
    out.clear();
    strip_quotes(name);
    if (name.empty() || !mode) return;
    const bool write = mode[0] == 'w' || mode[0] == 'a';
    std::string candidate;
    if (run_number_prefix && write) {
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%04d_", run_number);
        candidate = prefix + name;
    } else {
        candidate = name;
    }
    folder_met.clear();
    probed.clear();
    if (!find_file_in_folders(output_dir, candidate, mode, write, out)) {
        failed_name = name;
        failed_candidate = candidate;
        failed_probes = probed;
        std::printf("Error getting new filename from %s\n", candidate.c_str());
        std::fputs(looked_for_line(candidate).c_str(), stdout);
        if (!folder_met.empty())
            std::printf("Error: %s names a folder where a file is expected.\n", folder_met.c_str());
    }
}
