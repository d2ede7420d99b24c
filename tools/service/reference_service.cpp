#include "tools/service/reference_service.h"

#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <optional>
#include <sstream>
#include <thread>

#include "base/ini_file.h"
#include "core/cipher/md5.h"
#include "platform/gbk_codec.h"

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
        fs::path full = fs::weakly_canonical(root / rel);
        if (fs::is_directory(full))
            full /= "index.html";
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

    IniFile accounts() const { return IniFile(dataDir + "/accounts.ini"); }

    static void reply(httplib::Response& res, const std::string& utf8)
    {
        res.set_content(platform::utf8ToGbk(utf8), "text/html");
    }

    // Query values arrive as raw GBK bytes (or UTF-8 from a browser).
    std::string accountName(const std::string& raw) const
    {
        const std::string fromGbk = platform::gbkToUtf8(raw);
        if (!accounts().readString(fromGbk, "password", "").empty())
            return fromGbk;
        return raw;
    }

    void login(const httplib::Request& req, httplib::Response& res) const
    {
        const IniFile a = accounts();
        if (a.readBool("service", "stop", false)) {
            reply(res, "stop");
            return;
        }
        const std::string user = accountName(req.get_param_value("username"));
        const std::string password = platform::gbkToUtf8(req.get_param_value("password"));
        const std::string stored = a.readString(user, "password", "");
        if (stored.empty() || stored != password) {
            reply(res, "error: wrong account or password");
            return;
        }
        const auto item = [&](const char* key, const char* def) { return a.readString(user, key, def); };
        const std::string version = a.readString("service", "version", "2.9");
        reply(res,
            "ok!|" + req.remote_addr + "|" + item("balance", "0") + "|" + item("days", "30") + "|"
                + item("state", "1") + "|" + version + "|" + item("adswitch", "0") + "|"
                + item("fullrelay", "1") + "||" + item("newsswitch", "0") + "|" + item("newstitle", "") + "||"
                + item("newswidth", "480") + "|" + item("newsheight", "320") + "|0|");
    }

    void policy(const httplib::Request& req, httplib::Response& res) const
    {
        const std::string user = accountName(req.get_param_value("username"));
        reply(res, accounts().readString(user, "policy", "0~0|OK NOMSG"));
    }

    // Accepts a signed link when the signature matches the account's password
    // and the time stamp is within ten minutes of ours.
    void siteCheck(const httplib::Request& req, httplib::Response& res) const
    {
        const std::string user = accountName(req.get_param_value("u"));
        const std::string stamp = req.get_param_value("t");
        const std::string sign = req.get_param_value("c");
        const std::string page = req.get_param_value("r");
        const std::string password = accounts().readString(user, "password", "");
        const auto seconds = [](const std::string& t) -> long long {
            if (t.size() != 14 || t.find_first_not_of("0123456789") != std::string::npos)
                return -1;
            std::tm tm {};
            tm.tm_year = std::stoi(t.substr(0, 4)) - 1900;
            tm.tm_mon = std::stoi(t.substr(4, 2)) - 1;
            tm.tm_mday = std::stoi(t.substr(6, 2));
            tm.tm_hour = std::stoi(t.substr(8, 2));
            tm.tm_min = std::stoi(t.substr(10, 2));
            tm.tm_sec = std::stoi(t.substr(12, 2));
            tm.tm_isdst = -1;
            return static_cast<long long>(std::mktime(&tm));
        };
        const long long then = seconds(stamp), now = static_cast<long long>(std::time(nullptr));
        const bool fresh = then >= 0 && std::llabs(now - then) <= 600;
        if (password.empty() || !fresh || sign != cipher::md5Hex(stamp + platform::utf8ToGbk(password))) {
            res.status = 403;
            res.set_content("<html><body><h1>签名无效</h1></body></html>", "text/html; charset=utf-8");
            return;
        }
        res.set_content("<html><body><h1>欢迎 " + user + "</h1><p>页面：" + page + "</p></body></html>",
            "text/html; charset=utf-8");
    }

    void install()
    {
        server.Get(R"(/+Exelogin\.aspx)", [this](const auto& req, auto& res) { login(req, res); });
        server.Get(R"(/+GetLogin\.aspx)", [this](const auto& req, auto& res) { policy(req, res); });
        server.Get(R"(/+SiteCheck\.aspx)", [this](const auto& req, auto& res) { siteCheck(req, res); });
        server.Get(R"(/+[A-Za-z]+\.aspx)", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("<html><body><h1>Zavtrel</h1><p>" + req.path + "</p></body></html>",
                "text/html; charset=utf-8");
        });
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

ReferenceService::ReferenceService(std::string dataDir)
    : impl_(std::make_unique<Impl>())
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

bool ReferenceService::run(int port, const std::string& address)
{
    if (!impl_->server.bind_to_port(address.c_str(), port))
        return false;
    impl_->port = port;
    return impl_->server.listen_after_bind();
}
