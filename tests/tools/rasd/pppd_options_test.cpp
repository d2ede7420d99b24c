#include <gtest/gtest.h>

#include <algorithm>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"
#include "tools/rasd/pppd_options.h"
#include "tools/rasd/ras_error.h"

using pppd::Protocol;

namespace {

PhonebookEntry entry(int encryption, bool defaultRoute, bool headerCompression)
{
    PhonebookEntry e;
    e.name = "TUVEKP";
    e.vpnStrategy = 2;
    e.dataEncryption = encryption;
    e.ipPrioritizeRemote = defaultRoute;
    e.ipHeaderCompression = headerCompression;
    return e;
}

} // namespace

TEST(PppdOptions, ProtocolsForEachVpnStrategy)
{
    const std::pair<int, std::vector<Protocol>> cases[] = {
        { 0, { Protocol::Pptp, Protocol::L2tp } },
        { 1, { Protocol::Pptp } },
        { 2, { Protocol::Pptp, Protocol::L2tp } },
        { 3, { Protocol::L2tp } },
        { 4, { Protocol::L2tp, Protocol::Pptp } },
        { 5, {} },
        { -1, {} },
    };
    for (const auto& [strategy, protocols] : cases)
        EXPECT_EQ(pppd::protocolsFor(strategy), protocols) << strategy;
}

TEST(PppdOptions, OnlyPlainIpv4AddressesPass)
{
    const std::pair<const char*, const char*> cases[] = {
        { "127.0.0.1", "127.0.0.1" },
        { "10.64.0.1", "10.64.0.1" },
        { "1.2.3.4 --x", nullptr },
        { "1.2.3.4;reboot", nullptr },
        { "$(reboot)", nullptr },
        { "vpn.example", nullptr },
        { "", nullptr },
        { "256.1.1.1", nullptr },
        { " 1.2.3.4", nullptr },
    };
    for (const auto& [text, canonical] : cases) {
        const auto got = pppd::canonicalIpv4(text);
        if (canonical)
            EXPECT_EQ(got, std::string(canonical)) << text;
        else
            EXPECT_EQ(got, std::nullopt) << text;
    }
}

TEST(PppdOptions, WordsOfAnOptionsFile)
{
    const std::pair<std::string, std::string> cases[] = {
        { "user", "\"user\"" },
        { "two words", "\"two words\"" },
        { "say \"hi\"", "\"say \\\"hi\\\"\"" },
        { "back\\slash", "\"back\\\\slash\"" },
        { "line\nbreak\t#", "\"line\\012break\\011#\"" },
        { "\xd6\xd0\xce\xc4", "\"\xd6\xd0\xce\xc4\"" }, // GBK bytes go through as they are
        { "", "\"\"" },
    };
    for (const auto& [text, quoted] : cases)
        EXPECT_EQ(pppd::quoteWord(text), quoted) << text;
    EXPECT_EQ(pppd::credentialsFile("a b", "p\"w"), "user \"a b\"\npassword \"p\\\"w\"\n");
}

