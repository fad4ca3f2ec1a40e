#include "input/replace_params.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "core/check_count.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "input/card_table.h"

std::vector<replace_param> replace_param_list;
int replace_on = 0;
int replace_count = 0;

namespace {

// One line without substitution; the line end (LF or CR LF) is removed.
bool read_plain_line(std::FILE* f, std::string& line)
{
    const bool any = read_raw_line(f, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

// The count of the list file sizes the list: it is checked against the
// characters left after it, each declaration taking at least four ("[]%d").
constexpr count_field list_count_field{"number of parameters", 0, 1000000000, 4};

// The count line of the list file: a decimal integer after optional white
// space, ending at white space or the end of the file; the white space
// after it (empty lines included) is skipped. The count's text is kept.
num_status read_count(std::FILE* f, int& n, std::string& text)
{
    int ch;
    do {
        ch = std::fgetc(f);
    } while (ch != EOF && std::isspace(ch));
    text.clear();
    while (ch != EOF && !std::isspace(ch)) {
        if (text.size() < 40) text += static_cast<char>(ch);
        ch = std::fgetc(f);
    }
    while (ch != EOF && std::isspace(ch)) ch = std::fgetc(f);
    if (ch != EOF) std::ungetc(ch, f);
    return parse_int_strict(text, n);
}

// Type from the letters d, f and s of the format, the last one deciding;
// -1 when there is none.
int type_from_format(const std::string& format)
{
    int type = -1;
    for (char c : format) {
        if (c == 'd') type = replace_int;
        if (c == 'f') type = replace_real;
        if (c == 's') type = replace_string;
    }
    return type;
}

const char* type_name(int type)
{
    switch (type) {
    case replace_int:
        return "integer";
    case replace_real:
        return "real";
    default:
        return "string";
    }
}

void print_bad_format(const replace_param& p)
{
    std::printf("Error: the format \"%s\" of replacement parameter %s must hold exactly one "
                "conversion of type %s.\n",
                p.format.c_str(), p.key.c_str(), type_name(p.type));
}

// Characters the value takes when printed with its format; -1 when the
// format cannot be used.
int printed_length(const replace_param& p)
{
    if (!replace_format_ok(p.format, p.type)) return -1;
    switch (p.type) {
    case replace_int:
        return std::snprintf(nullptr, 0, p.format.c_str(), p.value_int);
    case replace_real:
        return std::snprintf(nullptr, 0, p.format.c_str(), p.value_real);
    default:
        return std::snprintf(nullptr, 0, p.format.c_str(), p.value_text.c_str());
    }
}

// The value printed with its format (the format has been checked).
std::string printed_value(const replace_param& p, int length)
{
    std::string out(static_cast<std::size_t>(length) + 1, '\0');
    switch (p.type) {
    case replace_int:
        std::snprintf(&out[0], out.size(), p.format.c_str(), p.value_int);
        break;
    case replace_real:
        std::snprintf(&out[0], out.size(), p.format.c_str(), p.value_real);
        break;
    default:
        std::snprintf(&out[0], out.size(), p.format.c_str(), p.value_text.c_str());
        break;
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// Writes the value with its format to a stream; nothing for a format that
// cannot be used.
void write_value(std::FILE* f, const replace_param& p)
{
    if (!replace_format_ok(p.format, p.type)) return;
    switch (p.type) {
    case replace_int:
        std::fprintf(f, p.format.c_str(), p.value_int);
        break;
    case replace_real:
        std::fprintf(f, p.format.c_str(), p.value_real);
        break;
    default:
        std::fprintf(f, p.format.c_str(), p.value_text.c_str());
        break;
    }
}

void stop_run()
{
    error_set(err_stop);
}

} // namespace

bool replace_format_ok(const std::string& format, int type)
{
    int conversions = 0;
    char conversion = 0;
    std::string length;
    const std::size_t n = format.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (format[i] != '%') continue;
        if (i + 1 < n && format[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < n && (format[j] == '-' || format[j] == '+' || format[j] == ' ' || format[j] == '#' ||
                         format[j] == '0'))
            ++j;
        while (j < n && std::isdigit(static_cast<unsigned char>(format[j]))) ++j;
        if (j < n && format[j] == '.') {
            ++j;
            while (j < n && std::isdigit(static_cast<unsigned char>(format[j]))) ++j;
        }
        length.clear();
        while (j < n && (format[j] == 'l' || format[j] == 'h' || format[j] == 'L' || format[j] == 'j' ||
                         format[j] == 'z' || format[j] == 't' || format[j] == 'q'))
            length += format[j++];
        if (j >= n) return false;
        conversion = format[j];
        ++conversions;
        i = j;
    }
    if (conversions != 1) return false;
    const auto one_of = [conversion](const char* set) {
        return std::string(set).find(conversion) != std::string::npos;
    };
    switch (type) {
    case replace_int:
        return length.empty() && one_of("di");
    case replace_real:
        return (length.empty() || length == "l") && one_of("fFeEgG");
    case replace_string:
        return length.empty() && conversion == 's';
    default:
        return false;
    }
}

void free_replace_params()
{
    std::vector<replace_param>().swap(replace_param_list);
}

int parse_replace_param(const std::string& line)
{
    const std::size_t open = line.rfind('[');
    const std::size_t close = line.rfind(']');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        std::printf("Error: Improperly formatted line in the replacement parameter file\nline:%s\n",
                    line.c_str());
        return -1;
    }
    replace_param p;
    p.key = line.substr(open, close - open + 1);
    std::string rest = line.substr(close + 1);
    pop_token(rest, p.format);
    const int type = type_from_format(p.format);
    if (type < 0) {
        std::printf("Error: Improperly formatted line in the replacement parameter file\nline:%s\n",
                    line.c_str());
        std::printf("---> The format must be a C-style format in quotes, such as \"%%4.2lf\"\n");
        return -1;
    }
    p.type = type;
    if (p.key.size() > static_cast<std::size_t>(replace_key_limit)) {
        std::printf("Error: the replacement parameter %s is longer than %d characters.\n", p.key.c_str(),
                    replace_key_limit);
        return -1;
    }
    if (p.format.size() > static_cast<std::size_t>(replace_format_limit)) {
        std::printf("Error: the format \"%s\" of replacement parameter %s is longer than %d characters.\n",
                    p.format.c_str(), p.key.c_str(), replace_format_limit);
        return -1;
    }
    if (!replace_format_ok(p.format, p.type)) {
        print_bad_format(p);
        return -1;
    }
    p.key_len = static_cast<int>(p.key.size());
    replace_param_list.push_back(std::move(p));
    return 0;
}

int read_replace_params(const std::string& file_name)
{
    free_replace_params();
    file_rec rec;
    if (!file_rec_open(rec, file_name, "r")) {
        std::printf("Error: unable to open the replace parameter file.\n");
        std::printf("Error: the replacement parameter file %s cannot be opened.\n", file_name.c_str());
        stop_run();
        return -1;
    }
    int n = 0;
    std::string count_text;
    const num_status st = read_count(rec.fp, n, count_text);
    if (st != num_status::ok) {
        std::printf("Error: unable to read the number of parameters in the parameter list file\n");
        std::printf("Error: line 1 of the replacement parameter file %s: the number of parameters \"%s\" %s.\n",
                    rec.name.c_str(), count_text.c_str(), num_status_text(st));
        file_rec_close(rec);
        stop_run();
        return -1;
    }
    if (!check_count(n, list_count_field, rec.name, 1, rec.fp)) {
        file_rec_close(rec);
        stop_run();
        return -1;
    }
    int read = 0;
    bool refused = false;
    std::string line;
    const std::string name = rec.name;
    while (read < n && read_plain_line(rec.fp, line)) {
        ++read;
        const std::size_t before = replace_param_list.size();
        bool bad = parse_replace_param(line) != 0;
        // A key declared twice would take the first declaration's value.
        for (std::size_t k = 0; !bad && k < before; ++k)
            if (replace_param_list[k].key == replace_param_list.back().key) {
                std::printf("Error: the replacement parameter %s is declared twice.\n",
                            replace_param_list.back().key.c_str());
                replace_param_list.pop_back();
                bad = true;
                break;
            }
        if (bad) {
            std::printf("Error: declaration %d of the replacement parameter file %s is refused.\n", read,
                        name.c_str());
            refused = true;
        }
    }
    file_rec_close(rec);
    if (read < n) {
        std::printf("Error: unexpected end of parameter list file after %d parameters. Expecting %d\n",
                    read, n);
        std::printf("Error: the replacement parameter file %s declares %d parameters on line 1 but holds %d.\n",
                    name.c_str(), n, read);
        stop_run();
        return -1;
    }
    if (refused) {
        stop_run();
        return -1;
    }
    return 0;
}

int read_replace_values(const std::string& file_name)
{
    if (replace_line_index < 0) {
        std::printf("Error: REPLACE_LINE must be 1 or more.\n");
        stop_run();
        return -1;
    }
    file_rec rec;
    if (!file_rec_open(rec, file_name, "r")) {
        std::printf("Error: unable to open the value file %s", file_name.c_str());
        stop_run();
        return -1;
    }
    std::string line;
    int lines = 0;
    while (lines <= replace_line_index && read_plain_line(rec.fp, line)) ++lines;
    file_rec_close(rec);
    if (lines == 0) {
        std::printf("Error: the value file %s is empty.\n", file_name.c_str());
        stop_run();
        return -1;
    }
    if (lines <= replace_line_index) {
        std::printf("Error: the value file %s holds %d lines; line %d was asked for.\n", file_name.c_str(),
                    lines, replace_line_index + 1);
        stop_run();
        return -1;
    }
    for (replace_param& p : replace_param_list) {
        switch (p.type) {
        case replace_int:
            pop_int(line, p.value_int);
            break;
        case replace_real:
            pop_double(line, p.value_real);
            break;
        default:
            pop_token(line, p.value_text);
            if (p.value_text.size() > static_cast<std::size_t>(replace_text_limit)) {
                std::printf("Error: the value of replacement parameter %s is longer than %d characters.\n",
                            p.key.c_str(), replace_text_limit);
                p.value_text.clear();
                stop_run();
                return -1;
            }
            break;
        }
        p.used = 0;
    }
    replace_count = 0;
    replace_on = 1;
    return 0;
}

int replace_pair(std::string& line, int& position, int capacity)
{
    if (position < 0 || static_cast<std::size_t>(position) >= line.size()) return 0;
    const auto pos = static_cast<std::size_t>(position);
    for (replace_param& p : replace_param_list) {
        if (p.key.empty() || line.compare(pos, p.key.size(), p.key) != 0) continue;
        const int length = printed_length(p);
        if (length < 0) {
            print_bad_format(p);
            stop_run();
            return -1;
        }
        const std::size_t new_size = line.size() - p.key.size() + static_cast<std::size_t>(length);
        if (capacity < 0 || new_size > static_cast<std::size_t>(capacity)) {
            std::printf("Error: replacing %s would make the line longer than %d characters.\n",
                        p.key.c_str(), capacity);
            stop_run();
            return -1;
        }
        line.replace(pos, p.key.size(), printed_value(p, length));
        ++replace_count;
        p.used = 1;
        position += length - 1;
        return 1;
    }
    return 0;
}

bool replace_pairs_in_line(std::string& line, int capacity)
{
    bool fits = true;
    for (int i = 0; static_cast<std::size_t>(i) < line.size(); ++i) {
        if (line[static_cast<std::size_t>(i)] != '[') continue;
        const int result = replace_pair(line, i, capacity);
        if (result == 0) std::printf("Error: unable to match replace pair: %s\n", line.c_str());
        if (result < 0) fits = false;
    }
    return fits;
}

void report_print(const char* format, ...)
{
    if (super_quiet_on) return;
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}

void print_replace_values(const file_rec& log, bool to_screen)
{
    std::FILE* f = log.fp;
    if (f) std::fputs("\nUsing replacement values:\n", f);
    if (to_screen) report_print("\nUsing replacement values:\n");
    for (const replace_param& p : replace_param_list) {
        if (f) {
            std::fprintf(f, "  %-14s = ", p.key.c_str());
            write_value(f, p);
            std::fputs("\n", f);
        }
        if (to_screen && !super_quiet_on) {
            std::printf(" %-14s = ", p.key.c_str());
            write_value(stdout, p);
            std::fputs("\n", stdout);
        }
    }
    if (f) std::fputs("\n", f);
    if (to_screen) report_print("\n");
}

void print_replace_usage(const file_rec& log, bool to_screen)
{
    std::FILE* f = log.fp;
    if (f) {
        std::fprintf(f, "\nTotal times a value was replaced: %d\n\n", replace_count);
        std::fputs("\nWas replacement value used?:\n", f);
    }
    if (to_screen) {
        report_print("\nTotal times a value was replaced: %d\n\n", replace_count);
        report_print("\nWas replacement value used?:\n");
    }
    for (const replace_param& p : replace_param_list) {
        const char* answer = p.used ? "Yes\n" : "No\n";
        if (f) std::fprintf(f, "  %-14s = %s", p.key.c_str(), answer);
        if (to_screen) report_print(" %-14s = %s", p.key.c_str(), answer);
    }
    if (f) std::fputs("\n", f);
    if (to_screen) report_print("\n");
    replace_count = 0;
}
