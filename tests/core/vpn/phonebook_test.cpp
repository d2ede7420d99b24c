#include <gtest/gtest.h>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "base/ini_file.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"
#include "core/vpn/phonebook.h"
#include "core/vpn/phonebook_resources.h"

namespace {

const char* const kNames[] = { "TUVEKP", "TUVEKL", "TUVEKX" };

std::string expected(const std::string& name)
{
    const std::string bytes = readBytes(std::string(ZAVTREL_TEST_DATA_DIR) + "/phonebook/" + name);
    if (bytes.empty())
        ADD_FAILURE() << "missing expected copy of " << name;
    return bytes;
}

std::string embedded(const std::string& name)
{
    const auto bytes = phonebookResource(name);
    return bytes ? std::string(*bytes) : std::string();
}

std::vector<std::string> splitCrLf(const std::string& s)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t end; (end = s.find("\r\n", pos)) != std::string::npos; pos = end + 2)
        lines.push_back(s.substr(pos, end - pos));
    lines.push_back(s.substr(pos));
    return lines;
}

std::string replaced(std::string s, const std::string& from, const std::string& to)
{
    const size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        s.replace(at, from.size(), to);
    return s;
}

} // namespace

TEST(PhonebookTemplates, EmbeddedBytesEqualTheCheckedInCopies)
{
    for (const char* name : kNames) {
        const std::string bytes = embedded(name);
        EXPECT_EQ(bytes.size(), expected(name).size()) << name;
        EXPECT_TRUE(bytes == expected(name)) << name;
    }
    EXPECT_FALSE(phonebookResource("TUVEK"));
}

TEST(PhonebookTemplates, Layout)
{
    struct Case {
        const char* name;
        size_t lines; // pieces between CR LFs, the empty piece after a final CR LF included
        const char* ending;
        std::vector<std::string> netComponents;
        std::string device;
    };
    const std::string gbkDevice = "WAN \xCE\xA2\xD0\xCD\xB6\xCB\xBF\xDA (L2TP)";
    const Case cases[] = {
        { "TUVEKP", 91, "TryNextAlternateOnFail=1\r\n\r\n", { "ms_server=1", "ms_msclient=1" },
            "WAN 微型端口 (L2TP)" },
        { "TUVEKL", 102, "\r\nTryNextAlternateOnFail=1", { "ms_msclient=1", "ms_server=1" },
            "WAN Miniport (L2TP)" },
        { "TUVEKX", 89, "\r\nTryNextAlternateOnFail=1", { "ms_msclient=1", "ms_server=0" }, gbkDevice },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = expected(c.name);
        // CR and LF only ever as a pair.
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r') {
                ASSERT_EQ(bytes[i + 1], '\n') << "at " << i;
            }
            if (bytes[i] == '\n') {
                ASSERT_EQ(bytes[i - 1], '\r') << "at " << i;
            }
        }
        EXPECT_TRUE(bytes.ends_with(c.ending));
        EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
        const auto lines = splitCrLf(bytes);
        EXPECT_EQ(lines.size(), c.lines);
        EXPECT_EQ(lines.front(), std::string("[") + c.name + "]");
        // Exactly three empty lines inside, each before one block.
        std::vector<std::string> afterEmpty;
        for (size_t i = 0; i + 1 < lines.size(); ++i)
            if (lines[i].empty() && i + 1 < lines.size() && !lines[i + 1].empty())
                afterEmpty.push_back(lines[i + 1]);
        EXPECT_EQ(afterEmpty, (std::vector<std::string> { "NETCOMPONENTS=", "MEDIA=rastapi", "DEVICE=vpn" }));
        const bool endsEmpty = std::string(c.name) == "TUVEKP";
        EXPECT_EQ(std::count(lines.begin(), lines.end(), ""), endsEmpty ? 5 : 3);
        const auto net = std::find(lines.begin(), lines.end(), "NETCOMPONENTS=");
        ASSERT_NE(net, lines.end());
        EXPECT_EQ(std::vector<std::string>(net + 1, net + 3), c.netComponents);
        const auto media = std::find(lines.begin(), lines.end(), "MEDIA=rastapi");
        ASSERT_LT(media + 2, lines.end());
        EXPECT_EQ(media[2], "Device=" + c.device);
        EXPECT_NE(std::find(lines.begin(), lines.end(), "PreferredDevice=" + c.device), lines.end());
        const auto dev = std::find(lines.begin(), lines.end(), "DEVICE=vpn");
        ASSERT_LT(dev + 1, lines.end());
        EXPECT_EQ(dev[1], std::string("PhoneNumber=") + ZAVTREL_DEFAULT_SERVER_IP);
    }
}

TEST(PhonebookTemplates, ReadThroughTheIniLayer)
{
    TempDir dir;
    struct Case {
        const char* name;
        const char* prioritizeRemote;
        const char* vpnStrategy;
    };
    for (const Case c :
        { Case { "TUVEKP", "0", "2" }, Case { "TUVEKL", "1", "3" }, Case { "TUVEKX", "0", "3" } }) {
        const std::string file = dir.file(c.name);
        writeBytes(file, expected(c.name));
        const IniFile ini(file);
        EXPECT_EQ(ini.readString(c.name, "IpPrioritizeRemote"), c.prioritizeRemote) << c.name;
        EXPECT_EQ(ini.readString(c.name, "VpnStrategy"), c.vpnStrategy) << c.name;
    }
    // The GBK name reads back as the Chinese name; the UTF-8 one would not.
    EXPECT_EQ(IniFile(dir.file("TUVEKX")).readString("TUVEKX", "Device"), "WAN 微型端口 (L2TP)");
}

