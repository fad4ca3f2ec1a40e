#include "input/reader_echo.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "core/model_state.h"
#include "core/proc_group.h"

void reader_echo(const model_state& s, echo_rule rule, const std::string& text)
{
    reader_echo_split(s, rule, text, text);
}

void reader_echo_split(const model_state& s, echo_rule rule, const std::string& screen_text,
                       const std::string& summary_text)
{
    bool screen = group_ctx.rank == 0;
    if (rule == echo_rule::normal)
        screen = screen && !s.super_quiet && !s.calib_mode;
    if (rule == echo_rule::with_trials)
        screen = screen && !s.super_quiet;
    if (screen)
        std::fputs(screen_text.c_str(), stdout);
    if (s.summary_file.fp)
        std::fputs(summary_text.c_str(), s.summary_file.fp);
}

std::string text_format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), format, args);
        out.assign(buf.data(), static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}
