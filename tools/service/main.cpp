// zavtrel-service [--data DIR] [--port N] [--address A]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "tools/service/reference_service.h"

int main(int argc, char** argv)
{
    std::string dataDir;
    int port = 18080;
    // 127.0.0.1 unless a test's own network namespace asks for another.
    std::string address = "127.0.0.1";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--data" && i + 1 < argc)
            dataDir = argv[++i];
        else if (arg == "--port" && i + 1 < argc)
            port = std::atoi(argv[++i]);
        else if (arg == "--address" && i + 1 < argc)
            address = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--data DIR] [--port N] [--address A]\n", argv[0]);
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
    std::printf("zavtrel-service: serving %s on http://%s:%d/\n", dataDir.c_str(), address.c_str(), port);
    std::fflush(stdout);
    if (!service.run(port, address)) {
        std::fprintf(stderr, "zavtrel-service: cannot listen on %s:%d\n", address.c_str(), port);
        return 1;
    }
    return 0;
}
