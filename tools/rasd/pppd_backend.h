#pragma once

#include "platform/linux/connection_registry.h"
#include "tools/rasd/dial_outcome.h"
#include "tools/rasd/backend_config.h"

// The real dial: PPTP through pppd and pptp, L2TP through a private xl2tpd
// instance, in the order the entry's VpnStrategy asks for. Credentials go to
// pppd in an owner-only options file that is removed once pppd has read it.
// Needs root (pppd, the PPP kernel driver) and the ppp, pptp-linux and
// xl2tpd packages.
class PppdBackend {
public:
    PppdBackend(const platform::ConnectionRegistry& registry, BackendConfig config)
        : registry_(registry)
        , config_(std::move(config))
    {
    }

    DialOutcome dial(const DialRequest& request);

private:
    DialOutcome dialPptp(const DialRequest& request, const std::string& server);
    DialOutcome dialL2tp(const DialRequest& request, const std::string& server);
    // "ppp-LINKNAME.pid" written by pppd: its pid and interface once known.
    bool readLinkPidFile(const std::string& linkName, int& pid, std::string& interfaceName) const;
    bool recordConnected(const DialRequest& request, int pid, const std::string& interfaceName) const;

    const platform::ConnectionRegistry& registry_;
    BackendConfig config_;
};
