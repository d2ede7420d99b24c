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
    bool fullRelay = false;
    void applyConnected() override { calls.push_back("connected"); }
    void showDialFailure(const std::string& m) override { calls.push_back("failure:" + m); }
    void showAutoT() override { calls.push_back("autoT"); }
    bool fullRelayChecked() override { return fullRelay; }
};

struct DialProcedureTest : ::testing::Test {
    TempDir dir;
    FakeClock clock;
    EventLog log{clock, dir.file("log.txt")};
    Session session;
    NodeChoice choice{"10.9.8.7"};
    ScriptedCapture capture;
    FakeRemoteAccess ras;
    RecordingDialUi ui;
    std::vector<int> routedLineTypes;
    bool routesThrow = false;

    DialProcedureTest()
    {
        session.entryName = "TUVEKP";
        session.phonebookPath = "/tmp/TUVEKP.sys";
        session.portalUser = "user name";
        session.portalPassword = "p w";
    }
    void run()
    {
        DialProcedure p({"rasdial", dir.path()}, session, choice, capture, ras,
                        [this](int t) {
                            if (routesThrow)
                                throw std::runtime_error("no table");
                            routedLineTypes.push_back(t);
                        },
                        log, ui);
        p.run();
        EXPECT_FALSE(session.dialInProgress);
    }
    std::vector<std::string> logLines()
    {
        std::vector<std::string> lines;
        const std::string all = platform::gbkToUtf8(readBytes(dir.file("log.txt")));
        size_t pos = 0;
        while (pos < all.size()) {
            const size_t end = all.find("\r\n", pos);
            lines.push_back(all.substr(pos + 21, end - pos - 21));  // drop the time stamp
            pos = end + 2;
        }
        return lines;
    }
};

}  // namespace

TEST_F(DialProcedureTest, CommandLineKeepsEachValueOneArgument)
{
    choice.setServerIp("10.1.2.3");
    ras.add(7, "TUVEKP");
    run();
    ASSERT_EQ(capture.runs.size(), 1u);
    EXPECT_EQ(capture.runs[0], (std::vector<std::string>{"rasdial", "TUVEKP", "user name", "p w",
                                                         "/PHONEBOOK:/tmp/TUVEKP.sys", "/PHONE:10.1.2.3"}));
}

TEST_F(DialProcedureTest, SuccessConfirmsTheTunnelAmongOtherConnections)
{
    for (const char* marker : {"Command completed successfully.", "命令已完成。"}) {
        SCOPED_TRACE(marker);
        capture.result.output = marker;
        ras.connections.clear();
        ras.add(3, "MyBroadband");
        ras.add(9, "tuvekp");  // other letter case
        ras.add(11, "Other");
        ui.calls.clear();
        routedLineTypes.clear();
        choice.setLineType(2);
        run();
        EXPECT_EQ(session.connectionHandle, 9u);
        EXPECT_EQ(ui.calls, std::vector<std::string>{"connected"});
        EXPECT_EQ(routedLineTypes, std::vector<int>{2});
    }
    EXPECT_EQ(logLines(), (std::vector<std::string>{"连接成功!", "连接成功!"}));
}

TEST_F(DialProcedureTest, NoRoutesWithFullRelayOrLineTypeThree)
{
    ras.add(5, "TUVEKP");
    ui.fullRelay = true;
    choice.setLineType(1);
    run();
    ui.fullRelay = false;
    choice.setLineType(3);
    run();
    EXPECT_TRUE(routedLineTypes.empty());
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"connected", "connected"}));
}

TEST_F(DialProcedureTest, UnconfirmedSuccess)
{
    run();  // no connection listed at all
    ras.add(4, "TUVEKP", 2);  // listed but still dialing
    ras.add(6, "Other");
    run();
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"failure:拨号过程出错!请联系客服!", "failure:拨号过程出错!请联系客服!"}));
    EXPECT_EQ(session.connectionHandle, 0u);

    // More connections than the listing has room for: nothing changes.
    ui.calls.clear();
    for (unsigned long h = 100; h < 111; ++h)
        ras.add(h, "X");
    run();
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(DialProcedureTest, ErrorNumbersInTableOrder)
{
    capture.result.output = "Remote Access error 720 - x\r\nRemote Access error 691 - y";
    run();
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"failure:帐户上次未正常断开或密码错误！", "autoT",
                                                  "failure:不能建立到服务器的连接。"}));
    // An unknown number changes nothing.
    ui.calls.clear();
    capture.result.output = "Remote Access error 678 - no answer";
    run();
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(DialProcedureTest, FailureTextsAreLoggedAndChangeNothing)
{
    using F = platform::CaptureResult::Failure;
    for (auto [failure, text] : {std::pair{F::Pipe, "Can not create pipe!"}, std::pair{F::Process, "can not create process"},
                                 std::pair{F::Other, "error!"}}) {
        capture.result = {failure, text};
        run();
    }
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{"Can not create pipe!", "can not create process", "管道返回:error!"}));
}

TEST_F(DialProcedureTest, RouteFailureIsCaughtAndLoggedAfterTheConnectedState)
{
    ras.add(5, "TUVEKP");
    routesThrow = true;
    run();
    EXPECT_EQ(ui.calls, std::vector<std::string>{"connected"});
    EXPECT_EQ(logLines(), (std::vector<std::string>{"连接成功!", "拷贝文件出错!"}));
}
