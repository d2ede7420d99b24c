// The yardstick of the footprint benchmark: a bare Qt widgets window of the
// client's size with a tray icon, showing the login panel's Chinese captions
// in the client's font, nothing else.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare V2.9"));
    window.setFixedSize(256, 600);
    QFont song(QStringLiteral("宋体"));
    song.setPointSize(9);
    window.setFont(song);
    int y = 120;
    const auto place = [&y](QWidget* w, int height) {
        w->setGeometry(22, y, 212, height);
        y += height + 8;
    };
    place(new QLabel(QStringLiteral("通行证："), &window), 22);
    place(new QLineEdit(&window), 24);
    place(new QLabel(QStringLiteral("密码："), &window), 22);
    place(new QLineEdit(&window), 24);
    place(new QPushButton(QStringLiteral("登录"), &window), 30);
    for (const char* caption : { "保存我的帐户信息", "记住我的密码", "设置为自动登陆" })
        place(new QCheckBox(QString::fromUtf8(caption), &window), 22);
    place(new QLabel(QStringLiteral("最新公告内容"), &window), 20);
    place(new QLabel(QStringLiteral("快速充值  兑换时间  忘记密码了?"), &window), 18);
    place(new QLabel(QStringLiteral("联系客服  Zavtrel 网络加速服务"), &window), 18);
    QPixmap icon(16, 16);
    icon.fill(Qt::blue);
    QSystemTrayIcon tray { QIcon(icon) };
    tray.setToolTip(QStringLiteral("Zavtrel"));
    tray.show();
    window.show();
    return QApplication::exec();
}
