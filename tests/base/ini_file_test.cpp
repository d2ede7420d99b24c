#include <gtest/gtest.h>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>

#include "base/atomic_file.h"
#include "base/ini_file.h"
#include "base/settings.h"
#include "tests/support/temp_dir.h"

namespace {

struct IniFileTest : ::testing::Test {
    TempDir dir;
    std::string path = dir.file("zvtad.INI");
    IniFile ini { path };
};

} // namespace

TEST_F(IniFileTest, ReadsWithDefaultsWithoutCreatingTheFile)
{
    EXPECT_EQ(ini.readString("Main", "User", "dflt"), "dflt");
    EXPECT_EQ(ini.readInt("Main", "Mode", 1), 1);
    EXPECT_FALSE(ini.readBool("Main", "SaveInfo", false));
    ini.eraseSection("Main");
    EXPECT_FALSE(fileExists(path));
}

TEST_F(IniFileTest, ValueTable)
{
    writeBytes(path,
        "; comment\r\n"
        "[main]\r\n"
        "mode = 0x2 \r\n"
        "Hex=0X1f\r\n"
        "Word=two\r\n"
        "Neg=-7\r\n"
        "Plus=+3\r\n"
        "PlusMinus=+-5\r\n"
        "TwoPlus=++5\r\n"
        "Space= 5x\r\n"
        "Short=0x\r\n"
        "Big=99999999999\r\n"
        "Bool5=5\r\n"
        "Bool0=0\r\n"
        "Quoted=\"a b\"\r\n"
        "Empty=\r\n"
        "[Other]\r\n"
        "Mode=9\r\n");
    struct Case {
        const char* key;
        int def;
        int expected;
    };
    for (const Case& c : { Case { "MODE", 1, 2 }, Case { "hex", 0, 31 }, Case { "Word", 1, 1 },
             Case { "Neg", 0, -7 }, Case { "Plus", 0, 3 }, Case { "PlusMinus", 1, 1 },
             Case { "TwoPlus", 1, 1 }, Case { "Space", 1, 1 }, Case { "Short", 4, 4 }, Case { "Big", 6, 6 },
             Case { "Empty", 8, 8 }, Case { "Missing", 5, 5 } }) {
        EXPECT_EQ(ini.readInt("Main", c.key, c.def), c.expected) << c.key;
    }
    EXPECT_TRUE(ini.readBool("Main", "Bool5", false));
    EXPECT_FALSE(ini.readBool("Main", "Bool0", true));
    EXPECT_EQ(ini.readString("MAIN", "quoted"), "a b");
    EXPECT_EQ(ini.readString("Main", "Empty", "x"), "");
    EXPECT_EQ(ini.readInt("other", "mode", 0), 9);
    EXPECT_EQ(ini.readInt("Nowhere", "Mode", 3), 3);
}

TEST_F(IniFileTest, TextIsGbkOnDiskAndCutAt2047Bytes)
{
    ini.writeString("Main", "ServerName", "电信一号");
    EXPECT_NE(readBytes(path).find("ServerName=\xB5\xE7\xD0\xC5\xD2\xBB\xBA\xC5\r\n"), std::string::npos);
    EXPECT_EQ(ini.readString("Main", "ServerName"), "电信一号");
    ini.writeString("Main", "Long", std::string(3000, 'x'));
    EXPECT_EQ(ini.readString("Main", "Long").size(), 2047u);
}

TEST_F(IniFileTest, WriteChangesOnlyItsOwnLineAndKeepsEveryOtherByte)
{
    const std::string before
        = "\xEF\xBB\xBF; keep me\r\n[Main]\r\nUser=AA\r\nmode=1\n\r\n[Qqurl]\r\nWebqqurl=x\r\n";
    writeBytes(path, before);
    ini.writeInt("Main", "Mode", 2);
    EXPECT_EQ(readBytes(path),
        "\xEF\xBB\xBF; keep me\r\n[Main]\r\nUser=AA\r\nmode=2\n\r\n[Qqurl]\r\nWebqqurl=x\r\n");
    // A new key goes after the section's last entry, before the blank line.
    ini.writeBool("main", "SaveInfo", true);
    EXPECT_EQ(readBytes(path),
        "\xEF\xBB\xBF; keep me\r\n[Main]\r\nUser=AA\r\nmode=2\n"
        "SaveInfo=1\r\n\r\n[Qqurl]\r\nWebqqurl=x\r\n");
    // A new section goes at the end, after a line end is supplied.
    writeBytes(path, "[A]\r\nk=v");
    ini.writeString("B", "n", "m");
    EXPECT_EQ(readBytes(path), "[A]\r\nk=v\r\n[B]\r\nn=m\r\n");
}

