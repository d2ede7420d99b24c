#include <filesystem>
#include <gtest/gtest.h>
#include <map>

#include "core/content/config_fetch_run.h"
#include "platform/gbk_codec.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

// Records the calls of a run; throws where the test says the UI would.
class RecordingTarget : public ConfigFetchTarget {
public:
    std::vector<std::string> calls;
    std::vector<BarEntryItems> entries;
    std::vector<AdEntryConfig> schedule;
    std::string contact;
    int failAtEntry = 0;
    bool haveCaption = false;

    void startBar() override { calls.push_back("startBar"); }
    void addBarEntry(int number, const BarEntryItems& items) override
    {
        calls.push_back("entry" + std::to_string(number));
        entries.push_back(items);
        haveCaption = true;
        if (number == failAtEntry)
            throw std::runtime_error("image");
    }
    bool settingsFileExists() override
    {
        calls.push_back("settingsFileExists");
        return true;
    }
    void setSchedule(const std::vector<AdEntryConfig>& e) override
    {
        calls.push_back("setSchedule");
        schedule = e;
    }
    void setContactUrl(const std::string& url) override
    {
        calls.push_back("setContactUrl");
        contact = url;
    }
    void showFirstCaption() override
    {
        calls.push_back("showFirstCaption");
        if (!haveCaption)
            throw std::runtime_error("no captions");
    }
    void logFailure() override { calls.push_back("logFailure"); }
};

// The content server: files by request path, 404 for the rest.
class ContentServer {
public:
    std::map<std::string, std::string> files;
    RecordingHttpServer http { [this](const std::string& target) {
        const auto it = files.find(target);
        return it == files.end() ? RecordingHttpServer::Reply { 404, "", {} }
                                 : RecordingHttpServer::Reply { 200, it->second, {} };
    } };
    std::vector<std::string> paths() const
    {
        std::vector<std::string> out;
        for (const auto& head : http.requests())
            out.push_back(head.substr(4, head.find(' ', 4) - 4));
        return out;
    }
};

class ConfigFetchRunTest : public ::testing::Test {
protected:
    TempDir root;
    std::string appDir = root.path() + "app/";
    ContentServer server;
    RecordingTarget target;

    ConfigFetchRunTest() { std::filesystem::create_directories(appDir + "res"); }

    ConfigFetchJob job() const
    {
        ConfigFetchJob j;
        j.contentBase = server.http.base() + "content/";
        j.appDir = appDir;
        j.resDir = appDir + "./res/";
        j.nodeListFile = "Vip.ini";
        return j;
    }
};

} // namespace

TEST_F(ConfigFetchRunTest, FetchesTheFiveFilesInOrderUnderTheirLocalNames)
{
    const std::pair<const char*, const char*> files[] = {
        { "Vip.ini", "Vip.ini" },
        { "zvtBt.ini", "Button.ini" },
        { "RouteTabledx.ini", "RouteTabledx.tab" },
        { "RouteTablewt.ini", "RouteTablewt.tab" },
        { "zvtad.ini", "adconfig.ini" },
    };
    for (const auto& [remote, local] : files)
        server.files["/content/" + std::string(remote)] = std::string("; ") + remote + "\r\n";
    runConfigFetch(job(), target);

    std::vector<std::string> expected;
    for (const auto& [remote, local] : files) {
        expected.push_back("/content/" + std::string(remote));
        EXPECT_EQ(readBytes(appDir + local), std::string("; ") + remote + "\r\n") << local;
    }
    // Then the one bar entry's two image addresses, both empty here.
    EXPECT_EQ(server.paths(), expected);
    EXPECT_FALSE(fileExists(appDir + "zvtBt.ini"));
    EXPECT_FALSE(fileExists(appDir + "RouteTabledx.ini"));
}

