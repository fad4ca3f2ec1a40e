#include "hydromet/precip_words.h"

#include "core/text_parse.h"

#include <cctype>
#include <cstring>

namespace
{

bool is_space(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

bool precip_word_reader::word(std::string& out, std::size_t max)
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

word_status precip_word_reader::integer(int& out)
{
    std::string w;
    if (!word(w))
        return word_status::end;
    return parse_int_word(w, out) ? word_status::ok : word_status::bad;
}

word_status precip_word_reader::real(double& out)
{
    std::string w;
    if (!word(w))
        return word_status::end;
    return parse_real_word(w, out) ? word_status::ok : word_status::bad;
}

bool precip_word_reader::rest_of_line(std::string& out)
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
    return parse_int_strict(word, out) == num_status::ok;
}

bool parse_real_word(const std::string& word, double& out)
{
    return parse_double_strict(word, out) == num_status::ok;
}
