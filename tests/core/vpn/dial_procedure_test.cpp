#include <arpa/inet.h>
#include <filesystem>
#include <gtest/gtest.h>

#include "tests/support/connection_fakes.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"
#include "platform/gbk_codec.h"
#include "core/vpn/dial_procedure.h"

namespace {

class RecordingDialUi : public DialUi {
public:
    std::vector<std::string> calls;
    std::optional<bool> fullRelay = false;
    void applyConnected() override { calls.push_back("connected"); }
    void showDialFailure(const std::string& m) override { calls.push_back("failure:" + m); }
    void showAutoT() override { calls.push_back("autoT"); }
    std::optional<bool> fullRelayChecked() override { return fullRelay; }
};

struct DialProcedureTest : ::testing::Test {
    TempDir dir;
    EventLog log { std::make_shared<FakeClock>(), dir.file("log.txt") };
    std::shared_ptr<NodeChoice> choice = std::make_shared<NodeChoice>("10.9.8.7");
    std::shared_ptr<DialState> state = std::make_shared<DialState>();
    std::shared_ptr<ScriptedCapture> capture = std::make_shared<ScriptedCapture>();
    std::shared_ptr<FakeRemoteAccess> ras = std::make_shared<FakeRemoteAccess>();
    std::shared_ptr<FakeAdapters> adapters = std::make_shared<FakeAdapters>();
    std::shared_ptr<RecordingRoutes> routes = std::make_shared<RecordingRoutes>();
    RecordingDialUi ui;
    DialRequest request;

    DialProcedureTest()
    {
        request.appDir = dir.path();
        request.entryName = "TUVEKP";
        request.phonebookPath = "/tmp/TUVEKP.sys";
        request.user = "user name";
        request.password = "p w";
        request.serverIp = "10.1.2.3";
        adapters->adapters = { { "ppp0", 4, platform::NetworkAdapter::kLinkPpp, { "10.64.0.2" } } };
        // One route per table, told apart by their destinations.
        writeBytes(dir.file("RouteTabledx.tab"), "1.0.1.0 255.255.255.0\r\n");
        writeBytes(dir.file("RouteTablewt.tab"), "2.0.2.0 255.255.255.0\r\n");
    }
    void run()
    {
        DialProcedure p(request, { capture, ras, adapters, routes }, state, choice, log, ui);
        p.run();
        EXPECT_FALSE(state->dialInProgress);
    }
    // The tables routed so far: "dx" or "wt" per route.
    std::vector<std::string> routedTables()
    {
        std::vector<std::string> out;
        for (const auto& r : routes->routes)
            out.push_back(r.destination == inet_addr("1.0.1.0") ? "dx" : "wt");
        return out;
    }
    std::vector<std::string> logLines()
    {
        std::vector<std::string> lines;
        const std::string all = platform::gbkToUtf8(readBytes(dir.file("log.txt")));
        size_t pos = 0;
        while (pos < all.size()) {
            const size_t end = all.find("\r\n", pos);
            lines.push_back(all.substr(pos + 21, end - pos - 21)); // drop the time stamp
            pos = end + 2;
        }
        return lines;
    }
};

} // namespace

TEST_F(DialProcedureTest, CommandLineKeepsEachValueOneArgument)
{
    ras->add(7, "TUVEKP");
    run();
    ASSERT_EQ(capture->runs.size(), 1u);
    EXPECT_EQ(capture->runs[0],
        (std::vector<std::string> {
            "rasdial", "TUVEKP", "user name", "*", "/PHONEBOOK:/tmp/TUVEKP.sys", "/PHONE:10.1.2.3" }));
    EXPECT_EQ(capture->inputs[0], "p w\n") << "the password goes through standard input";
}

TEST_F(DialProcedureTest, SuccessConfirmsTheTunnelAmongOtherConnections)
{
    for (const char* marker : { "Command completed successfully.", "命令已完成。" }) {
        SCOPED_TRACE(marker);
        capture->result.output = platform::utf8ToGbk(marker); // as the tool prints it
        ras->connections.clear();
        ras->add(3, "MyBroadband");
        ras->add(9, "tuvekp"); // other letter case
        ras->add(11, "Other");
        ui.calls.clear();
        routes->routes.clear();
        choice->setLineType(2);
        run();
        EXPECT_EQ(state->connectionHandle, 9u);
        EXPECT_EQ(ui.calls, std::vector<std::string> { "connected" });
        EXPECT_EQ(routedTables(), std::vector<std::string> { "wt" });
    }
    EXPECT_EQ(logLines(), (std::vector<std::string> { "连接成功!", "连接成功!" }));
}

