// The yardstick of the footprint benchmark: a bare Qt widgets window of the
// client's size with a tray icon, nothing else.
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("bare"));
    window.setFixedSize(256, 600);
    QPixmap icon(16, 16);
    icon.fill(Qt::blue);
    QSystemTrayIcon tray { QIcon(icon) };
    tray.setToolTip(QStringLiteral("bare"));
    tray.show();
    window.show();
    return QApplication::exec();
}
