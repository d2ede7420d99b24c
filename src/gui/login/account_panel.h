#pragma once

#include <QWidget>

class QLabel;
class ImageButton;
class ConnectionPage;

// The logged-in panel (Panel1): account figures, portal links, the button
// bar's first button, the page title, the connection page, the web page
// panel and the banner, by their names. A view only.
class AccountPanel : public QWidget {
    Q_OBJECT
public:
    explicit AccountPanel(QWidget* parent);

    // Account type, the user and the figures a login fills in.
    void showVipLayout(const QString& daysLeft);
    void showFreeLayout();

    QLabel* Image1;
    QLabel* Image4;
    QLabel* FreeUlb;
    QLabel* Usernamelb;
    QLabel* Balancelb;
    QLabel* Balancevlb;
    QLabel* Expirelb;
    QLabel* Expirevlb;
    QLabel* Viplabel;
    QLabel* ContactmQQ;
    QLabel* Userlabelbg;
    QLabel* Servicebg;
    QLabel* Helpbg;
    QLabel* Userlabel;
    QLabel* Servicelabel;
    QLabel* Helplabel;
    ImageButton* bsSkinSpeedButton1;
    QLabel* Titlelb;
    ConnectionPage* Mainpanel;
    QWidget* SoftPanel;
    QLabel* ShockwaveFlash1;
};
