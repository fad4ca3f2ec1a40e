#include "core/file_rec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/error_state.h"
#include "core/platform.h"

namespace {

// The records open for writing or appending, so that their writes can be
// checked together. Records are not copied or moved while open, and files
// are opened and closed on the main thread only.
std::vector<file_rec*>& open_writes()
{
    static std::vector<file_rec*> records;
    return records;
}

bool writes_to(const file_rec& rec)
{
    return !rec.mode.empty() && (rec.mode[0] == 'w' || rec.mode[0] == 'a');
}

void forget_write(file_rec& rec)
{
    auto& v = open_writes();
    v.erase(std::remove(v.begin(), v.end(), &rec), v.end());
}

// Reports a failed write of the record once and stops the run.
void report_write_failure(file_rec& rec, int err)
{
    if (rec.write_failed)
        return;
    rec.write_failed = true;
    if (err != 0)
        std::printf("Error: writing to the file %s failed: %s.\n", rec.name.c_str(), std::strerror(err));
    else
        std::printf("Error: writing to the file %s failed.\n", rec.name.c_str());
    std::fflush(stdout);
    error_set(err_stop);
    error_state.raised = 1;
}

// Flushes a stream open for writing and tests its error flag; the error
// number of a flush that failed now, or 0 when the flag was set earlier.
bool flush_ok(std::FILE* fp, int& err)
{
    errno = 0;
    const int r = std::fflush(fp);
    err = r != 0 ? errno : 0;
    return r == 0 && !std::ferror(fp);
}

// Closes the stream; a file written through the record is checked first.
void close_stream(file_rec& rec)
{
    int err = 0;
    bool ok = true;
    if (writes_to(rec)) {
        ok = flush_ok(rec.fp, err);
        forget_write(rec);
    }
    errno = 0;
    if (std::fclose(rec.fp) != 0 && ok) {
        ok = !writes_to(rec);
        err = errno;
    }
    if (!ok)
        report_write_failure(rec, err);
}

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
    rec.write_failed = false;
}

} // namespace

file_rec::~file_rec()
{
    file_rec_release(*this);
    forget_write(*this); // a record cleared behind its back is watched no longer
}

file_rec& file_rec_init(file_rec& rec)
{
    forget_write(rec);
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
        close_stream(rec);
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
    rec.write_failed = false;
    rec.name = resolved;
    rec.mode = mode;
    if (writes_to(rec))
        open_writes().push_back(&rec);
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
    if (rec.fp) close_stream(rec);
    clear_fields(rec);
    return 0;
}

int file_rec_release(file_rec& rec)
{
    if (!rec.fp) return 0;
    if (rec.fp != rec.fp_check) report_corrupt(rec);
    close_stream(rec);
    clear_fields(rec);
    return 0;
}

void file_rec_hand_over(file_rec& dst, file_rec& src)
{
    dst.fp = src.fp;
    dst.fp_check = src.fp_check;
    dst.name = std::move(src.name);
    dst.mode = std::move(src.mode);
    dst.line_no = src.line_no;
    dst.write_failed = src.write_failed;
    for (file_rec*& r : open_writes())
        if (r == &src)
            r = &dst;
    clear_fields(src);
}

bool file_rec_flush(file_rec& rec)
{
    if (!rec.fp || !writes_to(rec))
        return true;
    int err = 0;
    if (flush_ok(rec.fp, err))
        return true;
    report_write_failure(rec, err);
    return false;
}

bool file_rec_flush_all_writes()
{
    bool ok = true;
    for (file_rec* rec : open_writes())
        ok = file_rec_flush(*rec) && ok;
    return ok;
}

bool file_rec_writes_ok()
{
    bool ok = true;
    for (file_rec* rec : open_writes())
        if (rec->fp && std::ferror(rec->fp)) {
            int err = 0;
            flush_ok(rec->fp, err); // for the reason, when the flush tells it
            report_write_failure(*rec, err);
            ok = false;
        }
    return ok;
}
