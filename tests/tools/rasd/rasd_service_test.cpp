// The remote-access service as a process: who may call it, what it takes
// from a caller, and when it hangs up by itself. Callers run as unprivileged
// users, in and out of its group.

#include <gtest/gtest.h>

#include <chrono>
#include <grp.h>
#include <net/if.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/linux/rasd_client.h"
#include "tests/support/child_process.h"
#include "tests/support/namespace_scope.h"
#include "tests/support/rasd_process.h"
#include "tests/support/run_as_user.h"

using namespace std::chrono_literals;
using platform::rasd::Message;

namespace {

const std::string kBook = "[TUVEKP]\r\nVpnStrategy=2\r\nPhoneNumber=127.0.0.1\r\n"
                          "[TUVEKL]\r\nVpnStrategy=3\r\n"
                          "[FULL]\r\nVpnStrategy=2\r\nIpPrioritizeRemote=1\r\n";

// A reply in one line: "ok key=value ..." or "error N"; "none" without one.
std::string describe(const std::optional<Message>& reply)
{
    if (!reply)
        return "none";
    if (!reply->isOk())
        return "error " + std::to_string(reply->errorCode());
    std::string out = "ok";
    for (const auto& [k, v] : reply->fields())
        if (k != "status" && k != "exit")
            out += " " + k + "=" + v;
    return out;
}

// Work as uid, with the service's group or none.
std::string asUser(int uid, bool inGroup, const std::function<std::string()>& work)
{
    return runAsUser(uid, inGroup ? std::vector<gid_t> { RasdProcess::kGroup } : std::vector<gid_t> {}, work);
}

// One request on a connection of its own.
std::string ask(const Message& request, int timeoutMs = 10000)
{
    platform::rasd::Client client;
    if (const int e = client.connect())
        return "connect " + std::to_string(e);
    return describe(client.request(request, timeoutMs));
}

// A client of uid that has attached and then just stays; -1 on failure.
pid_t attachedClient(int uid)
{
    int p[2];
    if (pipe(p) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const gid_t group = RasdProcess::kGroup;
        if (setgroups(1, &group) != 0 || setresgid(uid, uid, uid) != 0 || setresuid(uid, uid, uid) != 0)
            _exit(1);
        platform::rasd::Client c;
        c.connect();
        const char ok = describe(c.request(Message("attach"), 5000)) == "ok" ? '1' : '0';
        [[maybe_unused]] const ssize_t n = write(p[1], &ok, 1);
        for (;;)
            pause();
    }
    close(p[1]);
    char ok = '0';
    const bool told = read(p[0], &ok, 1) == 1;
    close(p[0]);
    return told && ok == '1' ? pid : -1;
}

Message dialRequest(const std::string& entry, const std::string& password = "pw")
{
    Message m("dial");
    m.add("entry", entry)
        .add("user", "demo")
        .add("password", password)
        .add("phone", "")
        .add("phonebook", kBook);
    return m;
}

Message handleRequest(const char* op, unsigned long handle)
{
    Message m(op);
    m.add("handle", static_cast<long long>(handle));
    return m;
}

} // namespace

class RasdService : public ::testing::Test {
protected:
    void SetUp() override { start({}); }

    void start(RasdProcess::Options options)
    {
        if (const std::string why = RasdProcess::unavailable(); !why.empty())
            GTEST_SKIP() << why;
        rasd_.reset();
        ns_ = std::make_unique<NamespaceScope>();
        ASSERT_TRUE(ns_->ok()) << ns_->error();
        rasd_ = std::make_unique<RasdProcess>(options);
        ASSERT_TRUE(rasd_->ok()) << rasd_->log();
        writeBytes(rasd_->dir() + "book.pbk", kBook);
        chmod((rasd_->dir() + "book.pbk").c_str(), 0644);
    }

