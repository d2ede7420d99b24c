#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The connection page (Mainpanel): acceleration settings, traffic figures,
// the status line and the connect button, by their names. A view only.
class ConnectionPage : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionPage(QWidget* parent);

    // Status line text in a colour, repainted at once.
    void setStatus(const QString& text, const QColor& colour);

    QGroupBox* AccelGroup;
    QLabel* LocalIP;
    QLabel* Localipv;
    QLabel* ShowLine;
    QLabel* LocalLineType;
    QLabel* LocalLineTypev;
    QPushButton* SetLine;
    QLabel* LinkMode;
    QLabel* Linkmodev;
    QPushButton* SetLinkMode;
    QCheckBox* AutoConn;
    QCheckBox* LinkADisc;
    QCheckBox* IsServer;
    QLabel* LineNet;
    QGroupBox* TrafficGroup;
    QLabel* ConnState;
    QLabel* Label1;
    QLabel* Lxmit;
    QLabel* Lkb1;
    QLabel* Label2;
    QLabel* LRecv;
    QLabel* Lkb2;
    QLabel* Linktime;
    QLabel* Linktimev;
    QLabel* lblStatus;
    QPushButton* BConn;
    QPushButton* AutoT;
};

// The status line's two colours.
inline const QColor kStatusGreen(0, 128, 0);
inline const QColor kStatusRed(255, 0, 0);
