#include "core/platform.h"

#include "core/text_parse.h"

#include <omp.h>

#include <cstdlib>
#include <string_view>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace {
int processor_count_override = 0;
std::FILE* request_stream = nullptr;
} // namespace

double processor_clock_seconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

int processor_count()
{
    if (processor_count_override > 0) return processor_count_override;
    return omp_get_num_procs();
}

void platform_override_processor_count(int count)
{
    processor_count_override = count > 0 ? count : 0;
}

int default_thread_count()
{
    const char* value = std::getenv("OMP_NUM_THREADS");
    if (!value)
        return processor_count();
    // A list gives the counts of nested levels; the first is ours.
    std::string_view text(value);
    text = text.substr(0, text.find(','));
    int count = 0;
    if (parse_int_strict(text, count) == num_status::ok && count >= 1)
        return count;
    std::fprintf(stderr, "Warning: OMP_NUM_THREADS is not a whole number above 0; using every processor.\n");
    return processor_count();
}

void set_thread_count(int count)
{
    if (count > 0) omp_set_num_threads(count);
}

int thread_count()
{
    return omp_get_max_threads();
}

bool platform_getenv(const char* name, std::string& value)
{
    const char* v = std::getenv(name);
    if (!v) return false;
    value = v;
    return true;
}

std::FILE* platform_request_stream()
{
    return request_stream ? request_stream : stdin;
}

void platform_set_request_stream(std::FILE* stream)
{
    request_stream = stream;
}

bool folder_exists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

std::string absolute_path(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

bool make_folder(const std::string& path)
{
    std::error_code ec;
    if (path.empty()) return false;
    return std::filesystem::create_directory(path, ec) && !ec;
}
