// Opening, checking and closing the template and instruction files of a
// calibration. Templates are only checked: parameter values reach the model
// through the replacement files. A template's header gives its marker; on
// every later line the markers pair up, and each pair encloses the name of
// a parameter of the control file.
#include <cctype>
#include <cstdio>
#include <string>

#include "calibration/pest_control.h"
#include "core/text_parse.h"

namespace
{

int open_files(const pest_control& pc, pest_handles& handles, bool templates)
{
    const int count = templates ? pc.ntplfle : pc.ninsfle;
    if (count > pest_max_files) {
        std::printf("\n");
        if (templates) {
            std::printf("Currently, slm_vbq does not support more than 25 template files.\n");
            std::printf("Please modify and recompile the code to accomodate the unusually large number of "
                        "template files.\n");
        } else {
            std::printf("Currently, the Toolbox does not support more than 25 instruction files.\n");
            std::printf("Please recompile the code to accomodate the unusually large number of instruction "
                        "files.\n");
        }
        std::printf("\n");
        return 1;
    }
    for (int k = 1; k <= count; ++k) {
        const std::string& name =
            templates ? pc.templates[k].template_file : pc.instructions[k].instruction_file;
        handles.file[k] = std::fopen(name.c_str(), templates ? "rb" : "r");
        if (!handles.file[k]) {
            std::printf("Cannot open the %s file %s\n", templates ? "template" : "instruction", name.c_str());
            for (int j = 1; j < k; ++j) {
                std::fclose(handles.file[j]);
                handles.file[j] = nullptr;
            }
            return 1;
        }
    }
    return 0;
}

int close_files(int count, pest_handles& handles)
{
    for (int k = 1; k <= count && k <= pest_max_files; ++k) {
        if (handles.file[k])
            std::fclose(handles.file[k]);
        handles.file[k] = nullptr;
    }
    return 0;
}

} // namespace

int OpenTemplateFiles(const pest_control& pc, pest_handles& handles)
{
    return open_files(pc, handles, true);
}

int OpenInstructionFiles(const pest_control& pc, pest_handles& handles)
{
    return open_files(pc, handles, false);
}

int CloseTemplateFiles(const pest_control& pc, pest_handles& handles)
{
    return close_files(pc.ntplfle, handles);
}

int CloseInstructionFiles(const pest_control& pc, pest_handles& handles)
{
    return close_files(pc.ninsfle, handles);
}

namespace
{

bool same_name_any_case(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string trimmed(const std::string& s)
{
    const std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return std::string();
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// The parameter spaces of one template line; false after a message.
bool template_line_ok(const pest_control& pc, const std::string& file, int line_no, const std::string& line,
                      char marker)
{
    std::size_t at = 0;
    while ((at = line.find(marker, at)) != std::string::npos) {
        const std::size_t close = line.find(marker, at + 1);
        if (close == std::string::npos) {
            std::printf("Error in the template file %s, line %d: the parameter space opened at column %zu "
                        "has no closing marker '%c'.\n",
                        file.c_str(), line_no, at + 1, marker);
            return false;
        }
        const std::string name = trimmed(line.substr(at + 1, close - at - 1));
        bool known = false;
        for (int i = 1; i <= pc.npar && !known; ++i)
            known = same_name_any_case(pc.params[i].name, name);
        if (!known) {
            std::printf("Error in the template file %s, line %d: the parameter space at column %zu names "
                        "\"%s\", which is not a parameter of the control file.\n",
                        file.c_str(), line_no, at + 1, name.c_str());
            return false;
        }
        at = close + 1;
    }
    return true;
}

} // namespace

int ScanTemplateFiles(const pest_control& pc, pest_handles& handles)
{
    for (int k = 1; k <= pc.ntplfle; ++k) {
        const std::string& file = pc.templates[k].template_file;
        std::string first;
        std::rewind(handles.file[k]);
        const bool read = read_raw_line(handles.file[k], first);
        const char* fault = nullptr;
        if (!read || first.size() < 5 || (first[0] != 'p' && first[0] != 'j') || first[1] != 't' ||
            first[2] != 'f')
            fault = "the header must begin \"ptf\" or \"jtf\" and give the marker as its fifth character";
        else if (std::isspace(static_cast<unsigned char>(first[4])) ||
                 std::isalnum(static_cast<unsigned char>(first[4])))
            fault = "the marker, the header's fifth character, must not be a blank, a letter or a digit";
        if (fault) {
            std::printf("\n");
            std::printf("%s is not a valid PEST template file.\n", file.c_str());
            std::printf("\n");
            std::printf("Error in the template file %s, line 1: %s.\n", file.c_str(), fault);
            return 1;
        }
        const char marker = first[4];
        std::string line;
        for (int line_no = 2; read_raw_line(handles.file[k], line); ++line_no)
            if (!template_line_ok(pc, file, line_no, line, marker))
                return 1;
    }
    return 0;
}
