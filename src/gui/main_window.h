#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>
#include <string>

#include "gui/app_services.h"
#include "core/client_config.h"
#include "base/event_log.h"
#include "core/node_choice.h"
#include "core/session.h"
#include "base/settings.h"
#include "core/content/ad_schedule.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class ImageButton;
class AdPopup;
class AdScheduleTicker;
class ButtonBar;
class NewsWindow;

// The client's one permanent window: the login panel and, after a login, the
// logged-in panel with the connection page. Controls carry their names as
// objectName so that tests and the other windows find them.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(const ClientConfig& config, AppServices& services, Session& session, NodeChoice& nodeChoice,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Creation steps, run once by the constructor; each failure ends them.
    void formCreate();
    // First showing; run once from the first show event.
    void formShow();

    enum class TrayOperation { Add, Modify, Delete };
    void updateTrayIcon(TrayOperation operation);

    // Login button, also run by the automatic login of the first showing.
    // Throws IniWriteError when the choices cannot be stored.
    void bsLoginClick();
    void applyAutoConnect();

    // The connection mode dialog's OK: phonebook for the mode, label and
    // setting, then full relay as the box stands.
    void applyConnectionMode(int mode);

    // For the node chooser.
    bool fullRelayChecked() const;
    void setFullRelay(bool on);
    void showChosenNode(const std::string& name);

    // Connect or disconnect, by BConn's caption.
    void bConnClick();
    void timer1Timer();
    void timer2Timer();
    // The session is ending (log-off, shut-down): drop a live connection.
    void sessionEnding();

    const Settings& settings() const { return settings_; }
    // The pop-up the schedule shows; set once, right after it is created.
    void setAdPopup(AdPopup& popup);
    const EventLog& log() const { return log_; }
    QMenu* popupMenu() const { return PopupMenu1; }

    // Stored cipher texts of the window caption and the message-box title.
    static constexpr const char* kCaptionCipher = "67B2C9276A4084F766F4805427BB2E0D";
    static constexpr const char* kAppTitleCipher = "67B2C9276A4084F7EF5CF494D3F515EE";

signals:
    // The program must end now (update required, service stopped, account
    // refused, exit command).
    void programEndRequested();
    void setLineRequested();
    void setLinkModeRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildUi();
    void buildLoginPanel();
    void buildLoggedInPanel();
    void buildConnectionPage();
    void buildMenuAndTimers();

    // Later parts of the road plug in here.
    void preparePhonebookAtStartup(int mode);
    void preparePhonebookForMode(int mode, bool showAndStore);
    void isServerClick();
    void autoConnClick();
    void reportWriteError(const IniWriteError& e);
    void bsLoginButtonClicked();
    void loginExchange();
    void showLoginFailure(const char* text);
    void applyVipLayout();
    void applyFreeLayout();
    void freeUlbClick();

    void connectLinks();
    void openAddress(const std::string& address);
    std::string signedAddress(const char* page) const;
    std::string kickAddress() const;

    // Connection
    void connectBranch();
    void disconnectBranch();
    void startDialWorker();
    void applyConnectedState();
    void showDialFailure(const std::string& message);
    void selectNodeAutomatically();
    void setStatus(const QString& text, const QColor& colour);
    void hideToTray();
    void switchUserClick();

    // Filled by the content part of the client.
    void startConfigFetch();
    void openNewsWindow();
    void exitClick();

    void fetchAnnouncement();
    QPixmap loadResImage(const std::string& name) const;

    const ClientConfig config_;
    const AppPaths& paths_ = config_.paths;
    AppServices& services_;
    Session& session_;
    NodeChoice& nodeChoice_;
    Settings settings_;
    EventLog log_;
    bool shownOnce_ = false;
    QSystemTrayIcon* trayIcon_ = nullptr;
    AdSchedule adSchedule_;
    ButtonBar* buttonBar_ = nullptr;
    AdScheduleTicker* adTicker_ = nullptr;
    std::vector<QPointer<NewsWindow>> newsWindows_;

    // Login panel
    QWidget* LoginPanel = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* Username = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* PassWord = nullptr;
    QCheckBox* Saveuserck = nullptr;
    QCheckBox* SavePassck = nullptr;
    QCheckBox* AutoLoginck = nullptr;
    QLabel* lblContent = nullptr;
    ImageButton* BsLogin = nullptr;
    ImageButton* BsReg = nullptr;
    QLabel* Loginstatelb = nullptr;
    QLabel* Yinsilb = nullptr;
    QLabel* lbDuihuanshijian = nullptr;
    QLabel* ForgetPwlb = nullptr;
    QLabel* Image5 = nullptr;
    QLabel* ContactQQ = nullptr;
    QLabel* Boxgmlb = nullptr;

    // Logged-in panel
    QWidget* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image4 = nullptr;
    QLabel* FreeUlb = nullptr;
    QLabel* Usernamelb = nullptr;
    QLabel* Balancelb = nullptr;
    QLabel* Balancevlb = nullptr;
    QLabel* Expirelb = nullptr;
    QLabel* Expirevlb = nullptr;
    QLabel* Viplabel = nullptr;
    QLabel* ContactmQQ = nullptr;
    QLabel* Userlabel = nullptr;
    QLabel* Servicelabel = nullptr;
    QLabel* Helplabel = nullptr;
    QLabel* Userlabelbg = nullptr;
    QLabel* Servicebg = nullptr;
    QLabel* Helpbg = nullptr;
    ImageButton* bsSkinSpeedButton1 = nullptr;
    QLabel* Titlelb = nullptr;
    QWidget* Mainpanel = nullptr;
    QWidget* SoftPanel = nullptr;
    QLabel* ShockwaveFlash1 = nullptr;

    // Connection page
    QGroupBox* AccelGroup = nullptr;
    QLabel* LocalIP = nullptr;
    QLabel* Localipv = nullptr;
    QLabel* ShowLine = nullptr;
    QLabel* LocalLineType = nullptr;
    QLabel* LocalLineTypev = nullptr;
    QPushButton* SetLine = nullptr;
    QLabel* LinkMode = nullptr;
    QLabel* Linkmodev = nullptr;
    QPushButton* SetLinkMode = nullptr;
    QCheckBox* AutoConn = nullptr;
    QCheckBox* LinkADisc = nullptr;
    QCheckBox* IsServer = nullptr;
    QLabel* LineNet = nullptr;
    QGroupBox* TrafficGroup = nullptr;
    QLabel* ConnState = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Lxmit = nullptr;
    QLabel* Lkb1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* LRecv = nullptr;
    QLabel* Lkb2 = nullptr;
    QLabel* Linktime = nullptr;
    QLabel* Linktimev = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* BConn = nullptr;
    QPushButton* AutoT = nullptr;

    // Window-less components
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer5 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* ExitX1 = nullptr;
    QAction* C1 = nullptr;
    QAction* N6 = nullptr;
    QAction* L1 = nullptr;
    QAction* W1 = nullptr;
    QAction* X1 = nullptr;
};