TEST(PppdOptions, PptpCommandFromThePhonebookEntry)
{
    pppd::PptpCommand c { "pppd", "/usr/sbin/pptp", "127.0.0.1", "/run/u/.credentials-3", "zavtrel-3",
        "/run/u/pppd-3.log" };
    const std::vector<std::string> head { "pppd", "pty", "/usr/sbin/pptp 127.0.0.1 --nolaunchpppd", "file",
        "/run/u/.credentials-3", "linkname", "zavtrel-3", "ipparam", "zavtrel", "logfile",
        "/run/u/pppd-3.log", "noauth", "nobsdcomp", "nodeflate" };
    const std::vector<std::string> tail { "maxfail", "1", "lcp-echo-interval", "10", "lcp-echo-failure", "3",
        "updetach" };
    struct Case {
        PhonebookEntry entry;
        std::vector<std::string> middle;
    };
    const Case cases[] = {
        { entry(8, false, false),
            { "require-mppe", "refuse-pap", "refuse-chap", "refuse-eap", "novj", "novjccomp",
                "nodefaultroute" } },
        { entry(256, true, true),
            { "require-mppe-128", "refuse-pap", "refuse-chap", "refuse-eap", "defaultroute",
                "replacedefaultroute" } },
        { entry(0, false, true), { "nodefaultroute" } },
    };
    for (const auto& k : cases) {
        std::vector<std::string> expected = head;
        expected.insert(expected.end(), k.middle.begin(), k.middle.end());
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(pppd::pptpArguments(c, k.entry), expected) << k.entry.dataEncryption;
    }

    // Only what is safe in the command pppd gives to the shell.
    for (const char* server : { "1.2.3.4; reboot", "host name" }) {
        auto bad = c;
        bad.server = server;
        EXPECT_EQ(pppd::pptpArguments(bad, entry(8, false, false)), std::nullopt) << server;
    }
    auto badProgram = c;
    badProgram.pptp = "pptp $(reboot)";
    EXPECT_EQ(pppd::pptpArguments(badProgram, entry(8, false, false)), std::nullopt);
}

TEST(PppdOptions, L2tpFiles)
{
    EXPECT_EQ(pppd::l2tpPppOptions("u s", "pw", entry(256, true, true), "zavtrel-4", "/run/u/pppd-4.log"),
        "user \"u s\"\n"
        "password \"pw\"\n"
        "linkname \"zavtrel-4\"\n"
        "ipparam \"zavtrel\"\n"
        "logfile \"/run/u/pppd-4.log\"\n"
        "noauth\nnobsdcomp\nnodeflate\n"
        "require-mppe-128\nrefuse-pap\nrefuse-chap\nrefuse-eap\n"
        "defaultroute\nreplacedefaultroute\n"
        "maxfail \"1\"\nlcp-echo-interval \"10\"\nlcp-echo-failure \"3\"\n");
    EXPECT_EQ(pppd::xl2tpdConfig("127.0.0.1", "/run/u/.l2tp-4/options"),
        "[lac zavtrel]\n"
        "lns = 127.0.0.1\n"
        "pppoptfile = /run/u/.l2tp-4/options\n"
        "autodial = yes\n"
        "redial = no\n"
        "require authentication = no\n"
        "length bit = yes\n");
    EXPECT_EQ(pppd::xl2tpdArguments("xl2tpd", "/c", "/p", "/k"),
        (std::vector<std::string> { "xl2tpd", "-D", "-c", "/c", "-p", "/p", "-C", "/k" }));
}

