#include <QMessageBox>

#include "gui/widgets/message_boxes.h"

void QtMessageBoxes::information(const std::string& title, const std::string& text)
{
    QMessageBox box(
        QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}