TEST_F(IniFileTest, FirstWriteCreatesFileSectionAndKey)
{
    ini.writeBool("Main", "SavePwd", true);
    EXPECT_EQ(readBytes(path), "[Main]\r\nSavePwd=1\r\n");
    // A boolean stored as "5" reads true; writing it back stores "1".
    writeBytes(path, "[Main]\r\nSavePwd=5\r\n");
    ini.writeBool("Main", "SavePwd", ini.readBool("Main", "SavePwd", false));
    EXPECT_EQ(readBytes(path), "[Main]\r\nSavePwd=1\r\n");
}

TEST_F(IniFileTest, EraseSectionRemovesItWithAllItsKeys)
{
    writeBytes(path, "[Main]\r\nUser=1\r\nPass=2\r\n[Qqurl]\r\nWebqqurl=u\r\n[main]\r\nx=1\r\n");
    ini.eraseSection("MAIN");
    EXPECT_EQ(readBytes(path), "[Qqurl]\r\nWebqqurl=u\r\n[main]\r\nx=1\r\n") << "the first match only";
    Settings settings(dir.path());
    settings.eraseMain();
    EXPECT_EQ(settings.user(), "");
    EXPECT_EQ(settings.webQqUrl(), "u");
}

TEST_F(IniFileTest, RefusedWriteRaisesAndLeavesTheFileWhole)
{
    const std::string before = "[Main]\r\nMode=1\r\n";
    writeBytes(path, before);
    chmod(dir.path().c_str(), 0500); // the temporary file cannot be created
    bool refused = geteuid() != 0; // root writes anyway; then check the message form only
    try {
        ini.writeInt("Main", "Mode", 2);
    } catch (const IniWriteError& e) {
        refused = true;
        EXPECT_STREQ(e.what(), ("Unable to write to " + path).c_str());
    }
    chmod(dir.path().c_str(), 0700);
    if (geteuid() != 0) {
        EXPECT_TRUE(refused);
        EXPECT_EQ(readBytes(path), before);
    }
    // A path whose directory does not exist is refused for everyone.
    IniFile nowhere(dir.file("missing/zvtad.INI"));
    try {
        nowhere.writeString("Main", "User", "x");
        FAIL() << "no error raised";
    } catch (const IniWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + dir.file("missing/zvtad.INI")).c_str());
    }
}

TEST_F(IniFileTest, NoHalfWrittenFileWhenTheDiskFills)
{
    // A file-size limit makes every write past it fail, as a full disk would.
    const std::string before = "[Main]\r\nUser=" + std::string(100, 'A') + "\r\nMode=1\r\n";
    writeBytes(path, before);
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    bool refused = false;
    try {
        ini.writeInt("Main", "Mode", 2);
    } catch (const IniWriteError&) {
        refused = true;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(refused);
    EXPECT_EQ(readBytes(path), before);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1) << "no temporary file is left behind";
}

TEST_F(IniFileTest, ConcurrentWritersNeverLoseEachOthersChange)
{
    constexpr int kPerThread = 60;
    std::thread a([&] {
        for (int i = 0; i < kPerThread; ++i)
            ini.writeInt("Main", "A" + std::to_string(i), i);
    });
    std::thread b([&] {
        for (int i = 0; i < kPerThread; ++i)
            ini.writeInt("Qqurl", "B" + std::to_string(i), i);
    });
    a.join();
    b.join();
    for (int i = 0; i < kPerThread; ++i) {
        EXPECT_EQ(ini.readInt("Main", "A" + std::to_string(i), -1), i);
        EXPECT_EQ(ini.readInt("Qqurl", "B" + std::to_string(i), -1), i);
    }
}

TEST_F(IniFileTest, SettingsAccessorsUseTheKeyTable)
{
    Settings s(dir.path());
    EXPECT_EQ(s.path(), dir.file("zvtad.INI"));
    EXPECT_EQ(s.mode(), 1);
    EXPECT_EQ(s.lineType(), 0);
    s.setMode(2);
    s.setLineType(3);
    s.setIsServer(true);
    s.setServerName("网通2");
    s.setWebQqUrl("http://contact/");
    EXPECT_EQ(readBytes(path),
        "[Main]\r\nMode=2\r\nLineType=3\r\nIsServer=1\r\nServerName=\xCD\xF8\xCD\xA8\x32\r\n"
        "[Qqurl]\r\nWebqqurl=http://contact/\r\n");
}