TEST(PppdOptions, ExitStatusToRemoteAccessError)
{
    struct Case {
        int status;
        const char* log;
        int error;
    };
    const Case cases[] = {
        { 0, "", 0 },
        { 1, "", ras::kRasmanCannotInitialize },
        { 2, "", ras::kRasmanCannotInitialize },
        { 3, "", ras::kRasmanCannotInitialize },
        { 4, "", ras::kRasmanCannotInitialize },
        { 5, "", ras::kUserDisconnection },
        { 6, "", ras::kPortNotAvailable },
        { 7, "", ras::kPortNotAvailable },
        { 8, "", ras::kVpnConnectionFailed },
        { 9, "", ras::kRasmanCannotInitialize },
        { 10, "", ras::kPppNoProtocolsConfigured },
        { 10, "LCP: timeout sending Config-Requests", ras::kPppNoResponse },
        { 10, "MPPE required but peer negotiation failed", ras::kNoRemoteEncryption },
        { 11, "", ras::kPppNoProtocolsConfigured },
        { 12, "", ras::kRemoteDisconnection },
        { 15, "", ras::kPppNoResponse },
        { 16, "Modem hangup", ras::kVpnConnectionFailed },
        { 16, "LCP terminated by peer (MPPE required but peer refused)\nModem hangup",
            ras::kNoLocalEncryption },
        { 10, "MPPE required, but kernel has no support.", ras::kNoLocalEncryption },
        { 10, "MPPE required but peer refused", ras::kNoRemoteEncryption },
        { 17, "", ras::kPppNoProtocolsConfigured },
        { 18, "", ras::kRasmanCannotInitialize },
        { 19, "MS-CHAP authentication failed: E=691", ras::kAuthenticationFailure },
        { 42, "", ras::kPppNoProtocolsConfigured },
    };
    for (const auto& c : cases)
        EXPECT_EQ(pppd::errorForExitStatus(c.status, c.log), c.error) << c.status << " " << c.log;

    EXPECT_EQ(pppd::errorForL2tpLog("CHAP authentication failed", 800), ras::kAuthenticationFailure);
    EXPECT_EQ(pppd::errorForL2tpLog("LCP: timeout sending Config-Requests", 800), ras::kPppNoResponse);
    EXPECT_EQ(pppd::errorForL2tpLog("Maximum retries exceeded for tunnel", 800), 800);

    EXPECT_EQ(
        pppd::xl2tpdPppdExitCode("xl2tpd[9]: child_handler : pppd exited for call 3731 with code 10\n"), 10);
    EXPECT_EQ(pppd::xl2tpdPppdExitCode("xl2tpd[9]: Terminating pppd: sending TERM signal to pid 7\n"), -1);
    EXPECT_EQ(pppd::errorForL2tpPppdEnd(19, "CHAP authentication failed"), ras::kAuthenticationFailure);
    EXPECT_EQ(pppd::errorForL2tpPppdEnd(10, "MPPE required but peer refused"), ras::kNoRemoteEncryption);
    EXPECT_EQ(pppd::errorForL2tpPppdEnd(-1, "LCP: timeout sending Config-Requests"), ras::kPppNoResponse);
    EXPECT_EQ(pppd::errorForL2tpPppdEnd(5, "Terminating on signal 15"), ras::kPortDisconnected);
}

// pppd itself, where installed, takes every option we build: "dryrun" parses
// the command line and the options files, then stops. Without the PPP kernel
// driver it stops with 4 after the options were accepted; 2 is an option error.
TEST(PppdOptions, RealPppdAcceptsTheOptions)
{
    if (access("/usr/sbin/pppd", X_OK) != 0 || geteuid() != 0)
        GTEST_SKIP() << "pppd not installed, or not root";
    TempDir dir;
    writeBytes(dir.file("credentials"), pppd::credentialsFile("us er", "pa\"ss\\word\n"));
    writeBytes(dir.file("options"),
        pppd::l2tpPppOptions("us er", "pw", entry(256, true, false), "zavtrel-9", dir.file("l2tp.log")));
    pppd::PptpCommand c { "/usr/sbin/pppd", "/usr/sbin/pptp", "127.0.0.1", dir.file("credentials"),
        "zavtrel-9", dir.file("pptp.log") };
    for (const auto& e : { entry(8, false, false), entry(256, true, true), entry(0, false, true) }) {
        for (bool l2tp : { false, true }) {
            std::vector<std::string> argv;
            if (l2tp)
                argv = { "/usr/sbin/pppd", "pty", "true", "file", dir.file("options") };
            else
                argv = *pppd::pptpArguments(c, e);
            argv.push_back("dryrun");
            std::vector<char*> args;
            for (auto& a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            posix_spawn_file_actions_t fa;
            posix_spawn_file_actions_init(&fa);
            posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", 1, 0);
            posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", 1, 0);
            pid_t pid = -1;
            ASSERT_EQ(posix_spawn(&pid, args[0], &fa, nullptr, args.data(), nullptr), 0);
            posix_spawn_file_actions_destroy(&fa);
            int status = 0;
            waitpid(pid, &status, 0);
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_TRUE(WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 4)
                << "pppd exit " << WEXITSTATUS(status) << (l2tp ? " (L2TP options)" : " (PPTP)");
        }
    }
}
