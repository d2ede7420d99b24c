#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tools/rasd/dial_scenario.h"
#include "tools/rasdial/rasdial_arguments.h"

using Command = RasdialArguments::Command;

TEST(RasdialArguments, CommandLines)
{
    struct Case {
        std::vector<std::string> args;
        Command command;
        std::string entry;
        std::optional<std::string> user, password, phonebook, phone;
    };
    const Case cases[] = {
        { {}, Command::List, "", {}, {}, {}, {} },
        { { "TUVEKP", "user name", "pass word", "/PHONEBOOK:/tmp/a b/TUVEKP.sys", "/PHONE:10.0.0.1" },
            Command::Dial, "TUVEKP", "user name", "pass word", "/tmp/a b/TUVEKP.sys", "10.0.0.1" },
        { { "/phone:1.2.3.4", "TUVEKL", "/PhoneBook:x.pbk" }, Command::Dial, "TUVEKL", {}, {}, "x.pbk",
            "1.2.3.4" },
        { { "TUVEKP", "u", "", "/DOMAIN:corp" }, Command::Dial, "TUVEKP", "u", "", {}, {} },
        { { "TUVEKP", "/disconnect" }, Command::Disconnect, "TUVEKP", {}, {}, {}, {} },
        { { "/D" }, Command::Disconnect, "", {}, {}, {}, {} },
        { { "TUVEKP", "u", "p", "extra" }, Command::Usage, "", {}, {}, {}, {} },
        { { "TUVEKP", "/CALLBACK:123" }, Command::Usage, "", {}, {}, {}, {} },
        { { "A", "B", "/disconnect" }, Command::Usage, "", {}, {}, {}, {} },
    };
    for (const auto& c : cases) {
        const auto a = RasdialArguments::parse(c.args);
        const std::string label = c.args.empty() ? "(none)" : c.args[0] + " ...";
        EXPECT_EQ(a.command, c.command) << label;
        if (c.command == Command::Usage)
            continue;
        EXPECT_EQ(a.entry, c.entry) << label;
        EXPECT_EQ(a.user, c.user) << label;
        EXPECT_EQ(a.password, c.password) << label;
        EXPECT_EQ(a.phonebook, c.phonebook) << label;
        EXPECT_EQ(a.phone, c.phone) << label;
    }
}

TEST(RasdialArguments, UsageTextCarriesNoMarkerAndNoErrorNumber)
{
    const std::string usage = rasdialUsage();
    EXPECT_EQ(usage.find("successfully"), std::string::npos);
    EXPECT_EQ(usage.find_first_of("0123456789"), std::string::npos);
}

TEST(DialScenario, FilesAndTheirProblems)
{
    TempDir dir;
    struct Case {
        std::string text;
        bool usable;
    };
    const Case cases[] = {
        { "[scenario]\nresult=error\nerrors=691, 720\n", true }, { "[scenario]\nresult=error\n", false },
        { "[scenario]\nresult=maybe\n", false }, { "[scenario]\nerrors=69x\n", false },
        { "[scenario]\ndelayMs=-5\n", false }, { "[other]\n", true }, // everything defaulted: a plain success
    };
    for (const auto& c : cases) {
        writeBytes(dir.file("s.ini"), c.text);
        EXPECT_EQ(DialScenario::load(dir.file("s.ini")).problem.empty(), c.usable) << c.text;
    }
    writeBytes(dir.file("s.ini"), "[scenario]\nresult=error\nerrors=691, 720;800\n");
    EXPECT_EQ(DialScenario::load(dir.file("s.ini")).errors, (std::vector<int> { 691, 720, 800 }));
    EXPECT_FALSE(DialScenario::load(dir.file("missing.ini")).problem.empty());
    EXPECT_EQ(DialScenario::unescape("a\\nb\\r\\n\\t\\\\\\q"), "a\nb\r\n\t\\\\q");
}
