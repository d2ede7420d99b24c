// The real dial tool through the service and its pppd backend, against a stand-in pppd that
// records what it was given and answers with a chosen exit status. The
// kernel of these machines has no PPP, so the link it reports is the
// loopback interface, held by a sleeping process.

#include <gtest/gtest.h>

#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/linux/posix_process_capture.h"
#include "platform/linux/registry_remote_access.h"
#include "tests/support/rasd_process.h"
#include "tests/support/temp_dir.h"
#include "tools/rasd/pppd_options.h"
#include "tools/rasd/ras_error.h"

using platform::ConnectionRegistry;
using platform::RemoteAccess;

namespace {

const char* kFakePppd = R"(#!/bin/sh
here=$(dirname "$0")
printf '%s\n' "$@" > "$here/args"
while [ $# -gt 0 ]; do
  case "$1" in
    file) cp "$2" "$here/credentials.seen"; shift ;;
    linkname) link=$2; shift ;;
  esac
  shift
done
cat "$here/say" 2>/dev/null
read code < "$here/exit"
if [ "$code" = 0 ]; then
  sleep 30 </dev/null >/dev/null 2>&1 &
  printf '%s\nlo\n' "$!" > "$here/run/ppp-$link.pid"
fi
exit "$code"
)";

} // namespace

class RasdialPppd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = RasdProcess::unavailable(); !why.empty())
            GTEST_SKIP() << why;
        rasd_ = std::make_unique<RasdProcess>();
        ASSERT_TRUE(rasd_->ok()) << rasd_->log();
        registry_ = std::make_unique<ConnectionRegistry>(rasd_->registry());
        std::filesystem::create_directories(fake_.path() + "run");
        writeBytes(fake_.file("pppd"), kFakePppd);
        chmod(fake_.file("pppd").c_str(), 0700);
        rasd_->writeConfig("[backend]\nname=pppd\n[pppd]\npppd=" + fake_.file("pppd")
            + "\npptp=/usr/sbin/pptp\n" + "xl2tpd=/nonexistent/xl2tpd\nrunDir=" + fake_.path() + "run\n");
        phonebook_ = runtime_.file("TUVEKP.sys");
        writeBytes(phonebook_,
            "[TUVEKP]\r\nVpnStrategy=1\r\nDataEncryption=8\r\nIpPrioritizeRemote=0\r\n\r\n"
            "[TUVEKX]\r\nVpnStrategy=2\r\nDataEncryption=256\r\n");
    }

    void TearDown() override
    {
        rasd_.reset(); // hangs up what is left
    }

    std::string dial(const std::string& entry, int exitStatus, const std::string& say = "",
        const std::string& phone = "127.0.0.1")
    {
        writeBytes(fake_.file("exit"), std::to_string(exitStatus) + "\n");
        writeBytes(fake_.file("say"), say);
        return capture_
            .runAndCapture(
                { RASDIAL_PATH, entry, "user name", "*", "/PHONEBOOK:" + phonebook_, "/PHONE:" + phone },
                "pass word\n")
            .output;
    }

    // Files a dial leaves in the registry directory besides the records.
    std::vector<std::string> leftovers()
    {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(registry_->directory())) {
            const std::string name = e.path().filename();
            if (name.rfind("conn-", 0) != 0 && name != ".lock" && name != ".next-handle")
                out.push_back(name);
        }
        return out;
    }

    TempDir runtime_;
    TempDir fake_;
    std::unique_ptr<RasdProcess> rasd_;
    std::string phonebook_;
    std::unique_ptr<ConnectionRegistry> registry_;
    platform::PosixProcessCapture capture_;
};

TEST_F(RasdialPppd, ConnectedLinkIsRecordedAndCredentialsStayOffTheCommandLine)
{
    EXPECT_EQ(dial("TUVEKP", 0), "Command completed successfully.\n");
    const auto list = registry_->list();
    ASSERT_EQ(list->size(), 1u);
    const auto& r = (*list)[0];
    EXPECT_EQ(r.entryName, "TUVEKP");
    EXPECT_EQ(r.backend, "pppd");
    EXPECT_EQ(r.interfaceName, "lo");
    EXPECT_FALSE(r.ownsTun);
    platform::RegistryRemoteAccess ras(*registry_, std::make_shared<platform::SystemClock>());
    EXPECT_EQ(ras.connectionStatus(r.handle), RemoteAccess::kConnected);

    const std::string args = "\n" + readBytes(fake_.file("args")); // one argument a line
    EXPECT_EQ(args.find("pass word"), std::string::npos);
    EXPECT_EQ(args.find("user name"), std::string::npos);
    EXPECT_NE(args.find("\npty\n/usr/sbin/pptp 127.0.0.1 --nolaunchpppd\n"), std::string::npos) << args;
    EXPECT_NE(args.find("\nrequire-mppe\n"), std::string::npos);
    EXPECT_NE(args.find("\nupdetach\n"), std::string::npos);
    EXPECT_EQ(readBytes(fake_.file("credentials.seen")), pppd::credentialsFile("user name", "pass word"));
    EXPECT_EQ(leftovers(), std::vector<std::string> {}) << "credentials and log are gone after the dial";

    // Hang-up ends the process that holds the link.
    EXPECT_EQ(capture_.runAndCapture({ RASDIAL_PATH, "TUVEKP", "/disconnect" }).output,
        "Command completed successfully.\n");
    EXPECT_FALSE(ConnectionRegistry::processAlive(r.pid, r.pidStartTicks));
    EXPECT_EQ(registry_->list()->size(), 0u);
}

TEST_F(RasdialPppd, ExitStatusesBecomeErrorLines)
{
    struct Case {
        int status;
        const char* say;
        int error;
    };
    const Case cases[] = {
        { 19, "", ras::kAuthenticationFailure },
        { 16, "Modem hangup\n", ras::kVpnConnectionFailed },
        { 10, "LCP: timeout sending Config-Requests\n", ras::kPppNoResponse },
        { 4, "", ras::kRasmanCannotInitialize },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dial("TUVEKP", c.status, c.say), ras::errorLine(c.error) + "\n") << c.status;
        EXPECT_EQ(registry_->list()->size(), 0u);
        EXPECT_FALSE(std::filesystem::exists(registry_->directory() + ".credentials-1"));
    }
}

TEST_F(RasdialPppd, PptpFirstKeepsTheServersAnswerWhenL2tpCannotBeDialedHere)
{
    // TUVEKX tries PPTP, then L2TP, whose program is missing here.
    EXPECT_EQ(dial("TUVEKX", 16), ras::errorLine(ras::kVpnConnectionFailed) + "\n");
    EXPECT_NE(readBytes(fake_.file("args")).find("\nrequire-mppe-128\n"), std::string::npos);
    EXPECT_EQ(registry_->list()->size(), 0u);
}

TEST_F(RasdialPppd, AServerThatIsNoAddressIsNotDialed)
{
    EXPECT_EQ(dial("TUVEKP", 0, "", "vpn.example"), ras::errorLine(ras::kServerNameNotResolved) + "\n");
    EXPECT_FALSE(std::filesystem::exists(fake_.file("args")));
}