TEST(IniInteger, OneRuleForEveryReader)
{
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    for (const Case& c : { Case { "5", true, 5 }, Case { "+5", true, 5 }, Case { "-5", true, -5 },
             Case { "+-5", false, 0 }, Case { "-+5", false, 0 }, Case { "--5", false, 0 },
             Case { "++5", false, 0 }, Case { "+", false, 0 }, Case { "-", false, 0 }, Case { "", false, 0 },
             Case { " 5", false, 0 }, Case { "2147483647", true, 2147483647 },
             Case { "2147483648", false, 0 }, Case { "0x10", true, 16 }, Case { "0x", false, 0 } }) {
        int ini = 0;
        EXPECT_EQ(parseIniInt(c.text, ini), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(ini, c.value) << c.text;
        }
        // The decimal rule is the same, without the hexadecimal prefix.
        std::int32_t dec = 0;
        if (std::string_view(c.text).rfind("0x", 0) != 0) {
            EXPECT_EQ(parseDecimalInt(c.text, dec), c.ok) << c.text;
        }
    }
}

TEST_F(IniFileTest, AReadOnlyFileIsNotReplaced)
{
    const std::string before = "[Main]\r\nMode=1\r\n";
    writeBytes(path, before);
    chmod(path.c_str(), 0444);
    EXPECT_THROW(ini.writeInt("Main", "Mode", 2), IniWriteError)
        << "not even root overrides the owner's choice";
    EXPECT_THROW(ini.eraseSection("Main"), IniWriteError);
    EXPECT_EQ(readBytes(path), before);
    struct stat st { };
    stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(IniFileTest, WritesGoThroughASymbolicLink)
{
    const std::string real = dir.file("real.ini");
    writeBytes(real, "[Main]\r\nMode=1\r\n");
    chmod(real.c_str(), 0640);
    std::filesystem::create_symlink("real.ini", path);
    ini.writeInt("Main", "Mode", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(path)) << "the link stays a link";
    EXPECT_EQ(readBytes(real), "[Main]\r\nMode=2\r\n");
    struct stat st { };
    stat(real.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "the file keeps its mode";
}

TEST_F(IniFileTest, ANewFileIsTheUsersAloneAndStaleCopiesAreRemoved)
{
    ini.writeString("Main", "User", "secret");
    struct stat st { };
    stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0077, 0u);
    // What a write killed half-way leaves behind, and files that merely look alike.
    for (const char* name : { ".zvtad.INI.tmp-Ab12Cd", ".Vip.ini.tmp-xxxxxx" })
        writeBytes(dir.file(name), "partial");
    for (const char* name : { "zvtad.INI.tmp-Ab12Cd", ".zvtad.INI.tmp-toolong", "notes.tmp" })
        writeBytes(dir.file(name), "keep");
    removeStaleTempFiles(dir.path());
    EXPECT_FALSE(fileExists(dir.file(".zvtad.INI.tmp-Ab12Cd")));
    EXPECT_FALSE(fileExists(dir.file(".Vip.ini.tmp-xxxxxx")));
    for (const char* name : { "zvtad.INI.tmp-Ab12Cd", ".zvtad.INI.tmp-toolong", "notes.tmp", "zvtad.INI" })
        EXPECT_TRUE(fileExists(dir.file(name))) << name;
}

TEST(IniSnapshot, ReadsLikeTheFileItCameFrom)
{
    TempDir dir;
    const std::string text = "[A]\r\nk=1\r\nK=2\r\n[b]\r\nx=\"q\"\r\n[a]\r\nk=3\r\nz=4\r\n";
    writeBytes(dir.file("f.ini"), text);
    const IniFile file(dir.file("f.ini"));
    const IniSnapshot snap = IniSnapshot::read(dir.file("f.ini"));
    for (auto [section, key] :
        { std::pair { "a", "k" }, std::pair { "A", "z" }, std::pair { "B", "X" }, std::pair { "c", "k" } })
        EXPECT_EQ(snap.readString(section, key, "d"), file.readString(section, key, "d")) << section << key;
    EXPECT_EQ(snap.readInt("a", "k", 0), 1);
    EXPECT_EQ(snap.sectionNames(), (std::vector<std::string> { "A", "b" }));
    EXPECT_TRUE(IniSnapshot::read(dir.file("missing")).sectionNames().empty());
}
