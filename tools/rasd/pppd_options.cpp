#include "tools/rasd/pppd_options.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstdio>

#include "tools/rasd/ras_error.h"

namespace pppd {
namespace {

using Option = std::vector<std::string>;

std::vector<Option> optionGroups(
    const PhonebookEntry& entry, const std::string& linkName, const std::string& logFile)
{
    std::vector<Option> o;
    o.push_back({ "linkname", linkName });
    // ipparam reaches the ip-up scripts; keep it a fixed word.
    o.push_back({ "ipparam", "zavtrel" });
    o.push_back({ "logfile", logFile });
    // The server is not asked to prove itself.
    o.push_back({ "noauth" });
    o.push_back({ "nobsdcomp" });
    o.push_back({ "nodeflate" });
    if (entry.dataEncryption != 0) {
        // 256 asks for the strongest encryption, any other value for some.
        o.push_back({ entry.dataEncryption == 256 ? "require-mppe-128" : "require-mppe" });
        // MPPE keys come only out of MS-CHAP.
        o.push_back({ "refuse-pap" });
        o.push_back({ "refuse-chap" });
        o.push_back({ "refuse-eap" });
    }
    if (!entry.ipHeaderCompression) {
        o.push_back({ "novj" });
        o.push_back({ "novjccomp" });
    }
    if (entry.ipPrioritizeRemote) {
        o.push_back({ "defaultroute" });
        o.push_back({ "replacedefaultroute" });
    } else {
        o.push_back({ "nodefaultroute" });
    }
    // The client redials by itself; pppd tries once.
    o.push_back({ "maxfail", "1" });
    o.push_back({ "lcp-echo-interval", "10" });
    o.push_back({ "lcp-echo-failure", "3" });
    return o;
}

bool plainPath(const std::string& path)
{
    if (path.empty())
        return false;
    for (unsigned char c : path)
        if (!std::isalnum(c) && c != '/' && c != '.' && c != '_' && c != '-' && c != '+')
            return false;
    return true;
}

bool containsNoCase(const std::string& text, const std::string& what)
{
    auto low = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    return low(text).find(low(what)) != std::string::npos;
}

// What pppd logged, where it names the cause better than its exit status; 0
// when it names none. Status 16 ("Modem hangup") follows every failure once a
// PPTP call is up, whatever came before it.
int errorFromLog(const std::string& log)
{
    if (containsNoCase(log, "authentication failed"))
        return ras::kAuthenticationFailure;
    // "MPPE required, but kernel has no support."
    if (containsNoCase(log, "MPPE required, but kernel has no support"))
        return ras::kNoLocalEncryption;
    // The server requires encryption this side does not do.
    if (containsNoCase(log, "terminated by peer (MPPE required"))
        return ras::kNoLocalEncryption;
    // "MPPE required but peer refused", "... but peer negotiation failed"
    if (containsNoCase(log, "MPPE required but peer"))
        return ras::kNoRemoteEncryption;
    return 0;
}

} // namespace

std::vector<Protocol> protocolsFor(int vpnStrategy)
{
    switch (vpnStrategy) {
    case 0:
    case 2:
        return { Protocol::Pptp, Protocol::L2tp };
    case 1:
        return { Protocol::Pptp };
    case 3:
        return { Protocol::L2tp };
    case 4:
        return { Protocol::L2tp, Protocol::Pptp };
    default:
        return {};
    }
}

std::optional<std::string> canonicalIpv4(const std::string& text)
{
    in_addr a {};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1)
        return std::nullopt;
    char buf[INET_ADDRSTRLEN];
    if (!inet_ntop(AF_INET, &a, buf, sizeof buf))
        return std::nullopt;
    return std::string(buf);
}

std::string quoteWord(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20 || c == 0x7f) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out + "\"";
}

std::string credentialsFile(const std::string& user, const std::string& password)
{
    return "user " + quoteWord(user) + "\npassword " + quoteWord(password) + "\n";
}

std::vector<std::string> linkOptions(
    const PhonebookEntry& entry, const std::string& linkName, const std::string& logFile)
{
    std::vector<std::string> out;
    for (const auto& group : optionGroups(entry, linkName, logFile))
        out.insert(out.end(), group.begin(), group.end());
    return out;
}

