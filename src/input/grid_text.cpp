#include "input/grid_text.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/error_state.h"

namespace
{

bool is_space(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void skip_space(std::FILE* fp)
{
    int ch;
    while ((ch = std::getc(fp)) != EOF)
        if (!is_space(ch)) {
            std::ungetc(ch, fp);
            return;
        }
}

// Reads up to max_len characters of the next word (no white space skipped);
// the character that ends it is put back.
std::string read_word(std::FILE* fp, std::size_t max_len)
{
    std::string w;
    int ch;
    while (w.size() < max_len && (ch = std::getc(fp)) != EOF) {
        if (is_space(ch)) {
            std::ungetc(ch, fp);
            break;
        }
        w += static_cast<char>(ch);
    }
    return w;
}

bool whole_real(const std::string& w, double& out)
{
    return parse_double_strict(w, out) == num_status::ok;
}

bool whole_int(const std::string& w, int& out)
{
    if (w.empty())
        return false;
    char* end = nullptr;
    const long long v = std::strtoll(w.c_str(), &end, 10);
    if (end != w.c_str() + w.size() || v < INT_MIN || v > INT_MAX)
        return false;
    out = static_cast<int>(v);
    return true;
}

const double exact_powers_of_ten[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

} // namespace

bool read_any_line(std::FILE* fp, std::string& line)
{
    line.clear();
    if (!fp)
        return false;
    char buf[65536];
    bool any = false;
    while (std::fgets(buf, sizeof buf, fp)) {
        any = true;
        const std::size_t n = std::strlen(buf);
        line.append(buf, n);
        if (n > 0 && buf[n - 1] == '\n')
            break;
    }
    if (!any)
        return false;
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

int read_grid_header(std::FILE* fp, grid_header& h)
{
    static const std::size_t label_width[6] = {6, 6, 5, 5, 5, 5};
    double* reals[4] = {&h.north, &h.south, &h.east, &h.west};
    int* ints[2] = {&h.rows, &h.cols};
    for (int k = 0; k < 6; ++k) {
        skip_space(fp);
        if (read_word(fp, label_width[k]).empty())
            return k + 1;
        skip_space(fp);
        const std::string value = read_word(fp, std::string::npos);
        const bool good = k < 4 ? whole_real(value, *reals[k]) : whole_int(value, *ints[k - 4]);
        if (!good)
            return k + 1;
    }
    skip_space(fp);
    if (h.north < h.south)
        return grid_north_below_south;
    if (h.east < h.west)
        return grid_east_below_west;
    return 0;
}

void print_bad_grid_header(const std::string& map_name, int position, const grid_header& h)
{
    if (position == grid_north_below_south || position == grid_east_below_west) {
        const bool ns = position == grid_north_below_south;
        std::printf("Error: the header of map %s puts the %s edge (%.6g) below the %s edge (%.6g).\n",
                    map_name.c_str(), ns ? "north" : "east", ns ? h.north : h.east, ns ? "south" : "west",
                    ns ? h.south : h.west);
        return;
    }
    static const char* const names[6] = {"north edge", "south edge", "east edge",
                                         "west edge",  "rows",       "cols"};
    const char* field = position >= 1 && position <= 6 ? names[position - 1] : "header";
    const char* kind = position >= 5 ? "an integer" : "a number";
    std::printf("Error: the header of map %s does not give the %s as %s after its label.\n", map_name.c_str(),
                field, kind);
}

num_status word_real_strict(const char* begin, const char* end, double& out)
{
    // Plain decimals of at most 15 digits are converted exactly here (the
    // digits and the power of ten are both exact doubles, so one division
    // rounds correctly); everything else goes to strtod.
    const char* p = begin;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    bool point = false;
    for (; p < end; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            ++digits;
            if (point)
                ++fraction;
            if (digits > 15)
                break;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (p == end && digits > 0 && digits <= 15) {
        const double v = static_cast<double>(mantissa) / exact_powers_of_ten[fraction];
        out = negative ? -v : v;
        return num_status::ok;
    }
    return parse_double_strict(std::string_view(begin, static_cast<std::size_t>(end - begin)), out);
}

int line_before_position(std::FILE* fp)
{
    const long here = fp ? std::ftell(fp) : -1;
    if (here <= 0)
        return here == 0 ? 1 : 0;
    std::rewind(fp);
    int lines = 0;
    int ch = '\n';
    for (long i = 0; i < here && (ch = std::getc(fp)) != EOF; ++i)
        lines += ch == '\n';
    std::fseek(fp, here, SEEK_SET);
    // A line ended by its newline was counted; one cut by the end of the file not.
    return ch == '\n' ? lines : lines + 1;
}

bool blank_text(std::string_view text)
{
    for (const char c : text)
        if (!is_space(c))
            return false;
    return true;
}

bool text_beyond_grid(std::string_view text, const std::string& name, int line_no, int rows, int cols)
{
    if (blank_text(text))
        return false;
    std::size_t at = 0;
    while (is_space(text[at]))
        ++at;
    std::size_t end = at;
    while (end < text.size() && !is_space(text[end]) && end - at < 40)
        ++end;
    const std::string found(text.substr(at, end - at));
    std::printf("Error: map %s, line %d: \"%s\" lies beyond the %d rows of %d values that its header gives.\n",
                name.c_str(), line_no, found.c_str(), rows, cols);
    error_set(err_stop);
    report_error(error_state);
    return true;
}

bool grid_ends_after_values(std::FILE* fp, const std::string& name, std::string_view rest, int rows, int cols)
{
    int line_no = line_before_position(fp);
    std::string line(rest);
    do {
        if (text_beyond_grid(line, name, line_no, rows, cols))
            return false;
        ++line_no;
    } while (read_any_line(fp, line));
    return true;
}

int_scanner::result int_scanner::next(int& value)
{
    for (;;) {
        while (pos_ < line_.size() && is_space(line_[pos_]))
            ++pos_;
        if (pos_ < line_.size())
            break;
        if (!read_any_line(fp_, line_))
            return end_of_file;
        pos_ = 0;
    }
    const std::size_t begin = pos_;
    while (pos_ < line_.size() && !is_space(line_[pos_]))
        ++pos_;
    const char* p = line_.data() + begin;
    const char* e = line_.data() + pos_;
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    long long v = 0;
    bool good = p < e;
    for (; p < e && good; ++p) {
        if (*p < '0' || *p > '9') {
            good = false;
            break;
        }
        v = v * 10 + (*p - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            good = false;
    }
    if (negative)
        v = -v;
    if (!good || v > INT_MAX || v < INT_MIN) {
        bad_.assign(line_, begin, pos_ - begin);
        return not_integer;
    }
    value = static_cast<int>(v);
    return ok;
}
