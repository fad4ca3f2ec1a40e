#include "core/error_state.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "core/error_messages.h"
#include "core/file_rec.h"
#include "core/platform.h"

error_rec error_state;
const file_rec* summary_log = nullptr;
int pause_on_exit = 0;

namespace {

// Reports can come from a worker thread of a parallel loop; one at a time.
std::recursive_mutex reporter_mutex;

void copy_cut(char* field, int capacity, const char* text)
{
    if (!text) text = "";
    std::strncpy(field, text, static_cast<size_t>(capacity) - 1);
    field[capacity - 1] = '\0';
}

} // namespace

void error_set_what(error_rec& rec, const char* what)
{
    copy_cut(rec.what, error_what_size, what);
}

void error_set_file(error_rec& rec, const char* file)
{
    copy_cut(rec.file, error_file_size, file);
}

void error_set(int code, const char* what, const char* file, int value1, int value2)
{
    std::lock_guard<std::recursive_mutex> lock(reporter_mutex);
    if (what) error_set_what(error_state, what);
    if (file) error_set_file(error_state, file);
    error_state.value1 = value1;
    error_state.value2 = value2;
    error_state.code = code;
}

void error_state_clear()
{
    error_state.code = 0;
    error_state.raised = 0;
    error_state.terminate = 0;
}

bool error_is_warning(int code)
{
    return code == err_gw_porosity_none || code == err_gw_ks_none || code == err_hyd_freq_default ||
           code == err_kz_no_segments || code == err_kz_flux_no_segments;
}

bool run_stopped()
{
    const int code = error_state.code;
    return error_state.raised != 0 || (code != 0 && !error_is_warning(code));
}

std::string build_error_message(const error_rec& rec)
{
    std::string out;
    const char* t = error_message_template(rec.code);
    if (!t) return out;
    while (*t) {
        if (*t == '@') {
            const char* end = std::strchr(t + 1, '@');
            if (end) {
                const std::string field(t + 1, end);
                if (field == "what") {
                    out += rec.what;
                } else if (field == "file") {
                    out += rec.file;
                } else if (field == "value1") {
                    out += std::to_string(rec.value1);
                } else if (field == "value2") {
                    out += std::to_string(rec.value2);
                } else {
                    out.append(t, end + 1);
                }
                t = end + 1;
                continue;
            }
        }
        out += *t++;
    }
    return out;
}

void print_msg_both(const file_rec* log, const char* text)
{
    std::lock_guard<std::recursive_mutex> lock(reporter_mutex);
    if (!text) return;
    std::fputs(text, stdout);
    if (log && log->fp) std::fputs(text, log->fp);
}

void pause_prompt()
{
    if (!pause_on_exit) return;
    std::fputs("Program terminated.  Hit any key to continue.\n", stderr);
    std::fgetc(platform_request_stream());
}

int report_error(error_rec& rec)
{
    std::lock_guard<std::recursive_mutex> lock(reporter_mutex);
    if (rec.code > 0) {
        print_msg_both(summary_log, "\n");
        rec.raised = 1;
    }
    const std::string message = build_error_message(rec);
    if (!message.empty()) print_msg_both(summary_log, message.c_str());
    // A file that could not be opened: where the run looked for it.
    if (message.find("Unable to open") != std::string::npos)
        print_msg_both(summary_log, looked_for_line(rec.file).c_str());
    if (error_is_warning(rec.code)) rec.raised = 0;
    if (rec.raised && rec.terminate) {
        std::fputs("TORVA Terminated.\n", stdout);
        pause_prompt();
    } else {
        rec.code = 0;
    }
    return 0;
}
