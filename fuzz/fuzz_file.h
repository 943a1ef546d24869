#pragma once

// The readers take a path, as the program hands them one: each input is
// written to one scratch file of this process (in memory under /dev/shm when
// there is one), so the file checks and the decoding run as they do for real.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace velm::fuzz {

inline const std::string &scratchPath()
{
    static const std::string path = [] {
        const char *dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string p = std::string(dir) + "/velm-fuzz-" + std::to_string(::getpid());
        return p;
    }();
    return path;
}

inline const std::string &writeScratch(const std::uint8_t *data, std::size_t size, const char *suffix = "")
{
    static std::string path;
    path = scratchPath() + suffix;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

} // namespace velm::fuzz
