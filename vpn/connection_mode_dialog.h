#pragma once

#include <QDialog>

// Connection mode dialog: mode one or two for the phonebook.
class ConnectionModeDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConnectionModeDialog(QWidget* parent = nullptr);
};
