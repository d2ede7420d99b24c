#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class ImageButton;

// The panel a user logs in on: its controls, by their names. A view only;
// the login and portal-link controllers drive it.
class LoginPanel : public QWidget {
    Q_OBJECT
public:
    explicit LoginPanel(QWidget* parent);

    QLabel* Image2;
    QLabel* Image3;
    QLabel* Label9;
    QLineEdit* Username;
    QLabel* Label10;
    QLineEdit* PassWord;
    ImageButton* BsLogin;
    ImageButton* BsReg;
    QCheckBox* Saveuserck;
    QCheckBox* SavePassck;
    QCheckBox* AutoLoginck;
    QLabel* Loginstatelb;
    QLabel* lblContent;
    QLabel* Yinsilb;
    QLabel* lbDuihuanshijian;
    QLabel* ForgetPwlb;
    QLabel* Image5;
    QLabel* ContactQQ;
    QLabel* Boxgmlb;
};
