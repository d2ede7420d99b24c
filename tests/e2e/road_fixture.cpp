#include "tests/e2e/road_fixture.h"

#include <QAction>
#include <QLabel>
#include <cstdlib>
#include <sstream>

#include "core/cipher/string_cipher.h"
#include "platform/gbk_codec.h"
#include "tests/gui/start_up.h"
#include "gui/connection/dial_worker.h"

namespace {

std::string nodeList(const std::vector<std::tuple<int, std::string, std::string, int>>& nodes)
{
    std::string ini = "[head]\r\nnodecount=" + std::to_string(nodes.size()) + "\r\n";
    int i = 0;
    for (const auto& [type, ip, name, right] : nodes)
        ini += "[node" + std::to_string(++i) + "]\r\nlinetype=" + std::to_string(type)
            + "\r\nip=" + cipher::encryptText(ip) + "\r\nnodename=" + name
            + "\r\nright=" + std::to_string(right) + "\r\n";
    return platform::utf8ToGbk(ini);
}

} // namespace

std::string runCapture(const std::vector<std::string>& argv)
{
    platform::PosixProcessCapture c(20, 1000);
    return c.runAndCapture(argv).output;
}

RoadTest::RoadTest()
{
    EXPECT_TRUE(rasd->ok()) << rasd->log();
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    services = makePlatformServices();
    services.messageBoxes = boxes;
    std::filesystem::current_path(appDir.path());

    // Nodes: two telecom nodes on lo (answering), a silent telecom node, and
    // a silent netcom node.
    runCapture({ "ip", "addr", "add", "10.200.1.1/32", "dev", "lo" });
    runCapture({ "ip", "addr", "add", "10.200.1.2/32", "dev", "lo" });
    const std::string nodes
        = nodeList({ { 1, "10.203.9.9", "电信-静默", 1 }, { 1, "10.200.1.2", "电信二号", 1 },
            { 1, "10.200.1.1", "电信一号", 1 }, { 2, "10.204.9.9", "网通-静默", 1 } });
    const std::string table = "1.0.1.0 255.255.255.0\r\n1.0.2.0 255.255.254.0\r\n36.96.0.0 255.224.0.0\r\n";
    for (const char* f : { "Vip.ini", "Free.ini" })
        writeBytes(appDir.file(f), nodes);
    writeBytes(appDir.file("RouteTabledx.tab"), table);
    writeBytes(appDir.file("RouteTablewt.tab"), "58.16.0.0 255.255.0.0\r\n");
    writeBytes(serviceData.file("accounts.ini"),
        platform::utf8ToGbk("[demo]\r\npassword=demo123\r\nstate=1\r\n"
                            "days=30\r\nbalance=88.50\r\nfullrelay=1\r\n"
                            "[free]\r\npassword=free123\r\nstate=0\r\n"
                            "days=15\r\nfullrelay=0\r\npolicy=00~0|OK\r\n"));
    service = std::make_unique<ReferenceService>(serviceData.path());
    EXPECT_TRUE(service->start(0));
    setScenario("[scenario]\r\nresult=success\r\n");
}

RoadTest::~RoadTest()
{
    const WorkerThreads workers = client ? client->workers() : WorkerThreads();
    client.reset();
    workers.waitIdle(std::chrono::seconds(4));
    runCapture({ ZAVTREL_RASDIAL, "/disconnect" });
    rasd->stop();
    service->stop();
    std::filesystem::current_path(previousDir);
}

void RoadTest::setScenario(const std::string& body)
{
    rasd->useSimulate(body);
}

void RoadTest::writeSettings(const std::string& utf8)
{
    writeBytes(appDir.file("zvtad.INI"), platform::utf8ToGbk(utf8));
}

MainWindow& RoadTest::startClient()
{
    ClientConfig config;
    config.paths = AppPaths::forAppDir(appDir.path(), *services.systemPaths);
    config.portalBase = "http://127.0.0.1:" + std::to_string(service->port()) + "/";
    config.contentBase = config.portalBase + "content/";
    config.dialTool = ZAVTREL_RASDIAL;
    client = std::make_unique<ClientApplication>(config, services);
    settleStartUp(client->mainWindow());
    return client->mainWindow();
}

std::string RoadTest::text(const char* name)
{
    if (auto* l = client->mainWindow().findChild<QLabel*>(QString::fromLatin1(name)))
        return l->text().toStdString();
    if (auto* b = client->mainWindow().findChild<QAbstractButton*>(QString::fromLatin1(name)))
        return b->text().toStdString();
    return {};
}

bool RoadTest::waitFor(const std::function<bool()>& pred, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (pred())
            return true;
        QTest::qWait(20);
    }
    return pred();
}

std::string RoadTest::log()
{
    return platform::gbkToUtf8(readBytes(appDir.file("log.txt")));
}

std::string RoadTest::tunnelDevice()
{
    for (const auto& a : services.adapters->list())
        if (a.linkType == platform::NetworkAdapter::kLinkPpp)
            return a.name;
    return {};
}

std::vector<std::string> RoadTest::routesVia(const std::string& device)
{
    std::vector<std::string> lines;
    if (device.empty())
        return lines;
    std::istringstream in(runCapture({ "ip", "-4", "route", "show", "dev", device }));
    for (std::string line; std::getline(in, line);)
        if (line.find("proto kernel") == std::string::npos && !line.empty())
            lines.push_back(line);
    return lines;
}

std::vector<std::string> RoadTest::processesShowing(const std::string& text)
{
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator("/proc")) {
        const std::string cmdline = readBytes(e.path().string() + "/cmdline");
        if (cmdline.find(text) != std::string::npos)
            found.push_back(e.path().filename().string() + ": " + cmdline);
    }
    return found;
}
