#include "tools/rasd/backend_config.h"

#include "base/ini_file.h"

namespace {

std::string resolve(const std::string& dir, const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return path;
    return dir + path;
}

std::string withSlash(std::string dir)
{
    if (!dir.empty() && dir.back() != '/')
        dir.push_back('/');
    return dir;
}

} // namespace

BackendConfig BackendConfig::load(const std::string& path)
{
    const std::string registryDir = path.substr(0, path.rfind('/') + 1);
    const IniSnapshot ini = IniSnapshot::read(path);
    BackendConfig c;
    c.backendName = ini.readString("backend", "name", "pppd");
    if (c.backendName == "pppd")
        c.backend = Backend::Pppd;
    else if (c.backendName == "simulate")
        c.backend = Backend::Simulate;
    else
        c.backend = Backend::Unknown;
    c.scenarioPath = resolve(registryDir, ini.readString("backend", "scenario"));
    c.pppdProgram = ini.readString("pppd", "pppd", c.pppdProgram);
    c.pptpProgram = ini.readString("pppd", "pptp", c.pptpProgram);
    c.xl2tpdProgram = ini.readString("pppd", "xl2tpd", c.xl2tpdProgram);
    c.pppdRunDir = withSlash(ini.readString("pppd", "runDir", c.pppdRunDir));
    c.l2tpTimeoutSeconds = ini.readInt("pppd", "timeout", c.l2tpTimeoutSeconds);
    if (c.l2tpTimeoutSeconds <= 0)
        c.l2tpTimeoutSeconds = 30;
    return c;
}
