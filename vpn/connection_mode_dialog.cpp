#include "vpn/connection_mode_dialog.h"

ConnectionModeDialog::ConnectionModeDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("连接模式"));
    setWindowFlags(Qt::Tool);
}