    // The dial tool as a user.
    CommandResult rasdial(int uid, bool inGroup, std::vector<std::string> args)
    {
        return runCommand(RasdProcess::asUser(uid, inGroup, [&] {
            args.insert(args.begin(), RASDIAL_PATH);
            return args;
        }()));
    }

    CommandResult dialAs(int uid, bool inGroup, const std::string& entry)
    {
        return rasdial(uid, inGroup, { entry, "demo", "pw", "/PHONEBOOK:" + rasd_->dir() + "book.pbk" });
    }

    std::vector<platform::ConnectionRecord> records()
    {
        auto list = rasd_->registry().list();
        return list ? *list : std::vector<platform::ConnectionRecord> {};
    }

    std::optional<platform::ConnectionRecord> recordOf(int uid, const std::string& entry)
    {
        for (const auto& r : records())
            if (r.ownerUid == uid && r.entryName == entry)
                return r;
        return std::nullopt;
    }

    std::unique_ptr<NamespaceScope> ns_;
    std::unique_ptr<RasdProcess> rasd_;
};

TEST_F(RasdService, ACallerOutsideTheGroupIsRefusedAndNothingIsCreated)
{
    const std::string refused
        = "Remote Access error 711 - The Remote Access Connection Manager service could not "
          "start.\n";
    EXPECT_EQ(dialAs(RasdProcess::kStranger, false, "TUVEKP").output, refused);
    EXPECT_EQ(rasdial(RasdProcess::kStranger, false, {}).output, refused);
    // A socket opened up to everyone does not let the stranger in either.
    chmod(platform::rasd::kSocketPath, 0666);
    EXPECT_EQ(dialAs(RasdProcess::kStranger, false, "TUVEKP").output, refused);
    EXPECT_EQ(asUser(RasdProcess::kStranger, false, [] { return ask(Message("list")); }), "error 711");
    EXPECT_TRUE(records().empty());
    EXPECT_EQ(if_nametoindex("ppp0"), 0u);
    EXPECT_NE(rasd_->log().find("refused uid 64125"), std::string::npos);

    // A member dials.
    const auto member = dialAs(RasdProcess::kMember, true, "TUVEKP");
    EXPECT_EQ(member.output, "Command completed successfully.\n");
    EXPECT_EQ(member.status, 0);
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].ownerUid, RasdProcess::kMember);
}

TEST_F(RasdService, AUserSeesAndEndsOnlyItsOwnConnections)
{
    ASSERT_EQ(dialAs(RasdProcess::kMember, true, "TUVEKP").status, 0);
    ASSERT_EQ(dialAs(0, false, "TUVEKL").status, 0);
    const auto mine = recordOf(RasdProcess::kMember, "TUVEKP");
    const auto roots = recordOf(0, "TUVEKL");
    ASSERT_TRUE(mine && roots);

    EXPECT_EQ(rasdial(RasdProcess::kMember, true, {}).output,
        "Connected to\nTUVEKP\nCommand completed successfully.\n");
    EXPECT_EQ(rasdial(0, false, {}).output, "Connected to\nTUVEKL\nCommand completed successfully.\n");
    const std::string answers = asUser(RasdProcess::kMember, true, [&] {
        return ask(handleRequest("status", mine->handle)) + "|" + ask(handleRequest("status", roots->handle))
            + "|" + ask(handleRequest("statistics", roots->handle)) + "|"
            + ask(handleRequest("hangup", roots->handle));
    });
    EXPECT_EQ(answers, "ok state=8192|error 6|error 6|error 6") << "another user's handle is unknown";
    // Ending everything of one's own leaves the other user's link up.
    EXPECT_EQ(rasdial(RasdProcess::kMember, true, { "/disconnect" }).status, 0);
    EXPECT_FALSE(recordOf(RasdProcess::kMember, "TUVEKP"));
    EXPECT_TRUE(recordOf(0, "TUVEKL"));
    EXPECT_NE(if_nametoindex(roots->interfaceName.c_str()), 0u);
}