std::optional<std::vector<std::string>> pptpArguments(const PptpCommand& c, const PhonebookEntry& entry)
{
    const auto server = canonicalIpv4(c.server);
    // pppd runs the pty command through the shell: only a plain program path
    // and a numeric address go into it.
    if (!server || !plainPath(c.pptp))
        return std::nullopt;
    std::vector<std::string> argv { c.pppd, "pty", c.pptp + " " + *server + " --nolaunchpppd", "file",
        c.credentialsPath };
    for (auto& o : linkOptions(entry, c.linkName, c.logFile))
        argv.push_back(std::move(o));
    // pppd stays in front until the link is up or has failed, so its exit
    // status is the dial's answer; then it goes on in the background.
    argv.push_back("updetach");
    return argv;
}

std::string l2tpPppOptions(const std::string& user, const std::string& password, const PhonebookEntry& entry,
    const std::string& linkName, const std::string& logFile)
{
    std::string out = credentialsFile(user, password);
    for (const auto& group : optionGroups(entry, linkName, logFile)) {
        out += group[0];
        for (size_t i = 1; i < group.size(); ++i)
            out += " " + quoteWord(group[i]);
        out += "\n";
    }
    return out;
}

std::string xl2tpdConfig(const std::string& server, const std::string& pppOptionsPath)
{
    return "[lac zavtrel]\n"
           "lns = "
        + server
        + "\n"
          "pppoptfile = "
        + pppOptionsPath
        + "\n"
          "autodial = yes\n"
          "redial = no\n"
          "require authentication = no\n"
          "length bit = yes\n";
}

std::vector<std::string> xl2tpdArguments(const std::string& xl2tpd, const std::string& configPath,
    const std::string& pidPath, const std::string& controlPath)
{
    // -D keeps it in front: it is the process that holds the link.
    return { xl2tpd, "-D", "-c", configPath, "-p", pidPath, "-C", controlPath };
}

int errorForExitStatus(int status, const std::string& log)
{
    if (status == 0)
        return 0;
    if (const int fromLog = errorFromLog(log))
        return fromLog;
    switch (status) {
    case 1: // fatal error
    case 2: // bad options
    case 3: // not root
    case 4: // no PPP in the kernel
    case 9: // pty command could not run
    case 18: // init script failed
        return ras::kRasmanCannotInitialize;
    case 5: // ended by a signal
        return ras::kUserDisconnection;
    case 6: // lock failed
    case 7: // open failed
        return ras::kPortNotAvailable;
    case 8: // connect script failed
    case 16: // the pty command (pptp) hung up: the server could not be reached,
             // went away, or nothing came back through the call; the log was
             // not more precise
        return ras::kVpnConnectionFailed;
    case 10: // negotiation failed
        if (containsNoCase(log, "timeout sending Config-Requests"))
            return ras::kPppNoResponse;
        return ras::kPppNoProtocolsConfigured;
    case 15: // no answer to echo requests
        return ras::kPppNoResponse;
    case 19: // we failed to authenticate
        return ras::kAuthenticationFailure;
    case 12: // idle
    case 13: // connect time
    case 14: // callback
    case 20: // traffic limit
        return ras::kRemoteDisconnection;
    default: // 11 peer did not authenticate, 17 loopback, and the rest
        return ras::kPppNoProtocolsConfigured;
    }
}

int errorForL2tpLog(const std::string& log, int otherwise)
{
    if (const int fromLog = errorFromLog(log))
        return fromLog;
    if (containsNoCase(log, "timeout sending Config-Requests"))
        return ras::kPppNoResponse;
    return otherwise;
}

int errorForL2tpPppdEnd(int code, const std::string& log)
{
    if (const int fromLog = errorFromLog(log))
        return fromLog;
    if (containsNoCase(log, "timeout sending Config-Requests"))
        return ras::kPppNoResponse;
    // xl2tpd ends its pppd (SIGTERM, status 5) when the server clears the call
    // or the tunnel; without a logged code pppd went the same way.
    if (code < 0 || code == 5)
        return ras::kPortDisconnected;
    return errorForExitStatus(code, log);
}

int xl2tpdPppdExitCode(const std::string& log)
{
    const std::string marker = "pppd exited for call ";
    const size_t at = log.find(marker);
    if (at == std::string::npos)
        return -1;
    const size_t with = log.find(" with code ", at + marker.size());
    if (with == std::string::npos)
        return -1;
    int code = 0;
    size_t i = with + 11;
    if (i >= log.size() || !std::isdigit(static_cast<unsigned char>(log[i])))
        return -1;
    for (; i < log.size() && std::isdigit(static_cast<unsigned char>(log[i])) && code < 1000; ++i)
        code = code * 10 + (log[i] - '0');
    return code;
}

} // namespace pppd
