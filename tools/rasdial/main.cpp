// rasdial: the dial tool of the client on Linux. Dials a phonebook entry,
// hangs up an entry's connections, or lists the active connections, all
// through the remote-access service, which does the privileged work and
// keeps each user's connections apart.

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <variant>
#include <vector>

#include "platform/linux/rasd_client.h"
#include "tools/rasd/ras_error.h"
#include "tools/rasd/request_policy.h"
#include "tools/rasdial/rasdial_arguments.h"

namespace {

using platform::rasd::Message;

constexpr const char* kSuccessLine = "Command completed successfully.\n";
constexpr int kQueryTimeoutMs = 30000;
// The service answers a dial when it has ended, however long the server takes.
constexpr int kDialTimeoutMs = 600000;

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

// The service's answer, or the error a caller gets when there is none: the
// service is not running or this user may not reach it.
std::variant<Message, int> ask(const Message& request, int timeoutMs)
{
    platform::rasd::Client client;
    if (client.connect() != 0)
        return ras::kRasmanCannotInitialize;
    auto reply = client.request(request, timeoutMs);
    if (!reply)
        return ras::kRasmanCannotInitialize;
    if (!reply->isOk())
        return reply->errorCode() > 0 ? reply->errorCode() : ras::kRasmanCannotInitialize;
    return std::move(*reply);
}

int listConnections()
{
    const auto reply = ask(Message("list"), kQueryTimeoutMs);
    if (const int* code = std::get_if<int>(&reply))
        return fail(*code);
    const auto entries = std::get<Message>(reply).all("entry");
    if (entries.empty()) {
        print("No connections\n");
    } else {
        print("Connected to\n");
        for (const auto& e : entries)
            print(e + "\n");
    }
    print(kSuccessLine);
    return 0;
}

int disconnect(const std::string& entry)
{
    Message request("disconnect");
    if (!entry.empty())
        request.add("entry", entry);
    const auto reply = ask(request, kQueryTimeoutMs);
    if (const int* code = std::get_if<int>(&reply))
        return fail(*code);
    print(kSuccessLine);
    return 0;
}

// The phonebook as this user may read it.
std::variant<std::string, int> readPhonebook(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ras::kCannotOpenPhonebook;
    std::string bytes(request_policy::kMaxPhonebookBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > request_policy::kMaxPhonebookBytes)
        return ras::kCannotOpenPhonebook;
    return bytes;
}

int dial(const RasdialArguments& args)
{
    if (const int code = request_policy::checkEntry(args.entry))
        return fail(code);
    const std::string path = args.phonebook ? *args.phonebook : std::string("rasphone.pbk");
    const auto phonebook = readPhonebook(path);
    if (const int* code = std::get_if<int>(&phonebook))
        return fail(*code);
    Message request("dial");
    request.add("entry", args.entry)
        .add("user", args.user.value_or(""))
        .add("password", args.password == "*" ? readPassword() : args.password.value_or(""))
        .add("phone", args.phone.value_or(""))
        .add("phonebook", std::get<std::string>(phonebook));
    const auto reply = ask(request, kDialTimeoutMs);
    if (const int* code = std::get_if<int>(&reply))
        return fail(*code);
    const Message& outcome = std::get<Message>(reply);
    const std::string kind = outcome.get("kind");
    if (kind == "connected") {
        print(outcome.has("text") ? outcome.get("text") : kSuccessLine);
        return 0;
    }
    if (kind == "raw") {
        print(outcome.get("text"));
        return static_cast<int>(outcome.getInt("exit").value_or(1));
    }
    if (kind == "failed") {
        for (const auto& code : outcome.all("error"))
            print(ras::errorLine(std::atoi(code.c_str())) + "\n");
        return 1;
    }
    return 1; // ended by a signal: nothing to say
}

} // namespace

int main(int argc, char** argv)
{
    const RasdialArguments args = RasdialArguments::parse(std::vector<std::string>(argv + 1, argv + argc));
    int rc = 1;
    switch (args.command) {
    case RasdialArguments::Command::Usage:
        print(rasdialUsage());
        rc = 1;
        break;
    case RasdialArguments::Command::List:
        rc = listConnections();
        break;
    case RasdialArguments::Command::Disconnect:
        rc = disconnect(args.entry);
        break;
    case RasdialArguments::Command::Dial:
        rc = dial(args);
        break;
    }
    std::fflush(stdout);
    return rc;
}