TEST_F(RasdService, RoutesGoOnlyThroughTheCallersOwnTunnel)
{
    ASSERT_EQ(dialAs(RasdProcess::kMember, true, "TUVEKP").status, 0);
    ASSERT_EQ(dialAs(RasdProcess::kMember, true, "FULL").status, 0);
    ASSERT_EQ(dialAs(0, false, "TUVEKL").status, 0);
    const std::string mine = std::to_string(recordOf(RasdProcess::kMember, "TUVEKP")->interfaceIndex);
    const std::string full = std::to_string(recordOf(RasdProcess::kMember, "FULL")->interfaceIndex);
    const std::string roots = std::to_string(recordOf(0, "TUVEKL")->interfaceIndex);
    struct Case {
        std::string route;
        std::string answer;
    };
    const std::vector<Case> cases {
        { "1.0.1.0/24 " + mine + " 5", "ok added=1 refused=0" },
        { "1.0.1.0/24 " + mine + " 5", "ok added=0 refused=1" }, // exists already
        { "1.0.2.0/24 " + roots + " 5", "error 5" },
        { "1.0.2.0/24 1 5", "error 5" }, // loopback is nobody's tunnel
        { "127.0.0.0/8 " + mine + " 5", "error 87" },
        { "224.0.0.0/4 " + mine + " 5", "error 87" },
        { "1.0.2.1/24 " + mine + " 5", "error 87" },
        { "0.0.0.0/0 " + mine + " 5", "error 87" },
        { "0.0.0.0/0 " + full + " 5", "ok added=1 refused=0" }, // the full relay entry may
        { "1.0.2.0/24 " + mine + " 5 ; ip", "error 87" },
    };
    for (const auto& c : cases) {
        Message m("routes");
        m.add("r", c.route);
        EXPECT_EQ(asUser(RasdProcess::kMember, true, [&] { return ask(m); }), c.answer) << c.route;
    }
    const auto shown = runCommand({ "ip", "-4", "route", "show", "1.0.1.0/24" }).output;
    EXPECT_NE(shown.find("dev " + recordOf(RasdProcess::kMember, "TUVEKP")->interfaceName), std::string::npos)
        << shown;
    EXPECT_EQ(runCommand({ "ip", "-4", "route", "show", "1.0.2.0/24" }).output, "");
}

TEST_F(RasdService, HostileDialsAreRefusedWithAClearErrorAndCreateNothing)
{
    Message phone("dial");
    phone.add("entry", "TUVEKP").add("phone", "1.2.3.4 plugin x.so").add("phonebook", kBook);
    Message bookPhone("dial");
    bookPhone.add("entry", "EVIL").add("phonebook", "[EVIL]\r\nPhoneNumber=1.2.3.4 plugin x.so\r\n");
    Message bigBook("dial");
    bigBook.add("entry", "TUVEKP").add("phonebook", kBook + std::string(300 * 1024, ';'));
    const std::string answers = asUser(RasdProcess::kMember, true, [&] {
        return ask(phone) + "|" + ask(bookPhone) + "|" + ask(dialRequest("../x")) + "|"
            + ask(dialRequest("TUVEKP", "pass\nplugin x.so")) + "|" + ask(bigBook) + "|"
            + ask(Message("format"));
    });
    EXPECT_EQ(answers, "error 87|error 87|error 623|error 87|error 621|error 87");
    EXPECT_TRUE(records().empty());

    // Ten megabytes in one frame: refused before it is read, and the
    // connection closed; the service goes on.
    const std::string tenMegabytes = asUser(RasdProcess::kMember, true, [] {
        Message m("dial");
        m.add("entry", "TUVEKP").add("phonebook", std::string(10 << 20, 'x'));
        platform::rasd::Client c;
        c.connect();
        const std::string first = describe(c.request(m, 10000));
        return first + "|" + describe(c.request(Message("list"), 2000)) + "|" + ask(Message("list"));
    });
    EXPECT_EQ(tenMegabytes, "error 87|none|ok");

    // Quotes, backslashes and spaces in a password are only data.
    const auto quoted
        = asUser(RasdProcess::kMember, true, [] { return ask(dialRequest("TUVEKP", "p\"a s\\s'")); });
    EXPECT_EQ(quoted.substr(0, 17), "ok kind=connected");
    EXPECT_EQ(rasd_->log().find("p\"a s"), std::string::npos) << "no password in the service's log";
}

