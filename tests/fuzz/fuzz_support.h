// Shared by the fuzz targets: the input bytes go to a scratch file that the
// reader under test opens by name, and the readers' screen output is
// silenced so that the fuzzer's own report stays readable.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"

namespace torva_fuzz
{

// A folder of this process in memory (/dev/shm when there is one, else the
// temporary folder); every target works inside it, so files a reader may
// write land there. The fuzzer's own paths must then be absolute.
inline const std::string& scratch_folder()
{
    static const std::string folder = [] {
        char shm[] = "/dev/shm/torva_fuzz_XXXXXX";
        char tmp[] = "/tmp/torva_fuzz_XXXXXX";
        const char* made = mkdtemp(shm);
        if (!made)
            made = mkdtemp(tmp);
        if (!made)
            std::abort();
        if (chdir(made) != 0)
            std::abort();
        std::freopen("/dev/null", "w", stdout);
        return std::string(made);
    }();
    return folder;
}

inline std::string write_input(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = scratch_folder() + "/" + name;
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        std::abort();
    if (size > 0)
        std::fwrite(data, 1, size, fp);
    std::fclose(fp);
    return path;
}

inline void write_text(const std::string& name, const std::string& text)
{
    write_input(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// Clears the process-wide records a reader leaves behind.
inline void start_case()
{
    scratch_folder();
    reset_file_name_globals();
    std::string folder = scratch_folder();
    set_project_path(folder);
    error_state_clear();
}

} // namespace torva_fuzz
