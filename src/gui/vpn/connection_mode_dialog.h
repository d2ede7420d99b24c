#pragma once

#include <QDialog>

struct ClientContext;
class PhonebookController;
class QCheckBox;
class QRadioButton;
class QPushButton;

// Connection mode dialog: mode one or two for the phonebook. Created once,
// then only shown and hidden.
class ConnectionModeDialog : public QDialog {
    Q_OBJECT
public:
    ConnectionModeDialog(ClientContext& ctx, PhonebookController& phonebook, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void formShow();
    void checkBox1Click();
    void button1Click();

    ClientContext& ctx_;
    PhonebookController& phonebook_;
    QCheckBox* CheckBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QPushButton* Button1 = nullptr;
};
