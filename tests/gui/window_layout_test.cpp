#include <QGroupBox>
#include <QHelpEvent>
#include <QMessageBox>
#include <QStyleOptionButton>
#include <QToolTip>

#include "gui/connection/connection_controller.h"
#include "gui/qt_translations.h"
#include "gui/widgets/elided_label.h"
#include "tests/gui/main_window_fixture.h"

namespace {

// The tip a pointer resting on the widget brings up; empty when none shows.
QString tipOver(QWidget* widget)
{
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    const QPoint at = widget->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QCoreApplication::sendEvent(widget, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// A label drawn whole, or cut with "…" inside its width and whole in its tip.
void expectShownWhole(ElidedLabel* label, const QString& text, bool cut)
{
    SCOPED_TRACE(text.toStdString());
    EXPECT_EQ(label->text(), text) << "the text itself stays whole";
    EXPECT_EQ(label->isElided(), cut);
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->shownText()), label->contentsRect().width());
    if (cut) {
        EXPECT_TRUE(label->shownText().endsWith(QStringLiteral("…")));
        EXPECT_EQ(tipOver(label), text);
    } else {
        EXPECT_EQ(label->shownText(), text);
        EXPECT_EQ(tipOver(label), QString());
    }
}

int luminance(QRgb c)
{
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

} // namespace

TEST_F(MainWindowTest, NodeNameStaysClearOfItsButton)
{
    MainWindow& mw = start();
    for (const auto& [rowLabel, rowButton] :
        { std::pair { "LocalLineTypev", "SetLine" }, std::pair { "Linkmodev", "SetLinkMode" },
            std::pair { "LocalLineType", "LocalLineTypev" }, std::pair { "LinkMode", "Linkmodev" } })
        EXPECT_FALSE(w(rowLabel)->geometry().intersects(w(rowButton)->geometry())) << rowLabel;

    struct Case {
        const char* name;
        bool cut;
    };
    for (const Case& c : { Case { "自动", false }, Case { "自动-电信VIP一号", false },
             Case { "自动-网通VIP十二号（备用线路）", true } }) {
        mw.connection().showChosenNode(QString::fromUtf8(c.name));
        expectShownWhole(mw.findChild<ElidedLabel*>("LocalLineTypev"), QString::fromUtf8(c.name), c.cut);
    }
}

TEST_F(MainWindowTest, LongAnnouncementIsCutAndWholeInItsTip)
{
    struct Case {
        const char* caption;
        bool cut;
    };
    for (const Case& c : { Case { "系统维护通知", false },
             Case { "本周六凌晨二点至六点服务器维护，届时所有节点暂停服务，请提前安排", true } }) {
        announcement = std::string(c.caption) + "|http://portal/notice";
        start();
        ASSERT_TRUE(w("lblContent")->isVisible());
        expectShownWhole(
            client->mainWindow().findChild<ElidedLabel*>("lblContent"), QString::fromUtf8(c.caption), c.cut);
    }
}

TEST_F(MainWindowTest, LoginPanelCheckMarksShowOnTheirBoxes)
{
    start();
    QWidget* panel = w("LoginPanel");
    for (const char* name : { "Saveuserck", "SavePassck", "AutoLoginck" }) {
        SCOPED_TRACE(name);
        auto* box = w<QCheckBox>(name);
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect indicator
            = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).translated(box->pos());
        box->setChecked(false);
        const QImage unchecked = panel->grab(indicator).toImage();
        box->setChecked(true);
        const QImage checked = panel->grab(indicator).toImage();
        ASSERT_EQ(checked.size(), unchecked.size());
        // The mark stands out from the box it is drawn in.
        int strongest = 0;
        for (int y = 0; y < checked.height(); ++y)
            for (int x = 0; x < checked.width(); ++x)
                strongest = std::max(
                    strongest, std::abs(luminance(checked.pixel(x, y)) - luminance(unchecked.pixel(x, y))));
        EXPECT_GT(strongest, 120);

        // The caption stays light on the dark panel.
        const QRect caption
            = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).translated(box->pos());
        const QImage text = panel->grab(caption).toImage();
        int brightest = 0;
        for (int y = 0; y < text.height(); ++y)
            for (int x = 0; x < text.width(); ++x)
                brightest = std::max(brightest, luminance(text.pixel(x, y)));
        EXPECT_GT(brightest, 200);
    }
}

TEST_F(MainWindowTest, KickButtonKeepsTheMarginOfTheButtonsAbove)
{
    MainWindow& mw = start();
    mw.connection().showAutoT();
    QWidget* page = w("Mainpanel");
    auto* kick = w<QPushButton>("AutoT");
    ASSERT_TRUE(kick->isVisibleTo(page));
    const QRect setLine(w("SetLine")->mapTo(page, QPoint(0, 0)), w("SetLine")->size());
    EXPECT_LE(kick->geometry().right(), setLine.right()) << "as far from the window's edge as 设置";
    EXPECT_FALSE(kick->geometry().intersects(w("BConn")->geometry()));
    EXPECT_GE(kick->width() - kick->fontMetrics().horizontalAdvance(kick->text()), 12)
        << "room around its caption";
}

TEST(QtTranslations, StandardButtonsSpeakChinese)
{
    auto translator = installQtTranslations();
    ASSERT_NE(translator, nullptr) << "Qt's Chinese translations are not installed";
    {
        QMessageBox box(QMessageBox::NoIcon, "Zavtrel", "text", QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    }
    translator.reset();
    QMessageBox box(QMessageBox::NoIcon, "Zavtrel", "text", QMessageBox::Ok);
    EXPECT_NE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定")) << "gone with its object";
}
