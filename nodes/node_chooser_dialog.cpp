#include "nodes/node_chooser_dialog.h"

NodeChooserDialog::NodeChooserDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("选择节点"));
    setWindowFlags(Qt::Tool);
    setFixedSize(267, 350);
}
