#include "core/check_count.h"

#include "core/error_state.h"

long long stream_bytes_left(std::FILE* fp)
{
    if (!fp)
        return -1;
    const long here = std::ftell(fp);
    if (here < 0 || std::fseek(fp, 0, SEEK_END) != 0)
        return -1;
    const long end = std::ftell(fp);
    std::fseek(fp, here, SEEK_SET);
    return end < here ? -1 : static_cast<long long>(end - here);
}

bool check_count(long long count, const count_field& field, const std::string& file, int line,
                 std::FILE* fp)
{
    char cause[160] = {};
    if (count < field.low || count > field.high) {
        std::snprintf(cause, sizeof cause, "lies outside %lld to %lld", field.low, field.high);
    } else if (fp && field.min_bytes_per_item > 0) {
        const long long left = stream_bytes_left(fp);
        if (left >= 0 && count > left / field.min_bytes_per_item)
            std::snprintf(cause, sizeof cause, "is more than the %lld characters left in the file can hold", left);
    }
    if (!cause[0])
        return true;
    std::printf("Error: file %s, line %d: the %s %lld %s.\n", file.c_str(), line, field.name, count, cause);
    error_set(err_stop);
    report_error(error_state);
    return false;
}
