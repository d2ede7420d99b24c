#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QRadioButton;
class QPushButton;

// Connection mode dialog: mode one or two for the phonebook. Created once,
// then only shown and hidden.
class ConnectionModeDialog : public QDialog {
    Q_OBJECT
public:
    // readMode: the stored mode; applyMode: what OK does with the chosen one.
    ConnectionModeDialog(std::function<int()> readMode, std::function<void(int)> applyMode,
                         QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void formShow();
    void checkBox1Click();
    void button1Click();

    std::function<int()> readMode_;
    std::function<void(int)> applyMode_;
    QCheckBox* CheckBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QPushButton* Button1 = nullptr;
};