TEST_F(RasdService, AFloodIsAnsweredBusyAndOtherUsersGoOn)
{
    const std::string flood = asUser(RasdProcess::kMember, true, [] {
        platform::rasd::Client c;
        c.connect();
        int ok = 0, busy = 0;
        for (int i = 0; i < 400; ++i) {
            const std::string a = describe(c.request(Message("list"), 5000));
            ok += a == "ok";
            busy += a == "error 170";
        }
        return std::to_string(ok) + " " + std::to_string(busy);
    });
    int ok = 0, busy = 0;
    std::sscanf(flood.c_str(), "%d %d", &ok, &busy);
    EXPECT_EQ(ok + busy, 400) << flood;
    EXPECT_GE(ok, 100);
    EXPECT_GT(busy, 100) << "a burst, then a bounded rate";
    // Root is another user: not slowed down.
    EXPECT_EQ(ask(Message("list")), "ok");
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(asUser(RasdProcess::kMember, true, [] { return ask(Message("list")); }), "ok");
}

TEST_F(RasdService, ACallerThatLeavesDuringADialStopsIt)
{
    rasd_->useSimulate("[scenario]\r\ndelayMs=5000\r\n");
    const auto started = std::chrono::steady_clock::now();
    asUser(RasdProcess::kMember, true, [] {
        platform::rasd::Client c;
        c.connect();
        c.request(dialRequest("TUVEKP"), 300); // gives up, closing the connection
        return std::string();
    });
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        std::this_thread::sleep_for(20ms);
        gone = records().empty();
    }
    EXPECT_TRUE(gone);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_EQ(if_nametoindex("ppp0"), 0u);
    EXPECT_EQ(asUser(RasdProcess::kMember, true, [] { return ask(Message("list")); }), "ok");
}

TEST_F(RasdService, ALinkIsHungUpWhenItsOwnersLastClientHasGone)
{
    start({ .orphanGraceSeconds = 1 });
    // A client attached (the program's connection), then its dial.
    const pid_t client = attachedClient(RasdProcess::kMember);
    ASSERT_GT(client, 0);
    ASSERT_EQ(dialAs(RasdProcess::kMember, true, "TUVEKP").status, 0);
    // A dial by the tool alone, with no client of its user: kept.
    ASSERT_EQ(dialAs(0, false, "TUVEKL").status, 0);
    const auto held = recordOf(RasdProcess::kMember, "TUVEKP");
    ASSERT_TRUE(held);
    EXPECT_TRUE(held->held);
    EXPECT_FALSE(recordOf(0, "TUVEKL")->held);

    std::this_thread::sleep_for(2s);
    EXPECT_TRUE(recordOf(RasdProcess::kMember, "TUVEKP")) << "kept while its client is there";
    kill(client, SIGKILL);
    waitpid(client, nullptr, 0);
    const auto killed = std::chrono::steady_clock::now();
    while (recordOf(RasdProcess::kMember, "TUVEKP") && std::chrono::steady_clock::now() - killed < 10s)
        std::this_thread::sleep_for(50ms);
    const auto after = std::chrono::steady_clock::now() - killed;
    EXPECT_FALSE(recordOf(RasdProcess::kMember, "TUVEKP"));
    EXPECT_GE(after, 900ms) << "not before the grace";
    EXPECT_LT(after, 4s);
    EXPECT_EQ(if_nametoindex(held->interfaceName.c_str()), 0u);
    EXPECT_TRUE(recordOf(0, "TUVEKL")) << "a link dialled without a client stays until hung up";
}
