#include "input/word_reader.h"

#include <cctype>

#include "core/error_state.h"
#include "core/text_parse.h"

namespace
{

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

// The common refusal: "Error: file F, line L, entry E: the FIELD "W" is not a number."
void refuse(const word_reader& in, const std::string& file, int entry, const num_field& field,
            const std::string& word, const char* what)
{
    std::printf("Error: file %s, line %d, entry %d: the %s \"%s\" %s.\n", file.c_str(), in.line(), entry, field.name,
                word.c_str(), what);
    stop_run();
}

template <class T, class Parse>
field_result read_field(word_reader& in, const std::string& file, int entry, const num_field& field, T& out,
                        Parse parse)
{
    std::string word;
    if (!in.next(word))
        return field_result::end_of_file;
    T v{};
    const num_status st = parse(word, v);
    if (st != num_status::ok) {
        refuse(in, file, entry, field, word, num_status_text(st));
        return field_result::refused;
    }
    if (static_cast<double>(v) < field.low || static_cast<double>(v) > field.high) {
        char range[96];
        std::snprintf(range, sizeof range, "lies outside %g to %g", field.low, field.high);
        refuse(in, file, entry, field, word, range);
        return field_result::refused;
    }
    out = v;
    return field_result::ok;
}

} // namespace

bool word_reader::next(std::string& word)
{
    word.clear();
    int ch = 0;
    while ((ch = std::fgetc(fp_)) != EOF && std::isspace(ch))
        if (ch == '\n')
            ++line_;
    if (ch == EOF)
        return false;
    word_line_ = line_;
    do {
        word.push_back(static_cast<char>(ch));
    } while ((ch = std::fgetc(fp_)) != EOF && !std::isspace(ch));
    if (ch == '\n')
        ++line_;
    return true;
}

field_result read_int_field(word_reader& in, const std::string& file, int entry, const num_field& field, int& out)
{
    return read_field(in, file, entry, field, out,
                      [](const std::string& w, int& v) { return parse_int_strict(w, v); });
}

field_result read_real_field(word_reader& in, const std::string& file, int entry, const num_field& field,
                             double& out)
{
    return read_field(in, file, entry, field, out,
                      [](const std::string& w, double& v) { return parse_double_strict(w, v); });
}

void refuse_early_end(const word_reader& in, const std::string& file, int entry, const num_field& field)
{
    std::printf("Error: file %s ends after line %d, before the %s of entry %d.\n", file.c_str(), in.line(),
                field.name, entry);
    stop_run();
}

bool file_ends_after_entries(word_reader& in, const std::string& file, int count)
{
    std::string word;
    if (!in.next(word))
        return true;
    std::printf("Error: file %s, line %d: \"%s\" follows the last of the %d entries the file announces.\n",
                file.c_str(), in.line(), word.c_str(), count);
    stop_run();
    return false;
}

std::string named_line_values(std::string_view line, const char* const* names, int count, int whole, double* out)
{
    for (int k = 0; k < count; ++k) {
        std::string_view before = line;
        num_status st;
        if (k < whole) {
            int i = 0;
            st = pop_int_strict(line, i);
            out[k] = i;
        } else {
            st = pop_double_strict(line, out[k]);
        }
        if (st == num_status::empty) {
            std::string all;
            for (int j = 0; j < count; ++j)
                all += std::string(j == 0 ? "" : j + 1 == count ? " and " : ", ") + names[j];
            return "the line holds " + std::to_string(k) + " of its " + std::to_string(count) + " numbers (" + all + ")";
        }
        if (st != num_status::ok) {
            std::string word;
            pop_token(before, word);
            return std::string("the ") + names[k] + " \"" + printable(word) + "\" " + num_status_text(st);
        }
    }
    std::string extra;
    if (pop_token(line, extra))
        return "\"" + printable(extra) + "\" follows the " + names[count - 1] + " at the end of the line";
    return std::string();
}
