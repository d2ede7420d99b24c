#include "base/file_bytes.h"

#include <cstdio>
#include <memory>

bool readFileBytes(const std::string& path, std::string& out)
{
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f)
        return false;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        out.append(buf, n);
    return !std::ferror(f.get());
}