TEST_F(DialProcedureTest, NoRoutesWithFullRelayOrLineTypeThree)
{
    ras->add(5, "TUVEKP");
    ui.fullRelay = true;
    choice->setLineType(1);
    run();
    ui.fullRelay = false;
    choice->setLineType(3);
    run();
    // A window that could not be asked gave no answer: no routes either.
    ui.fullRelay = std::nullopt;
    choice->setLineType(1);
    run();
    EXPECT_TRUE(routes->routes.empty());
    EXPECT_EQ(ui.calls, (std::vector<std::string> { "connected", "connected", "connected" }));
}

TEST_F(DialProcedureTest, UnconfirmedSuccess)
{
    run(); // no connection listed at all
    ras->add(4, "TUVEKP", 2); // listed but still dialing
    ras->add(6, "Other");
    run();
    EXPECT_EQ(ui.calls,
        (std::vector<std::string> {
            "failure:拨号过程出错!请联系客服!", "failure:拨号过程出错!请联系客服!" }));
    EXPECT_EQ(state->connectionHandle, 0u);

    // More connections than the listing has room for: nothing changes.
    ui.calls.clear();
    for (unsigned long h = 100; h < 111; ++h)
        ras->add(h, "X");
    run();
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(DialProcedureTest, ErrorNumbersInTableOrder)
{
    capture->result.output = "Remote Access error 720 - x\r\nRemote Access error 691 - y";
    run();
    EXPECT_EQ(ui.calls,
        (std::vector<std::string> {
            "failure:帐户上次未正常断开或密码错误！", "autoT", "failure:不能建立到服务器的连接。" }));
    // An unknown number changes nothing.
    ui.calls.clear();
    capture->result.output = "Remote Access error 678 - no answer";
    run();
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(DialProcedureTest, FailureTextsAreLoggedAndChangeNothing)
{
    using F = platform::CaptureResult::Failure;
    for (auto [failure, text] : { std::pair { F::Pipe, "Can not create pipe!" },
             std::pair { F::Process, "can not create process" }, std::pair { F::Other, "error!" } }) {
        capture->result = { failure, text };
        run();
    }
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(logLines(),
        (std::vector<std::string> { "Can not create pipe!", "can not create process", "管道返回:error!" }));
}

TEST_F(DialProcedureTest, RouteFailureIsCaughtAndLoggedAfterTheConnectedState)
{
    ras->add(5, "TUVEKP");
    std::filesystem::remove(dir.file("RouteTabledx.tab"));
    run();
    EXPECT_EQ(ui.calls, std::vector<std::string> { "connected" });
    EXPECT_EQ(logLines(), (std::vector<std::string> { "连接成功!", "拷贝文件出错!" }));
}

TEST_F(DialProcedureTest, TheLineTypeIsReadOnceTheTunnelIsConfirmed)
{
    ras->add(5, "TUVEKP");
    choice->setLineType(1);
    capture->onRun = [this] { choice->setLineType(2); }; // chosen while dialing
    run();
    EXPECT_EQ(routedTables(), std::vector<std::string> { "wt" });
}

TEST_F(DialProcedureTest, AfterTheProgramEndedADialTakesItsTunnelDownAndShowsNothing)
{
    ras->add(3, "MyBroadband");
    ras->add(5, "TUVEKP");
    capture->onRun = [this] { state->ended = true; };
    run();
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_TRUE(routes->routes.empty());
    EXPECT_EQ(state->connectionHandle, 0u);
    EXPECT_EQ(ras->hungUp, std::vector<platform::ConnectionHandle> { 5 });
}

TEST_F(DialProcedureTest, TheToolSpeaksTheSystemCodePage)
{
    request.user = "张三";
    request.password = "密码";
    ras->add(5, "TUVEKP");
    capture->result.output = platform::utf8ToGbk("命令已完成。");
    run();
    EXPECT_EQ(capture->runs[0][2], "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(capture->inputs[0], "\xC3\xDC\xC2\xEB\n");
    EXPECT_EQ(ui.calls, std::vector<std::string> { "connected" }) << "the GBK success text is recognised";
}
