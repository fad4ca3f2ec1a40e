#include <cstdarg>
#include <cstdio>

#include "core/model_state.h"
#include "hydromet/rain_services.h"

void rain_echo(model_state& s, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    if (!s.super_quiet && !s.calib_mode) {
        va_list screen;
        va_copy(screen, args);
        std::vprintf(format, screen);
        va_end(screen);
    }
    if (s.summary_file.fp)
        std::vfprintf(s.summary_file.fp, format, args);
    va_end(args);
}
