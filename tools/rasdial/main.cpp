// rasdial: the dial tool of the client on Linux. Dials a phonebook entry,
// hangs up an entry's connections, or lists the active connections; keeps
// one record per connection in the registry that the client reads.

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <variant>
#include <vector>

#include "base/ascii.h"
#include "platform/linux/connection_registry.h"
#include "platform/linux/linux_system_paths.h"
#include "platform/linux/registry_remote_access.h"
#include "tools/rasdial/dial_scenario.h"
#include "tools/rasdial/phonebook_entry.h"
#include "tools/rasdial/pppd_backend.h"
#include "tools/rasdial/ras_error.h"
#include "tools/rasdial/rasdial_arguments.h"
#include "tools/rasdial/rasdial_config.h"
#include "tools/rasdial/simulate_backend.h"
#include "tools/rasdial/termination.h"

namespace {

constexpr const char* kSuccessLine = "Command completed successfully.\n";

using platform::ConnectionRecord;
using platform::ConnectionRegistry;

bool sameEntry(const std::string& a, const std::string& b)
{
    return equalsIgnoringAsciiCase(a, b);
}

void print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// The password given as "*": one line of standard input, typed without echo
// at a terminal. Nobody can read it off the command line.
std::string readPassword()
{
    termios saved {};
    const bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        std::fputs("Enter password: ", stderr);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string password;
    for (int c; password.size() < 1024 && (c = std::getchar()) != EOF && c != '\n';)
        password.push_back(static_cast<char>(c));
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fputs("\n", stderr);
    }
    return password;
}

int fail(int code)
{
    print(ras::errorLine(code) + "\n");
    return 1;
}

int listConnections(const ConnectionRegistry& registry)
{
    const auto records = registry.list();
    if (!records)
        return fail(ras::kRasmanCannotInitialize);
    if (records->empty()) {
        print("No connections\n");
    } else {
        print("Connected to\n");
        for (const auto& r : *records)
            print(r.entryName + "\n");
    }
    print(kSuccessLine);
    return 0;
}

int disconnect(const ConnectionRegistry& registry, const std::string& entry)
{
    const auto records = registry.list();
    if (!records)
        return fail(ras::kRasmanCannotInitialize);
    for (const auto& r : *records)
        if (entry.empty() || sameEntry(r.entryName, entry))
            platform::endConnection(registry, r);
    print(kSuccessLine);
    return 0;
}

int dial(const ConnectionRegistry& registry, const RasdialArguments& args)
{
    for (unsigned char c : args.entry)
        if (c < 0x20)
            return fail(ras::kCannotFindPhonebookEntry);
    const std::string phonebookPath
        = args.phonebook ? *args.phonebook : registry.directory() + "rasphone.pbk";
    const auto loaded = PhonebookEntry::load(phonebookPath, args.entry);
    if (const int* code = std::get_if<int>(&loaded))
        return fail(*code);
    const PhonebookEntry& entry = std::get<PhonebookEntry>(loaded);

    if (!registry.ensureDirectory())
        return fail(ras::kRasmanCannotInitialize);
    if (const auto records = registry.list()) {
        for (const auto& r : *records) {
            if (!sameEntry(r.entryName, args.entry))
                continue;
            if (!ConnectionRegistry::isLive(r)) {
                // A link that dropped and was never hung up.
                platform::endConnection(registry, r);
            } else if (r.state == ConnectionRecord::State::Dialing) {
                return fail(ras::kDialAlreadyInProgress);
            } else {
                print("You are already connected to " + r.entryName + ".\n");
                print(kSuccessLine);
                return 0;
            }
        }
    }

    const auto handle = registry.allocateHandle();
    if (!handle)
        return fail(ras::kRasmanCannotInitialize);
    DialRequest request;
    request.entry = args.entry;
    request.user = args.user.value_or("");
    request.password = args.password == "*" ? readPassword() : args.password.value_or("");
    request.phone = args.phone ? *args.phone : entry.phoneNumber;
    request.phonebook = entry;
    request.handle = *handle;

    const RasdialConfig config = RasdialConfig::load(registry.directory());
    DialOutcome outcome;
    switch (config.backend) {
    case RasdialConfig::Backend::Simulate:
        outcome = SimulateBackend(registry, DialScenario::load(config.scenarioPath)).dial(request);
        break;
    case RasdialConfig::Backend::Pppd:
        outcome = PppdBackend(registry, config).dial(request);
        break;
    case RasdialConfig::Backend::Unknown:
        outcome = DialOutcome::failed(ras::kRasmanCannotInitialize);
        break;
    }
    if (outcome.kind != DialOutcome::Kind::Connected)
        registry.remove(request.handle);

    switch (outcome.kind) {
    case DialOutcome::Kind::Connected:
        print(outcome.hasText ? outcome.text : kSuccessLine);
        return 0;
    case DialOutcome::Kind::Failed:
        for (int code : outcome.errors)
            print(ras::errorLine(code) + "\n");
        return 1;
    case DialOutcome::Kind::Raw:
        print(outcome.text);
        return outcome.exitCode;
    case DialOutcome::Kind::Terminated:
        return 1;
    }
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    installTerminationHandlers();
    const RasdialArguments args = RasdialArguments::parse(std::vector<std::string>(argv + 1, argv + argc));
    const platform::LinuxSystemPaths paths;
    const ConnectionRegistry registry(ConnectionRegistry::defaultDirectory(paths));

    int rc = 1;
    switch (args.command) {
    case RasdialArguments::Command::Usage:
        print(rasdialUsage());
        rc = 1;
        break;
    case RasdialArguments::Command::List:
        rc = listConnections(registry);
        break;
    case RasdialArguments::Command::Disconnect:
        rc = disconnect(registry, args.entry);
        break;
    case RasdialArguments::Command::Dial:
        rc = dial(registry, args);
        break;
    }
    std::fflush(stdout);
    return rc;
}