TEST_F(ConfigFetchRunTest, BarThenScheduleThenContactThenTitle)
{
    const std::string img = server.http.base() + "img/";
    server.files["/content/zvtBt.ini"]
        = platform::utf8ToGbk("[mainmemu]\r\ncount=2\r\n[submenu1]\r\nCaption=加速\r\nimageurl1=" + img
            + "a1.bmp\r\nimageurl2=" + img + "a2.bmp\r\n[submenu2]\r\nCaption=软件\r\nimageurl1=" + img
            + "b1.bmp\r\nimageurl2=" + img + "b2.bmp\r\nurl=http://soft/\r\n");
    server.files["/content/zvtad.ini"] = "[adconfig]\r\ncount=1\r\n[ad1]\r\nadtime=10\r\nurl=http://ad/"
                                         "1.swf\r\n[Qqurl]\r\nWebqqurl=http://qq/\r\n";
    for (const char* n : { "a1", "a2", "b1", "b2" })
        server.files["/img/" + std::string(n) + ".bmp"] = std::string("BM") + n;
    runConfigFetch(job(), target);

    EXPECT_EQ(target.calls,
        (std::vector<std::string> { "startBar", "entry1", "entry2", "settingsFileExists", "setSchedule",
            "setContactUrl", "showFirstCaption" }));
    ASSERT_EQ(target.entries.size(), 2u);
    EXPECT_EQ(target.entries[0].caption, "加速");
    EXPECT_EQ(target.entries[1].normalImage, "b1.bmp");
    EXPECT_EQ(target.entries[1].hoverImage, "b2.bmp");
    EXPECT_EQ(target.entries[1].url, "http://soft/");
    EXPECT_EQ(readBytes(appDir + "res/b2.bmp"), "BMb2");
    ASSERT_EQ(target.schedule.size(), 1u);
    EXPECT_EQ(target.schedule[0].url, "http://ad/1.swf");
    EXPECT_EQ(target.contact, "http://qq/");
}

TEST_F(ConfigFetchRunTest, AFailureEndsTheRunWithTheLogLineAndKeepsWhatWasDone)
{
    server.files["/content/zvtBt.ini"] = "[mainmemu]\r\ncount=3\r\n";
    target.failAtEntry = 2;
    runConfigFetch(job(), target);
    EXPECT_EQ(target.calls, (std::vector<std::string> { "startBar", "entry1", "entry2", "logFailure" }));

    // Without a bar file the schedule still loads; the title step then fails.
    RecordingTarget noBar;
    server.files.erase("/content/zvtBt.ini");
    std::filesystem::remove(appDir + "Button.ini");
    runConfigFetch(job(), noBar);
    EXPECT_EQ(noBar.calls,
        (std::vector<std::string> {
            "settingsFileExists", "setSchedule", "setContactUrl", "showFirstCaption", "logFailure" }));
    // adconfig.ini absent: one empty entry and an empty contact address.
    ASSERT_EQ(noBar.schedule.size(), 1u);
    EXPECT_EQ(noBar.schedule[0].adTime, "");
    EXPECT_EQ(noBar.schedule[0].url, "");
    EXPECT_EQ(noBar.contact, "");
}

TEST_F(ConfigFetchRunTest, HostileImageNamesWriteNothingOutsideTheImageDirectory)
{
    const std::string base = server.http.base() + "img/";
    const char* hostile[] = { "..\\..\\evil.bmp", "C:evil.bmp", "..", "x\\evil.bmp", "a..bmp" };
    std::string ini = "[mainmemu]\r\ncount=" + std::to_string(std::size(hostile) + 1) + "\r\n";
    int i = 1;
    for (const char* name : hostile) {
        ini += "[submenu" + std::to_string(i++) + "]\r\nimageurl1=" + base + name + "\r\nimageurl2=" + base
            + name + "\r\n";
        server.files["/img/" + std::string(name)] = "BMevil";
    }
    ini += "[submenu" + std::to_string(i) + "]\r\nimageurl1=" + base + "good.bmp\r\n";
    server.files["/img/good.bmp"] = "BMgood";
    server.files["/content/zvtBt.ini"] = ini;
    runConfigFetch(job(), target);

    ASSERT_EQ(target.entries.size(), std::size(hostile) + 1);
    for (size_t k = 0; k < std::size(hostile); ++k) {
        EXPECT_EQ(target.entries[k].normalImage, "") << hostile[k];
        EXPECT_EQ(target.entries[k].hoverImage, "") << hostile[k];
    }
    EXPECT_EQ(target.entries.back().normalImage, "good.bmp");

    // The only files written are the fetched ones and the one good image.
    std::vector<std::string> written;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root.path()))
        if (e.is_regular_file())
            written.push_back(std::filesystem::relative(e.path(), root.path()).string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string> { "app/Button.ini", "app/res/good.bmp" }));
    for (const auto& p : server.paths())
        EXPECT_EQ(p.find("evil"), std::string::npos) << p;
}
