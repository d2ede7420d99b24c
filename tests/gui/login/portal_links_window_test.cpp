#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include "core/account/portal_links.h"
#include "core/cipher/md5.h"
#include "tests/gui/main_window_fixture.h"

namespace {

void clickWidget(QWidget* w)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
}

} // namespace

TEST_F(MainWindowTest, EveryLinkOpensItsAddress)
{
    clock->time = { 2026, 3, 5, 7, 8, 9, 0 };
    start();
    Session& s = client->session();
    s.portalUser = "张 三";
    s.portalPassword = "pw";
    s.contactUrl = "http://contact/";
    const std::string base = portal.base();
    const std::string sig = "SiteCheck.aspx?u=\xD5\xC5%20\xC8\xFD&t=20260305070809&c="
        + cipher::md5Hex("20260305070809pw") + "&r=";

    struct Case {
        const char* control;
        std::string address;
    };
    const Case cases[] = {
        { "Userlabel", base + sig + "Pay.aspx" },
        { "Servicelabel", base + sig + "Agent.aspx" },
        { "Helplabel", base + sig + "JsqAQ.aspx" },
        { "Viplabel", base + sig + "Pay.aspx" },
        { "ForgetPwlb", base + sig + "Repass.aspx" },
        { "Yinsilb", base + sig + "OnlinePay.aspx" },
        { "lbDuihuanshijian", base + sig + "UserFill.aspx" },
        { "ContactmQQ", "http://contact/" },
        { "ContactQQ", "http://contact/" },
        { "lblContent", "http://portal/notice" },
        { "Boxgmlb", base },
    };
    for (const auto& c : cases) {
        launcher->opened.clear();
        clickWidget(w(c.control));
        ASSERT_EQ(launcher->opened.size(), 1u) << c.control;
        EXPECT_EQ(launcher->opened[0], c.address) << c.control;
    }
    launcher->opened.clear();
    w<QAbstractButton>("BsReg")->click();
    client->mainWindow().findChild<QAction*>("W1")->trigger();
    ASSERT_EQ(launcher->opened.size(), 2u);
    EXPECT_EQ(launcher->opened[0], base + "UserReg.aspx");
    EXPECT_EQ(launcher->opened[1], base);
}

TEST_F(MainWindowTest, KickFromTheButtonHidesItFromTheMenuDoesNot)
{
    start();
    client->session().portalUser = "u 1";
    QWidget* autoT = w("AutoT");
    autoT->show();
    client->mainWindow().findChild<QAction*>("N6")->trigger();
    EXPECT_TRUE(autoT->isVisibleTo(w("Mainpanel")));
    static_cast<QPushButton*>(autoT)->click();
    EXPECT_FALSE(autoT->isVisibleTo(w("Mainpanel")));
    ASSERT_EQ(launcher->opened.size(), 2u);
    EXPECT_EQ(launcher->opened[0], portal.base() + "ClearContact.aspx?Username=u%201");
    EXPECT_EQ(launcher->opened[1], launcher->opened[0]);
}

TEST_F(MainWindowTest, EmptyAddressStillStartsTheBrowserAndHoverShowsBackgrounds)
{
    start();
    clickWidget(w("ContactQQ"));
    ASSERT_EQ(launcher->opened.size(), 1u);
    EXPECT_EQ(launcher->opened[0], "");

    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    for (auto [label, bg] : { std::pair { "Userlabel", "Userlabelbg" },
             std::pair { "Servicelabel", "Servicebg" }, std::pair { "Helplabel", "Helpbg" } }) {
        QCoreApplication::sendEvent(w(label), &enter);
        EXPECT_TRUE(w(bg)->isVisibleTo(w("Panel1"))) << bg;
        QCoreApplication::sendEvent(w(label), &leave);
        EXPECT_FALSE(w(bg)->isVisibleTo(w("Panel1"))) << bg;
    }
}
