#include <gtest/gtest.h>

#include "core/content/ad_config.h"
#include "core/content/ad_schedule.h"
#include "core/content/bar_config.h"
#include "platform/gbk_codec.h"
#include "tests/support/temp_dir.h"

TEST(BarConfig, ImageFileNameIsTheTextAfterTheLastSlash)
{
    const std::pair<const char*, const char*> cases[] = {
        { "http://host/res/a.bmp", "a.bmp" },
        { "http://host/res/", "" },
        { "a.bmp", "" },
        { "", "" },
        { "http://host/x/..\\..\\evil.bmp", "..\\..\\evil.bmp" },
        { "http://host/img.php?id=3", "img.php?id=3" },
    };
    for (const auto& [address, name] : cases)
        EXPECT_EQ(BarConfig::imageFileName(address), name) << address;
}

TEST(BarConfig, NamesThatWouldLeaveTheImageDirectoryAreRefused)
{
    const std::pair<const char*, bool> cases[] = {
        { "tuvek2a.bmp", true },
        { "图标.bmp", true },
        { "a b.bmp", true },
        { "", false },
        { "..", false },
        { ".", false },
        { "..\\evil.bmp", false },
        { "sub\\a.bmp", false },
        { "C:evil.bmp", false },
        { "c:\\windows\\x.bmp", false },
        { "a.bmp:stream", false },
        { "x..y.bmp", false },
        { "a\nb.bmp", false },
    };
    for (const auto& [name, safe] : cases)
        EXPECT_EQ(BarConfig::isSafeImageName(name), safe) << name;
}

TEST(BarConfig, ReadsEntriesWithDefaults)
{
    TempDir dir;
    writeBytes(dir.file("Button.ini"),
        platform::utf8ToGbk("[MainMemu]\r\nCOUNT=x\r\n[submenu1]\r\ncaption=加速\r\n"
                            "imageurl1=http://h/a.bmp\r\n[submenu2]\r\nurl=http://h/p\r\n"));
    const BarConfig bar(dir.file("Button.ini"));
    EXPECT_TRUE(bar.exists());
    EXPECT_EQ(bar.count(), 1); // not an integer: the default
    const BarEntryConfig e1 = bar.entry(1);
    EXPECT_EQ(e1.caption, "加速");
    EXPECT_EQ(e1.normalImageUrl, "http://h/a.bmp");
    EXPECT_EQ(e1.hoverImageUrl, "");
    EXPECT_EQ(bar.entry(2).url, "http://h/p");
    EXPECT_FALSE(BarConfig(dir.file("none.ini")).exists());
    EXPECT_EQ(BarConfig(dir.file("none.ini")).count(), 1);
}

TEST(AdConfig, ReadsTheScheduleAndTheContactAddress)
{
    TempDir dir;
    struct Case {
        const char* what;
        std::string file; // empty: no file
        std::vector<std::pair<std::string, std::string>> entries;
        std::string contact;
    };
    const Case cases[] = {
        { "no file: one empty entry", "", { { "", "" } }, "" },
        { "count 0: none", "[adconfig]\r\ncount=0\r\n[Qqurl]\r\nWebqqurl=http://qq/\r\n", {}, "http://qq/" },
        { "two in order",
            "[adconfig]\r\ncount=2\r\n[ad2]\r\nadtime=30\r\nurl=http://m/2.swf\r\n[AD1]\r\nADTIME=10\r\n"
            "url=http://m/1.swf\r\n",
            { { "10", "http://m/1.swf" }, { "30", "http://m/2.swf" } }, "" },
        // Nothing after an entry that can never come due can ever show.
        { "a huge count stops at the first blocking entry",
            "[adconfig]\r\ncount=2000000000\r\n[ad1]\r\nadtime=10\r\n", { { "10", "" }, { "", "" } }, "" },
    };
    for (const auto& c : cases) {
        const std::string path = dir.file("adconfig.ini");
        std::remove(path.c_str());
        if (!c.file.empty())
            writeBytes(path, c.file);
        const AdConfig ads(path);
        std::vector<std::pair<std::string, std::string>> got;
        for (const auto& e : ads.entries())
            got.emplace_back(e.adTime, e.url);
        EXPECT_EQ(got, c.entries) << c.what;
        EXPECT_EQ(ads.contactUrl(), c.contact) << c.what;
    }
}

// The reference service's own content files stay consistent: every address
// they name on the service is a file it serves.
TEST(ReferenceServiceContent, EveryAddressNamesAServedFile)
{
    const std::string data = ZAVTREL_SERVICE_DATA "/";
    const std::string service = "http://127.0.0.1:18080/";
    auto served = [&](const std::string& address) {
        return address.rfind(service, 0) == 0 && fileExists(data + address.substr(service.size()));
    };
    const BarConfig bar(data + "content/zvtBt.ini");
    ASSERT_EQ(bar.count(), 3);
    for (int i = 1; i <= bar.count(); ++i) {
        const BarEntryConfig e = bar.entry(i);
        EXPECT_FALSE(e.caption.empty()) << i;
        EXPECT_TRUE(served(e.normalImageUrl)) << e.normalImageUrl;
        EXPECT_TRUE(served(e.hoverImageUrl)) << e.hoverImageUrl;
        EXPECT_TRUE(BarConfig::isSafeImageName(BarConfig::imageFileName(e.normalImageUrl)));
        if (i >= 2) {
            EXPECT_TRUE(served(e.url)) << e.url;
        }
    }
    const AdConfig ads(data + "content/zvtad.ini");
    const auto entries = ads.entries();
    ASSERT_FALSE(entries.empty());
    std::int32_t previous = 0;
    for (const auto& e : entries) {
        std::int32_t t = 0;
        ASSERT_TRUE(AdSchedule::parseTime(e.adTime, t)) << e.adTime;
        EXPECT_TRUE(t > previous && t % 10 == 0) << e.adTime; // every entry comes due
        previous = t;
        EXPECT_TRUE(served(e.url)) << e.url;
    }
    EXPECT_TRUE(served(ads.contactUrl()));
    for (const char* f :
        { "content/admain.swf", "content/RouteTabledx.ini", "content/RouteTablewt.ini", "ad/index.html" })
        EXPECT_TRUE(fileExists(data + f)) << f;
}
