#include "core/text_parse.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <climits>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "core/file_rec.h"

namespace {

// Separators of the value parsers.
bool is_value_sep(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\n';
}

// Separators of next_word: a comma belongs to the word.
bool is_word_sep(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

std::size_t skip_value_seps(std::string_view line, std::size_t i)
{
    while (i < line.size() && is_value_sep(line[i])) ++i;
    return i;
}

int read_line_stream(std::string& line, std::FILE* fp, int size)
{
    if (!fp || size < 2 || std::feof(fp)) return 0;
    thread_local std::vector<char> buf;
    if (buf.size() < static_cast<std::size_t>(size)) buf.resize(static_cast<std::size_t>(size));
    if (!std::fgets(buf.data(), size, fp)) return 0;
    line.assign(buf.data());
    const bool had_newline = !line.empty() && line.back() == '\n';
    if (had_newline) line.pop_back();
    if (!line.empty() && line.back() == '\r' && (had_newline || std::feof(fp))) line.pop_back();
    if (replace_on) replace_pairs_in_line(line, size - 1);
    return 1;
}

// Where the next token of a line lies.
struct token_scan {
    bool found = false;              // a token (possibly an empty "") starts here
    bool quoted = false;
    std::size_t begin = 0;           // first character of the token text
    std::size_t end = 0;             // one past its last character
    std::size_t open_quote = 0;      // the opening quote of a quoted token
    std::size_t close_quote = std::string_view::npos;
    std::size_t rest = 0;            // where the rest of the line starts
};

token_scan scan_token(std::string_view line)
{
    token_scan t;
    std::size_t i = skip_value_seps(line, 0);
    if (i >= line.size()) return t;
    t.found = true;
    if (line[i] == '"') {
        t.quoted = true;
        t.open_quote = i;
        t.begin = i + 1;
        t.close_quote = line.find('"', t.begin);
        t.end = t.close_quote == std::string_view::npos ? line.size() : t.close_quote;
        t.rest = t.close_quote == std::string_view::npos ? line.size() : t.close_quote + 1;
    } else {
        t.begin = i;
        t.end = i;
        while (t.end < line.size() && !is_value_sep(line[t.end])) ++t.end;
        t.rest = t.end;
    }
    t.rest = skip_value_seps(line, t.rest);
    return t;
}

// Where the next numeric word lies; false when the line is exhausted or
// the word is nothing but white space (the scan would find no input).
bool scan_word(std::string_view line, std::size_t& begin, std::size_t& end, std::size_t& rest)
{
    begin = skip_value_seps(line, 0);
    if (begin >= line.size()) return false;
    end = begin;
    while (end < line.size() && !is_value_sep(line[end])) ++end;
    bool all_space = true;
    for (std::size_t i = begin; i < end; ++i)
        if (!std::isspace(static_cast<unsigned char>(line[i]))) all_space = false;
    if (all_space) return false;
    rest = skip_value_seps(line, end);
    return true;
}

double word_to_double(std::string_view word)
{
    const std::string w(word);
    return std::strtod(w.c_str(), nullptr);
}

int word_to_int(std::string_view word)
{
    const std::string w(word);
    const long v = std::strtol(w.c_str(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

template <class Line, class Convert, class T>
int pop_number(Line& line, T& out, Convert convert)
{
    out = T();
    std::size_t begin, end, rest;
    if (!scan_word(line, begin, end, rest)) return 0;
    out = convert(std::string_view(line).substr(begin, end - begin));
    if constexpr (std::is_same_v<Line, std::string>)
        line.erase(0, rest);
    else
        line.remove_prefix(rest);
    return 1;
}

std::string lower_first_token(std::string_view text)
{
    std::string token;
    pop_token(text, token);
    for (char& c : token) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return token;
}

} // namespace

int read_line_fp(std::string& line, std::FILE* fp)
{
    return read_line_stream(line, fp, line_buffer_size);
}

int read_line_rec(std::string& line, file_rec& rec, int size)
{
    if (!read_line_stream(line, rec.fp, size)) return 0;
    ++rec.line_no;
    return 1;
}

std::string printable(std::string_view text, bool ascii_only)
{
    std::string out;
    for (const char ch : text) {
        const unsigned char u = static_cast<unsigned char>(ch);
        if (u >= 0x20 && u != 0x7f && (u < 0x80 || !ascii_only)) {
            out += ch;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", u);
            out += buf;
        }
    }
    return out;
}

int delete_prefix(std::string& text, int n)
{
    if (text.empty()) return -1;
    if (n < 0) n = 0;
    if (static_cast<std::size_t>(n) >= text.size())
        text.clear();
    else
        text.erase(0, static_cast<std::size_t>(n));
    return 0;
}

void strip_quotes(std::string& text)
{
    if (text.empty()) return;
    if (text.front() == '"') delete_prefix(text, 1);
    if (!text.empty() && text.back() == '"') text.pop_back();
}

int pop_token(std::string& line, std::string& dest)
{
    dest.clear();
    const token_scan t = scan_token(line);
    if (!t.found) return 0;
    if (t.begin == t.end) {
        // An empty "": both quotes become blanks so the next pop takes the
        // value after them.
        line[t.open_quote] = ' ';
        if (t.close_quote != std::string::npos) line[t.close_quote] = ' ';
        return 0;
    }
    dest.assign(line, t.begin, t.end - t.begin);
    line.erase(0, t.rest);
    return 1;
}

int pop_token(std::string_view& line, std::string& dest)
{
    dest.clear();
    const token_scan t = scan_token(line);
    if (!t.found) return 0;
    if (t.begin == t.end) {
        line.remove_prefix(t.close_quote == std::string_view::npos ? line.size() : t.close_quote + 1);
        return 0;
    }
    dest.assign(line.substr(t.begin, t.end - t.begin));
    line.remove_prefix(t.rest);
    return 1;
}

int pop_double(std::string& line, double& out)
{
    return pop_number(line, out, word_to_double);
}

int pop_double(std::string_view& line, double& out)
{
    return pop_number(line, out, word_to_double);
}

int pop_int(std::string& line, int& out)
{
    return pop_number(line, out, word_to_int);
}

int pop_int(std::string_view& line, int& out)
{
    return pop_number(line, out, word_to_int);
}

namespace {

// Removes a leading '+' (from_chars takes only '-'); a sign alone is not a
// number.
bool strip_plus(std::string_view& text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-' || text.front() == '+') return false;
    }
    return true;
}

bool looks_non_finite(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    if (text.size() < 3) return false;
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    const std::string head{lower(text[0]), lower(text[1]), lower(text[2])};
    return head == "nan" || head == "inf";
}

template <class T>
num_status parse_integer_strict(std::string_view text, T& out)
{
    out = T();
    if (text.empty()) return num_status::empty;
    std::string_view t = text;
    if (!strip_plus(t)) return num_status::not_number;
    T v{};
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, 10);
    if (r.ec == std::errc::result_out_of_range) return num_status::out_of_range;
    if (r.ec != std::errc() || r.ptr == t.data()) return num_status::not_number;
    if (r.ptr != t.data() + t.size()) {
        // A fraction or exponent after the digits: a number, not a whole one.
        double d;
        return parse_double_strict(text, d) == num_status::ok ? num_status::not_whole
                                                               : num_status::not_number;
    }
    out = v;
    return num_status::ok;
}

} // namespace

num_status parse_double_strict(std::string_view text, double& out)
{
    out = 0.0;
    if (text.empty()) return num_status::empty;
    if (looks_non_finite(text)) return num_status::not_finite;
    std::string_view t = text;
    if (!strip_plus(t)) return num_status::not_number;
    double v = 0.0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (r.ptr != t.data() + t.size() || r.ptr == t.data()) return num_status::not_number;
    if (r.ec == std::errc::result_out_of_range) return num_status::out_of_range;
    if (r.ec != std::errc()) return num_status::not_number;
    if (!std::isfinite(v)) return num_status::not_finite;
    out = v;
    return num_status::ok;
}

num_status parse_int_strict(std::string_view text, int& out)
{
    return parse_integer_strict(text, out);
}

num_status parse_long_strict(std::string_view text, long long& out)
{
    return parse_integer_strict(text, out);
}

const char* num_status_text(num_status s)
{
    switch (s) {
    case num_status::ok: return "";
    case num_status::empty: return "is missing";
    case num_status::not_number: return "is not a number";
    case num_status::not_whole: return "is not a whole number";
    case num_status::out_of_range: return "is out of range";
    case num_status::not_finite: return "is not finite";
    }
    return "is not a number";
}

num_status pop_double_strict(std::string_view& line, double& out)
{
    out = 0.0;
    std::size_t begin, end, rest;
    if (!scan_word(line, begin, end, rest)) return num_status::empty;
    const num_status s = parse_double_strict(line.substr(begin, end - begin), out);
    line.remove_prefix(rest);
    return s;
}

num_status pop_int_strict(std::string_view& line, int& out)
{
    out = 0;
    std::size_t begin, end, rest;
    if (!scan_word(line, begin, end, rest)) return num_status::empty;
    const num_status s = parse_int_strict(line.substr(begin, end - begin), out);
    line.remove_prefix(rest);
    return s;
}

std::size_t next_word(std::string_view text)
{
    if (text.empty()) return 0;
    std::size_t i = 0;
    while (i < text.size() && is_word_sep(text[i])) ++i;
    while (i < text.size() && !is_word_sep(text[i])) ++i;
    while (i < text.size() && is_word_sep(text[i])) ++i;
    return i < text.size() ? i : text.size() - 1;
}

int same_first_word(std::string_view a, std::string_view b)
{
    return lower_first_token(a) == lower_first_token(b) ? 1 : 0;
}

bool read_raw_line(std::FILE* fp, std::string& line)
{
    line.clear();
    int ch;
    bool any = false;
    while ((ch = std::fgetc(fp)) != EOF) {
        any = true;
        if (ch == '\n') break;
        line += static_cast<char>(ch);
    }
    return any;
}
