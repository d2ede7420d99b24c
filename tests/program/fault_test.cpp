// The program against what goes wrong in the field: killed at any moment,
// folders it cannot write, an account server that misbehaves, downloads cut
// short. Whole processes, as a user runs them.
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <random>
#include <sys/mount.h>
#include <thread>

#include "tests/program/program_fixture.h"
#include "tests/support/node_list_writer.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using Reply = RecordingHttpServer::Reply;

const std::string kContent = std::string(ZAVTREL_SERVICE_DATA) + "/content/";

bool startsWith(const std::string& s, const std::string& prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// "Section/key" → value; a line outside "key=value" is kept as its own entry,
// so that a cut line shows.
std::map<std::string, std::string> iniEntries(const std::string& text)
{
    std::map<std::string, std::string> out;
    std::string section;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line.front() == '[') {
            section = line;
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            out[section + "/" + line + " (no value)"] = "";
        else
            out[section + "/" + line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

// The files a run downloads: where they land and what the server sends. The
// accounts here are free ones: Free.ini is their node list, Vip.ini stays.
struct Downloaded {
    std::string local;
    std::string served;
};

std::vector<Downloaded> downloadedFiles()
{
    std::vector<Downloaded> files { { "Vip.ini", "Vip.ini" }, { "Free.ini", "Free.ini" },
        { "Button.ini", "zvtBt.ini" }, { "RouteTabledx.tab", "RouteTabledx.ini" },
        { "RouteTablewt.tab", "RouteTablewt.ini" }, { "adconfig.ini", "zvtad.ini" } };
    for (const char* image : { "tuvek1a", "tuvek1b", "tuvek2a", "tuvek2b", "tuvek3a", "tuvek3b" })
        files.push_back({ std::string("res/") + image + ".bmp", std::string("bar/") + image + ".bmp" });
    return files;
}

std::vector<std::string> temporaries(const std::vector<std::string>& dirs)
{
    std::vector<std::string> found;
    for (const auto& dir : dirs)
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().find(".tmp-") != std::string::npos)
                found.push_back(e.path().string());
    return found;
}

class FaultTest : public ProgramTest {
protected:
    // The portal: the reference content, and the login reply of the test.
    std::function<Reply()> login = [] { return Reply { 200, loginReply("0"), {} }; };
    Reply contentReply(const std::string& target) const
    {
        const std::string name = target.substr(std::string("/content/").size());
        if (name.find("..") != std::string::npos || !fs::exists(kContent + name))
            return { 404, "", {} };
        Reply r { 200, readBytes(kContent + name), {} };
        r.cutShort = cutDownloads;
        return r;
    }
    bool cutDownloads = false;

    void SetUp() override
    {
        ProgramTest::SetUp();
        route = [this](const std::string& target) {
            if (startsWith(target, "/Exelogin.aspx"))
                return login();
            if (startsWith(target, "//GetLogin.aspx"))
                return Reply { 200, "30~0|OK NOMSG", {} };
            if (startsWith(target, "/content/"))
                return contentReply(target);
            return Reply { 404, "", {} };
        };
    }

    // Without a display: the client's own offscreen platform.
    std::unique_ptr<ChildProcess> startOffscreen()
    {
        auto env = clientEnv();
        env["QT_QPA_PLATFORM"] = "offscreen";
        return std::make_unique<ChildProcess>(std::vector<std::string> { appDir.file("zavtrel") }, env,
            appDir.file("client-output.txt"), appDir.path());
    }

    void writeOldVersions()
    {
        for (const auto& f : downloadedFiles())
            writeBytes(appDir.file(f.local), "old " + f.local + "\r\n");
    }

    bool allNew()
    {
        const auto files = downloadedFiles();
        return std::all_of(files.begin(), files.end(), [this](const Downloaded& f) {
            return f.local == "Vip.ini" || readBytes(appDir.file(f.local)) == readBytes(kContent + f.served);
        });
    }

    int contentRequests() const { return requestsTo("/content/"); }

    std::vector<std::string> temporariesLeft() const
    {
        return temporaries({ appDir.path(), appDir.file("res"), temp.path() });
    }
};

} // namespace

TEST_F(FaultTest, AKillAtAnyMomentLeavesOldOrNewFilesAndNoTemporaryAfterTheNextStart)
{
    saveLogin("demo", "demo123");
    const std::string settingsBefore = readBytes(appDir.file("zvtad.INI"));
    writeOldVersions();

    // One run to its end: how long the work takes, and what it writes.
    auto start = std::chrono::steady_clock::now();
    client = startOffscreen();
    while (!allNew() && std::chrono::steady_clock::now() - start < 30s)
        std::this_thread::sleep_for(10ms);
    for (const auto& f : downloadedFiles())
        EXPECT_TRUE(f.local == "Vip.ini" || readBytes(appDir.file(f.local)) == readBytes(kContent + f.served))
            << f.local;
    ASSERT_TRUE(allNew()) << "the uninterrupted run downloads every file";
    const auto workTime
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::this_thread::sleep_for(300ms);
    const auto before = iniEntries(settingsBefore);
    const auto after = iniEntries(readBytes(appDir.file("zvtad.INI")));
    client->signal(SIGKILL);
    client->waitExit(5s);
    std::printf("login and downloads take %lld ms\n", static_cast<long long>(workTime.count()));

    std::mt19937 random(20261210);
    std::uniform_int_distribution<long long> moment(0, workTime.count() * 11 / 10);
    int leftTemporaries = 0, newFiles = 0, settingsChanged = 0;
    for (int run = 0; run < 100; ++run) {
        writeBytes(appDir.file("zvtad.INI"), settingsBefore);
        writeOldVersions();
        const long long killAt = moment(random);
        SCOPED_TRACE("run " + std::to_string(run) + ", killed at " + std::to_string(killAt) + " ms");
        client = startOffscreen();
        std::this_thread::sleep_for(std::chrono::milliseconds(killAt));
        client->signal(SIGKILL);
        ASSERT_TRUE(client->waitExit(5s).has_value());

        for (const auto& f : downloadedFiles()) {
            const std::string now = readBytes(appDir.file(f.local));
            const bool isNew = now == readBytes(kContent + f.served);
            EXPECT_TRUE(isNew || now == "old " + f.local + "\r\n") << f.local << " is neither version";
            newFiles += isNew;
        }
        const std::string settings = readBytes(appDir.file("zvtad.INI"));
        EXPECT_EQ(settings.back(), '\n') << "zvtad.INI ends in a whole line";
        for (const auto& [key, value] : iniEntries(settings)) {
            const bool old = before.count(key) && before.at(key) == value;
            const bool written = after.count(key) && after.at(key) == value;
            EXPECT_TRUE(old || written) << "zvtad.INI holds " << key << "=" << value;
        }
        for (const auto& [key, value] : before)
            EXPECT_TRUE(iniEntries(settings).count(key)) << "zvtad.INI lost " << key;
        settingsChanged += settings != settingsBefore;
        leftTemporaries += !temporariesLeft().empty();

        // The next start clears what the kill left; with the portal down it
        // writes nothing itself.
        const int loginsBefore = requestsTo("/Exelogin.aspx");
        login = [] { return Reply { 404, "", {} }; };
        client = startOffscreen();
        for (int i = 0; i < 500 && requestsTo("/Exelogin.aspx") == loginsBefore; ++i)
            std::this_thread::sleep_for(10ms);
        client->signal(SIGTERM);
        EXPECT_TRUE(client->waitExit(10s).has_value());
        EXPECT_EQ(temporariesLeft(), std::vector<std::string> {});
        login = [] { return Reply { 200, loginReply("0"), {} }; };
    }
    std::printf("100 kills: %d with zvtad.INI written, %d of %zu downloaded files new, %d leaving temporary "
                "files\n",
        settingsChanged, newFiles, 100 * downloadedFiles().size(), leftTemporaries);
}

TEST_F(FaultTest, DownloadsCutShortKeepTheFilesTheyWereToReplace)
{
    saveLogin("demo", "demo123");
    writeOldVersions();
    cutDownloads = true;
    client = startOffscreen();
    for (int i = 0; i < 1000 && contentRequests() < 3; ++i)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(1s);
    ASSERT_GE(contentRequests(), 3);
    for (const auto& f : downloadedFiles())
        EXPECT_EQ(readBytes(appDir.file(f.local)), "old " + f.local + "\r\n") << f.local;
    EXPECT_EQ(temporariesLeft(), std::vector<std::string> {});
    EXPECT_TRUE(client->running());
}

// Auto-login from saved settings; the reply decides. What must hold for each:
// the program keeps running, stores nothing the reply said, fetches nothing
// after a failed login, and the next login from the same window works.
TEST_F(FaultTest, AnAccountServerThatMisbehaves)
{
    std::mt19937 random(7);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    struct Case {
        const char* what;
        Reply reply;
        bool loggedIn;
        std::chrono::milliseconds settle;
    };
    Reply slow { 200, loginReply("0"), {} };
    slow.delay = 3s;
    Reply silent;
    silent.silent = true;
    const Case cases[] = {
        { "slow", slow, true, 6s },
        { "never answers", silent, false, 17s },
        { "10 MB", Reply { 200, loginReply("0") + std::string(10 << 20, 'x'), {} }, false, 3s },
        { "binary garbage", Reply { 200, garbage, {} }, false, 2s },
        { "redirect", Reply { 302, "", { "Location: /moved/Exelogin.aspx?x=1" } }, false, 2s },
    };
    startX(false);
    saveLogin("demo", "demo123");
    const std::string settings = readBytes(appDir.file("zvtad.INI"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(appDir.file("zvtad.INI"), settings);
        login = [&c] { return c.reply; };
        const int fetchedBefore = contentRequests();
        ASSERT_FALSE(startClient().empty());
        std::this_thread::sleep_for(c.settle);
        EXPECT_TRUE(client->running());
        EXPECT_EQ(contentRequests() > fetchedBefore, c.loggedIn);
        EXPECT_EQ(requestsTo("/moved/"), 0) << "a login is never redirected";
        if (!c.loggedIn) {
            login = [] { return Reply { 200, loginReply("0"), {} }; };
            x->key("Return");
            for (int i = 0; i < 500 && contentRequests() == fetchedBefore; ++i)
                std::this_thread::sleep_for(20ms);
            EXPECT_GT(contentRequests(), fetchedBefore) << "the next login from the window works";
        }
        client->signal(SIGTERM);
        EXPECT_TRUE(ends(10s));
    }
}

// Neither the program folder nor the user's data folder can be written (a
// read-only mount): the program still starts, shows its window with its
// images, writes nothing and ends cleanly.
TEST_F(FaultTest, AReadOnlyProgramFolder)
{
    TempDir dataHome;
    saveLogin("demo", "demo123");
    const std::string settings = readBytes(appDir.file("zvtad.INI"));
    for (const std::string& dir : { appDir.path(), dataHome.path() }) {
        ASSERT_EQ(mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr), 0);
        ASSERT_EQ(mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
    }
    startX(false);
    auto env = clientEnv();
    env["XDG_DATA_HOME"] = dataHome.path();
    client = std::make_unique<ChildProcess>(std::vector<std::string> { appDir.file("zavtrel") }, env);
    const std::string window = x->waitForWindow(client->pid(), "V2.9", 15s);
    EXPECT_FALSE(window.empty());
    std::this_thread::sleep_for(2s);
    EXPECT_TRUE(client->running());
    EXPECT_EQ(requestsTo("/content/"), 0) << "nothing to store the downloads in";
    client->signal(SIGTERM);
    EXPECT_TRUE(ends(10s));
    EXPECT_EQ(readBytes(appDir.file("zvtad.INI")), settings);
    EXPECT_TRUE(fs::is_empty(dataHome.path()));
    for (const std::string& dir : { appDir.path(), dataHome.path() })
        umount(dir.c_str());
}

// A node list of 10,000 nodes and route tables of 100,000 lines: the saved
// login connects through the fastest node and every line becomes a route.
TEST_F(FaultTest, TenThousandNodesAndAHundredThousandRoutes)
{
    useSimulatedDials();
    login = [] { return Reply { 200, loginReply("1"), {} }; }; // VIP
    cutDownloads = true; // the big files on disk stay as they are
    std::vector<TestNode> nodes;
    for (int i = 0; i < 10000; ++i)
        nodes.push_back({ 1 + i % 2, "127.1." + std::to_string(i / 250) + "." + std::to_string(1 + i % 250),
            "节点" + std::to_string(i) });
    writeNodeList(appDir.file("Vip.ini"), nodes);
    std::string table;
    for (int i = 0; i < 100000; ++i)
        table += std::to_string(11 + i / 65536) + "." + std::to_string(i / 256 % 256) + "."
            + std::to_string(i % 256) + ".0 255.255.255.0\r\n";
    writeBytes(appDir.file("RouteTabledx.tab"), table);
    writeBytes(appDir.file("RouteTablewt.tab"), table);
    saveLogin("demo", "pw", true);

    const auto start = std::chrono::steady_clock::now();
    client = startOffscreen();
    const auto routes = [] {
        const std::string out = runCommand({ "ip", "-4", "route", "show" }, {}, 30s).output;
        size_t n = 0;
        for (size_t at = out.find("metric 999"); at != std::string::npos; at = out.find("metric 999", at + 1))
            ++n;
        return n;
    };
    size_t installed = 0;
    while (installed < 100000 && client->running() && std::chrono::steady_clock::now() - start < 120s) {
        std::this_thread::sleep_for(500ms);
        installed = routes();
    }
    EXPECT_EQ(installed, 100000u);
    std::printf("connected with 10,000 nodes and 100,000 routes in %lld ms\n",
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count()));
    EXPECT_TRUE(client->running());
    client->signal(SIGTERM);
    EXPECT_TRUE(client->waitExit(30s).has_value());
    for (int i = 0; i < 50 && routes() > 0; ++i)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(routes(), 0u) << "the routes go with the tunnel";
}
