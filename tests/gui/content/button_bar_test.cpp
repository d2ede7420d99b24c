#include "web/web_content.h"
#include "tests/gui/content/bar_fixture.h"

namespace {

const QColor kNormal1(10, 10, 200), kHover1(10, 200, 10);
const QColor kNormal2(200, 10, 10), kHover2(200, 200, 10);
const QColor kNormal3(100, 0, 100), kHover3(0, 100, 100);

class ButtonBarTest : public ::testing::Test {
protected:
    BarWidgets ui;
    FileServer pages;

    void SetUp() override
    {
        writeBitmap(ui.resDir + "n1.bmp", kNormal1);
        writeBitmap(ui.resDir + "h1.bmp", kHover1);
        writeBitmap(ui.resDir + "n2.bmp", kNormal2);
        writeBitmap(ui.resDir + "h2.bmp", kHover2);
        writeBitmap(ui.resDir + "n3.bmp", kNormal3);
        writeBitmap(ui.resDir + "h3.bmp", kHover3);
        pages.put("/page2.html", "<html><body>two</body></html>");
        pages.put("/page3.html", "<html><body>three</body></html>");
    }

    void buildBar()
    {
        ui.bar->startBar();
        ui.bar->addEntry(1, { "连接", "n1.bmp", "h1.bmp", pages.base() + "never.html" });
        ui.bar->addEntry(2, { "软件", "n2.bmp", "h2.bmp", pages.base() + "page2.html" });
        ui.bar->addEntry(3, { "游戏", "n3.bmp", "h3.bmp", pages.base() + "page3.html" });
        ui.bar->showFirstCaption();
    }

    bool pageRequested(const std::string& path, size_t times)
    {
        return waitFor([&] { return pages.count(path) >= times; });
    }
};

} // namespace

TEST_F(ButtonBarTest, ClicksSwitchBetweenTheConnectionPanelAndTheEntryPages)
{
    buildBar();
    ImageButton* b2 = ui.button(2);
    ImageButton* b3 = ui.button(3);
    ASSERT_TRUE(b2 && b3);
    EXPECT_EQ(ui.title->text(), "连接");

    // The selected button does nothing.
    ui.first->click();
    EXPECT_EQ(ui.bar->currentButton(), ui.first);
    EXPECT_TRUE(ui.mainPanel->isVisible());
    EXPECT_EQ(ui.bar->webBrowser(), nullptr);

    b2->click();
    EXPECT_EQ(ui.bar->currentButton(), b2);
    EXPECT_EQ(pictureColor(ui.first), kNormal1); // the previous one gets its normal image
    EXPECT_FALSE(ui.mainPanel->isVisible());
    EXPECT_TRUE(ui.softPanel->isVisible());
    EXPECT_EQ(ui.title->text(), "软件");
    ASSERT_NE(ui.bar->webBrowser(), nullptr);
    QWidget* browser = ui.bar->webBrowser()->widget();
    EXPECT_EQ(browser->objectName(), "WebBrowser1");
    EXPECT_EQ(browser->parentWidget(), ui.softPanel);
    EXPECT_TRUE(pageRequested("/page2.html", 1));

    b3->click();
    EXPECT_EQ(pictureColor(b2), kNormal2);
    EXPECT_EQ(ui.title->text(), "游戏");
    EXPECT_TRUE(pageRequested("/page3.html", 1));

    // Back to the page of entry 2: requested anew.
    b2->click();
    EXPECT_TRUE(pageRequested("/page2.html", 2));

    // The first button brings back the connection panel without touching the
    // browser; the first entry's url is never used.
    const size_t before = pages.paths().size();
    ui.first->click();
    EXPECT_EQ(ui.bar->currentButton(), ui.first);
    EXPECT_TRUE(ui.mainPanel->isVisible());
    EXPECT_FALSE(ui.softPanel->isVisible());
    EXPECT_EQ(ui.title->text(), "连接");
    EXPECT_EQ(pictureColor(b2), kNormal2);
    QApplication::processEvents();
    EXPECT_EQ(pages.paths().size(), before);
    EXPECT_EQ(pages.count("/never.html"), 0u);
}

TEST_F(ButtonBarTest, HoverImagesLeaveTheSelectedButtonAlone)
{
    // Before the first fetch there are no lists: hover and click do nothing.
    ui.first->setPicture(QPixmap());
    auto* stray = new ImageButton(&ui.panel1);
    stray->setProperty("entryIndex", 1);
    ui.bar->buttonMouseEnter(stray);
    ui.bar->buttonClick(stray);
    EXPECT_EQ(ui.bar->currentButton(), ui.first);
    EXPECT_TRUE(stray->picture().isNull());
    delete stray;

    buildBar();
    ImageButton* b2 = ui.button(2);
    EXPECT_EQ(pictureColor(b2), kNormal2);
    emit b2->mouseEntered();
    EXPECT_EQ(pictureColor(b2), kHover2);
    emit b2->mouseLeft();
    EXPECT_EQ(pictureColor(b2), kNormal2);

    // The selected button keeps the hover image it was clicked with.
    emit b2->mouseEntered();
    b2->click();
    emit b2->mouseLeft();
    EXPECT_EQ(pictureColor(b2), kHover2);
    emit ui.first->mouseEntered();
    EXPECT_EQ(pictureColor(ui.first), kHover1);

    // A hover image that cannot be loaded is ignored.
    std::filesystem::remove(ui.resDir + "h3.bmp");
    emit ui.button(3)->mouseEntered();
    EXPECT_EQ(pictureColor(ui.button(3)), kNormal3);
}

TEST_F(ButtonBarTest, AClickWhosePreviousImageCannotBeRestoredChangesNothing)
{
    buildBar();
    ui.button(2)->click();
    std::filesystem::remove(ui.resDir + "n2.bmp");
    writeBytes(ui.resDir + "n3.bmp", "not a bitmap");
    ui.button(3)->click();
    EXPECT_EQ(ui.bar->currentButton(), ui.button(2));
    EXPECT_EQ(ui.title->text(), "软件");
    EXPECT_TRUE(ui.softPanel->isVisible());
}
