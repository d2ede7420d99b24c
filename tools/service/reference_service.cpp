#include "tools/service/reference_service.h"

#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <optional>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

struct ReferenceService::Impl {
    std::string dataDir;
    httplib::Server server;
    std::thread thread;
    int port = 0;

    static std::string readFile(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    // Requests reach the service with doubled slashes; strip them and never
    // leave the data folder.
    std::optional<fs::path> resolve(const std::string& requestPath) const
    {
        std::string rel = requestPath;
        while (!rel.empty() && rel.front() == '/')
            rel.erase(rel.begin());
        const fs::path root = fs::weakly_canonical(dataDir);
        const fs::path full = fs::weakly_canonical(root / rel);
        const auto [r, f] = std::mismatch(root.begin(), root.end(), full.begin(), full.end());
        if (r != root.end())
            return std::nullopt;
        if (!fs::is_regular_file(full))
            return std::nullopt;
        return full;
    }

    static const char* contentType(const fs::path& p)
    {
        const std::string ext = p.extension().string();
        if (ext == ".wasm")
            return "application/wasm";
        if (ext == ".js")
            return "text/javascript";
        if (ext == ".html" || ext == ".htm")
            return "text/html";
        if (ext == ".swf")
            return "application/x-shockwave-flash";
        if (ext == ".bmp")
            return "image/bmp";
        if (ext == ".png")
            return "image/png";
        return "text/plain";
    }

    void install()
    {
        server.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
            const auto file = resolve(req.path);
            if (!file) {
                res.status = 404;
                res.set_content("not found", "text/plain");
                return;
            }
            res.set_content(readFile(*file), contentType(*file));
        });
    }
};

ReferenceService::ReferenceService(std::string dataDir) : impl_(std::make_unique<Impl>())
{
    impl_->dataDir = std::move(dataDir);
    impl_->install();
}

ReferenceService::~ReferenceService()
{
    stop();
}

bool ReferenceService::start(int port)
{
    if (port == 0)
        impl_->port = impl_->server.bind_to_any_port("127.0.0.1");
    else
        impl_->port = impl_->server.bind_to_port("127.0.0.1", port) ? port : -1;
    if (impl_->port <= 0)
        return false;
    impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
    while (!impl_->server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

int ReferenceService::port() const
{
    return impl_->port;
}

void ReferenceService::stop()
{
    impl_->server.stop();
    if (impl_->thread.joinable())
        impl_->thread.join();
}

bool ReferenceService::run(int port)
{
    if (!impl_->server.bind_to_port("127.0.0.1", port))
        return false;
    impl_->port = port;
    return impl_->server.listen_after_bind();
}
