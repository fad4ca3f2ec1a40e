// Which tables the stream mapping-table file holds: a table counts as
// present when its stream index map opens. One presence flag per table and
// a Y/N list on the screen.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/error_state.h"
#include "input/mapping_table_checks.h"
#include "input/stream_mapping.h"

namespace
{

struct stream_check {
    int id;
    int flag; // position in the flags
    const char* label;
};

// In the order they are checked.
const stream_check checks[stream_table_flag_count] = {
    {st_roughness, 0, "Roughness"},    {st_qbn_n, 1, "QBN Nitrogen"}, {st_qbn_p, 2, "QBN Phosphorus"},
    {st_qbn_c, 4, "QBN Carbon"},       {st_qbn_oth, 3, "QBN Other"},  {st_dispersion, 5, "Dispersion"},
};

void check_stream_table(int& flag, file_rec& file, int id, const char* label, int quiet)
{
    std::rewind(file.fp);
    std::string index_map;
    flag = 0;
    if (find_stream_index_map(file, id, index_map)) {
        file_rec map;
        flag = file_rec_open(map, index_map, "r") ? 1 : 0;
    }
    if (quiet == 1)
        return;
    std::printf("  %s", label);
    for (int i = static_cast<int>(std::strlen(label)); i < 35; ++i)
        std::fputc('.', stdout);
    std::fputs(flag ? "Y\n" : "N\n", stdout);
}

} // namespace

void check_stream_mapping_file(const std::string& name, int (&flags)[stream_table_flag_count], int quiet)
{
    file_rec file;
    if (!file_rec_open(file, name, "r")) {
        error_set(err_mapping_table_open, nullptr, name.c_str());
        report_error(error_state);
        return;
    }
    if (quiet != 1)
        std::printf("\nChecking stream mapping table file...\n");
    for (const stream_check& c : checks)
        check_stream_table(flags[c.flag], file, c.id, c.label, quiet);
    file_rec_close(file);
}
