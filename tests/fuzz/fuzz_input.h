#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

// What the fuzz targets share: the input as text, a private folder for the
// readers that take files, and a property check that aborts (so the fuzzer
// keeps the input).
inline std::string_view asText(const std::uint8_t* data, std::size_t size)
{
    return { reinterpret_cast<const char*>(data), size };
}

inline const std::string& scratchDir()
{
    static const std::string dir = [] {
        char name[] = "/tmp/zavtrel-fuzz-XXXXXX";
        const char* made = mkdtemp(name);
        return std::string(made ? made : "/tmp") + "/";
    }();
    return dir;
}

inline void writeScratch(const std::string& name, std::string_view bytes)
{
    FILE* f = std::fopen((scratchDir() + name).c_str(), "wb");
    if (!f)
        std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

#define FUZZ_REQUIRE(condition)                                                                              \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "property failed: %s\n", #condition);                                       \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
