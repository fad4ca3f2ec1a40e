#include "core/file_rec.h"

#include <cstdio>

#include "core/platform.h"

namespace {

void report_corrupt(const file_rec& rec)
{
    std::printf("\n\n\nError with the file %s. The file pointer is corrupt.\n\n\n\n", rec.name.c_str());
}

void clear_fields(file_rec& rec)
{
    rec.fp = nullptr;
    rec.fp_check = nullptr;
    rec.name.clear();
    rec.mode.clear();
    rec.line_no = 0;
}

} // namespace

file_rec::~file_rec()
{
    file_rec_release(*this);
}

file_rec& file_rec_init(file_rec& rec)
{
    clear_fields(rec);
    return rec;
}

bool file_rec_open(file_rec& rec, std::string& name, const char* mode)
{
    if (rec.fp != rec.fp_check) report_corrupt(rec);
    if (name.empty() || !mode) return false;
    const char first = mode[0];
    if (first != 'w' && first != 'a' && first != 'r') return false;
    if (std::char_traits<char>::length(mode) > static_cast<size_t>(file_mode_capacity)) return false;

    if (rec.fp) {
        std::printf("\n\nError!!!!!!! opening a file when the previous file was not closed.\n"
                    "Original file: %s\nNew file: %s\n\n\n",
                    rec.name.c_str(), name.c_str());
        // The earlier stream is closed rather than forgotten, so repeated
        // runs cannot run out of file handles.
        std::fclose(rec.fp);
        clear_fields(rec);
    }

    std::string resolved;
    resolve_file_name(name, mode, resolved);
    if (resolved.size() > static_cast<size_t>(file_name_capacity)) {
        std::printf("Error.... name too long!!!\n\n\n");
        return false;
    }
    if (resolved.empty() || folder_exists(resolved)) return false; // a folder: the resolver said so

    std::FILE* f = std::fopen(resolved.c_str(), mode);
    if (!f) {
        rec.fp = nullptr;
        rec.fp_check = nullptr;
        return false;
    }
    rec.fp = f;
    rec.fp_check = f;
    rec.line_no = 0;
    rec.name = resolved;
    rec.mode = mode;
    return true;
}

bool file_rec_open(file_rec& rec, const std::string& name, const char* mode)
{
    std::string copy = name;
    return file_rec_open(rec, copy, mode);
}

int file_rec_close(file_rec& rec)
{
    if (rec.fp != rec.fp_check) report_corrupt(rec);
    if (rec.fp) std::fclose(rec.fp);
    clear_fields(rec);
    return 0;
}

int file_rec_release(file_rec& rec)
{
    if (!rec.fp) return 0;
    if (rec.fp != rec.fp_check) report_corrupt(rec);
    std::fclose(rec.fp);
    clear_fields(rec);
    return 0;
}