TEST(ExtractResourceToFile, WritesExactlyTheTemplateOverWhateverWasThere)
{
    TempDir dir;
    const std::string file = dir.file("TUVEKL.sys");
    writeBytes(file, std::string(10000, 'x')); // longer than the template: no tail may survive
    ASSERT_TRUE(extractResourceToFile("TUVEKL", file));
    EXPECT_TRUE(readBytes(file) == expected("TUVEKL"));

    ASSERT_TRUE(extractResourceToFile("TUVEKP", file, "\r\n[More]\r\n"));
    EXPECT_TRUE(readBytes(file) == expected("TUVEKP") + "\r\n[More]\r\n");
}

TEST(ExtractResourceToFile, Failures)
{
    TempDir dir;
    const std::string file = dir.file("TUVEKP.sys");
    writeBytes(file, "old");
    EXPECT_FALSE(extractResourceToFile("NOSUCH", file));
    EXPECT_EQ(readBytes(file), "old") << "an unknown template leaves the file alone";

    EXPECT_FALSE(extractResourceToFile("TUVEKP", dir.file("missing/TUVEKP.sys")));

    ASSERT_EQ(mkdir(dir.file("TUVEKX.sys").c_str(), 0755), 0);
    EXPECT_FALSE(extractResourceToFile("TUVEKX", dir.file("TUVEKX.sys")));
}

TEST(ExtractResourceToFile, ReplacesALinkInsteadOfWritingThroughIt)
{
    TempDir dir;
    const std::string victim = dir.file("victim");
    writeBytes(victim, "keep me");
    ASSERT_EQ(symlink(victim.c_str(), dir.file("TUVEKP.sys").c_str()), 0);
    ASSERT_TRUE(extractResourceToFile("TUVEKP", dir.file("TUVEKP.sys")));
    EXPECT_EQ(readBytes(victim), "keep me");
    struct stat st { };
    ASSERT_EQ(lstat(dir.file("TUVEKP.sys").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST(PreparePhonebook, ChoosesWritesAndResolves)
{
    struct Case {
        int mode;
        const char* version;
        const char* entry;
        const char* label;
        int storedMode;
    };
    const Case cases[] = {
        { 1, "XP", "TUVEKP", "模式一", 1 },
        { 0, "7", "TUVEKP", "模式一", 1 },
        { 3, "Vista", "TUVEKP", "模式一", 1 },
        { 2, "Vista", "TUVEKL", "模式二", 2 },
        { 2, "7", "TUVEKL", "模式二", 2 },
        { 2, "8", "TUVEKL", "模式二", 2 },
        { 2, "XP", "TUVEKX", "模式2", 2 },
        { 2, "??", "TUVEKX", "模式2", 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " " + c.version);
        TempDir dir;
        FakeSystemPaths paths(dir.path());
        // Through a detour, so that the path really gets resolved.
        const PreparedPhonebook p = preparePhonebook(c.mode, c.version, dir.path() + "./", paths);
        EXPECT_EQ(p.entryName, c.entry);
        EXPECT_EQ(p.modeLabel, c.label);
        EXPECT_EQ(p.storedMode, c.storedMode);
        EXPECT_EQ(p.phonebookPath, paths.resolveShellPath(dir.file(std::string(c.entry) + ".sys")));
        EXPECT_EQ(p.phonebookPath.find("/./"), std::string::npos);
        EXPECT_TRUE(readBytes(p.phonebookPath) == expected(c.entry));
    }
}

TEST(PreparePhonebook, UnwritableTempDirGivesAnEmptyPath)
{
    TempDir dir;
    FakeSystemPaths paths(dir.path());
    const PreparedPhonebook p = preparePhonebook(2, "XP", dir.file("gone/"), paths);
    EXPECT_EQ(p.entryName, "TUVEKX");
    EXPECT_EQ(p.phonebookPath, "");
}

TEST(SetFullRelay, RewritesOnlyThatOneValue)
{
    struct Case {
        const char* name;
        const char* templateValue;
    };
    for (const Case c : { Case { "TUVEKP", "0" }, Case { "TUVEKL", "1" }, Case { "TUVEKX", "0" } }) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = dir.file(std::string(c.name) + ".sys");
        ASSERT_TRUE(extractResourceToFile(c.name, file));
        const std::string original = expected(c.name);
        const std::string line = std::string("\r\nIpPrioritizeRemote=") + c.templateValue + "\r\n";
        const std::string on = replaced(original, line, "\r\nIpPrioritizeRemote=1\r\n");
        const std::string off = replaced(original, line, "\r\nIpPrioritizeRemote=0\r\n");

        ASSERT_TRUE(setFullRelay(c.name, file, true));
        EXPECT_TRUE(readBytes(file) == on); // device names in UTF-8 and GBK, ends and all
        EXPECT_EQ(IniFile(file).readString(c.name, "IpPrioritizeRemote"), "1");
        ASSERT_TRUE(setFullRelay(c.name, file, false));
        EXPECT_TRUE(readBytes(file) == off);
        EXPECT_EQ(IniFile(file).readString(c.name, "IpPrioritizeRemote"), "0");
        ASSERT_TRUE(setFullRelay(c.name, file, true));
        EXPECT_TRUE(readBytes(file) == on);
    }
}

TEST(SetFullRelay, NothingToWriteTo)
{
    TempDir dir;
    EXPECT_FALSE(setFullRelay("TUVEKP", "", true));
    EXPECT_FALSE(setFullRelay("", dir.file("TUVEKP.sys"), true));
    EXPECT_FALSE(fileExists(dir.file("TUVEKP.sys")));
    EXPECT_FALSE(setFullRelay("TUVEKP", dir.file("gone/TUVEKP.sys"), true)); // refused write: no throw
}
