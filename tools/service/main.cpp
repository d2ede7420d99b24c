// zavtrel-service [--data DIR] [--port N]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "tools/service/reference_service.h"

int main(int argc, char** argv)
{
    std::string dataDir;
    int port = 18080;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--data" && i + 1 < argc)
            dataDir = argv[++i];
        else if (arg == "--port" && i + 1 < argc)
            port = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: %s [--data DIR] [--port N]\n", argv[0]);
            return 2;
        }
    }
    if (dataDir.empty()) {
        char exe[4096];
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        std::string self = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string("./");
        dataDir = self.substr(0, self.rfind('/') + 1) + "service-data";
    }
    ReferenceService service(dataDir);
    std::printf("zavtrel-service: serving %s on http://127.0.0.1:%d/\n", dataDir.c_str(), port);
    std::fflush(stdout);
    if (!service.run(port)) {
        std::fprintf(stderr, "zavtrel-service: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    return 0;
}
