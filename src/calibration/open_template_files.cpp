// Opening, checking and closing the template and instruction files of a
// calibration. Templates are only checked: parameter values reach the model
// through the replacement files.
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

int ScanTemplateFiles(const pest_control& pc, pest_handles& handles)
{
    for (int k = 1; k <= pc.ntplfle; ++k) {
        std::string first;
        std::rewind(handles.file[k]);
        const bool read = read_raw_line(handles.file[k], first);
        if (!read || first.size() < 5 || (first[0] != 'p' && first[0] != 'j') || first[1] != 't' ||
            first[2] != 'f') {
            std::printf("\n");
            std::printf("%s is not a valid PEST template file.\n", pc.templates[k].template_file.c_str());
            std::printf("\n");
            return 1;
        }
    }
    return 0;
}
