#include "hydromet/precip_words.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{

bool is_space(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

bool word_reader::word(std::string& out, std::size_t max)
{
    out.clear();
    if (!fp_)
        return false;
    int c = std::getc(fp_);
    while (c != EOF && is_space(c))
        c = std::getc(fp_);
    if (c == EOF)
        return false;
    while (c != EOF && !is_space(c)) {
        out += static_cast<char>(c);
        if (max > 0 && out.size() >= max)
            return true;
        c = std::getc(fp_);
    }
    if (c != EOF)
        std::ungetc(c, fp_);
    return true;
}

word_status word_reader::integer(int& out)
{
    std::string w;
    if (!word(w))
        return word_status::end;
    return parse_int_word(w, out) ? word_status::ok : word_status::bad;
}

word_status word_reader::real(double& out)
{
    std::string w;
    if (!word(w))
        return word_status::end;
    return parse_real_word(w, out) ? word_status::ok : word_status::bad;
}

bool word_reader::rest_of_line(std::string& out)
{
    out.clear();
    if (!fp_)
        return false;
    int c = std::getc(fp_);
    if (c == EOF)
        return false;
    while (c != EOF) {
        out += static_cast<char>(c);
        if (c == '\n')
            break;
        c = std::getc(fp_);
    }
    return true;
}

bool word_starts_with(const std::string& word, const char* key)
{
    const std::size_t n = std::strlen(key);
    if (word.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(word[i])) != key[i])
            return false;
    return true;
}

bool parse_int_word(const std::string& word, int& out)
{
    if (word.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || end == word.c_str() || errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parse_real_word(const std::string& word, double& out)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (*end != '\0' || end == word.c_str() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}
