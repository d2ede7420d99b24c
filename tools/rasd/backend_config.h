#pragma once

#include <string>

// The backends' settings, the service's configuration file (read again for
// every dial). Every key may be left out; relative paths are taken from the
// file's directory.
//   [backend] name=pppd|simulate  scenario=PATH
//   [pppd]    pppd=PROGRAM  pptp=PROGRAM  xl2tpd=PROGRAM  runDir=DIR  timeout=SECONDS
struct BackendConfig {
    enum class Backend { Pppd, Simulate, Unknown };

    Backend backend = Backend::Pppd;
    std::string backendName = "pppd";
    std::string scenarioPath;
    std::string pppdProgram = "pppd";
    std::string pptpProgram = "pptp";
    std::string xl2tpdProgram = "xl2tpd";
    // Where pppd leaves its "ppp-LINKNAME.pid" files.
    std::string pppdRunDir = "/var/run/";
    // How long an L2TP dial may take to bring the link up.
    int l2tpTimeoutSeconds = 30;

    static BackendConfig load(const std::string& path);
};
