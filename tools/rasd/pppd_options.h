#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/rasd/phonebook_entry.h"

// The pieces of a real dial through pppd, as plain functions of their inputs.
namespace pppd {

enum class Protocol { Pptp, L2tp };

// The protocols to try, in order, for a phonebook VpnStrategy: 0 and 2 PPTP
// then L2TP, 1 PPTP only, 3 L2TP only, 4 L2TP then PPTP; others none.
std::vector<Protocol> protocolsFor(int vpnStrategy);

// A dotted IPv4 address in its plain form, or nothing. The server address
// ends up in the command pppd hands to a shell for PPTP, so only this form
// is ever let through.
std::optional<std::string> canonicalIpv4(const std::string& text);

// One word of a pppd options file: quoted, with backslash before '"' and
// '\\', and control bytes as octal escapes.
std::string quoteWord(const std::string& text);

// Options file with the credentials; it is written owner-only and removed
// after pppd has read it, so they never appear on a command line.
std::string credentialsFile(const std::string& user, const std::string& password);

// The link options shared by both protocols, from the phonebook entry.
std::vector<std::string> linkOptions(
    const PhonebookEntry& entry, const std::string& linkName, const std::string& logFile);

struct PptpCommand {
    std::string pppd;
    std::string pptp;
    std::string server; // canonical IPv4
    std::string credentialsPath;
    std::string linkName;
    std::string logFile;
};
// argv for pppd; nothing when the pptp program name is not a plain path.
std::optional<std::vector<std::string>> pptpArguments(const PptpCommand& c, const PhonebookEntry& entry);

// Text of the pppd options file an L2TP link uses (credentials included).
std::string l2tpPppOptions(const std::string& user, const std::string& password, const PhonebookEntry& entry,
    const std::string& linkName, const std::string& logFile);
// xl2tpd.conf for one outgoing tunnel that dials at once.
std::string xl2tpdConfig(const std::string& server, const std::string& pppOptionsPath);
std::vector<std::string> xl2tpdArguments(const std::string& xl2tpd, const std::string& configPath,
    const std::string& pidPath, const std::string& controlPath);

// The Remote Access error number for pppd's exit status (0 means connected)
// and what it logged: pppd's own codes, refined by its log where the code
// alone is too coarse.
int errorForExitStatus(int status, const std::string& log);
// For an L2TP dial that never came up: from the log, or the given default.
int errorForL2tpLog(const std::string& log, int otherwise);
// For an L2TP dial whose pppd ended before the link came up: pppd's exit code as
// xl2tpd logged it (-1 when it did not) and the log.
int errorForL2tpPppdEnd(int code, const std::string& log);
// pppd's exit code from xl2tpd's "pppd exited for call N with code C", or -1.
int xl2tpdPppdExitCode(const std::string& log);

} // namespace pppd
