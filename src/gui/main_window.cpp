#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

#include "core/account/http_client.h"
#include "gui/widgets/image_button.h"
#include "gui/content/ad_popup.h"
#include "gui/content/ad_schedule_ticker.h"
#include "gui/content/button_bar.h"
#include "gui/content/config_fetch_worker.h"
#include "gui/content/flash_banner.h"
#include "gui/content/news_window.h"
#include "core/cipher/string_cipher.h"
#include "platform/gbk_codec.h"
#include "core/vpn/phonebook.h"
#include "core/vpn/phonebook_choice.h"

// The images live in the GUI library, which is static: register them once.
static void initImages()
{
    Q_INIT_RESOURCE(images);
}

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

const char* lineText(int lineType)
{
    switch (lineType) {
    case 1:
        return "本地网通线路";
    case 2:
        return "本地电信线路";
    case 3:
        return "铁通或其他线路";
    default:
        return nullptr;
    }
}

}  // namespace

MainWindow::MainWindow(const ClientConfig& config, AppServices& services, Session& session, NodeChoice& nodeChoice,
                       QWidget* parent)
    : QWidget(parent),
      config_(config),
      services_(services),
      session_(session),
      nodeChoice_(nodeChoice),
      settings_(config.paths.appDir),
      log_(services.clock)
{
    initImages();
    buildUi();
    buttonBar_ = new ButtonBar({Panel1, bsSkinSpeedButton1, Titlelb, Mainpanel, SoftPanel}, paths_.resDir, this);
    new FlashBanner(ShockwaveFlash1, config_.contentBase + "admain.swf", this);
    connect(IsServer, &QCheckBox::toggled, this, &MainWindow::isServerClick);
    connect(AutoConn, &QCheckBox::clicked, this, &MainWindow::autoConnClick);
    connect(BsLogin, &QAbstractButton::clicked, this, &MainWindow::bsLoginButtonClicked);
    connect(Username, &QLineEdit::returnPressed, BsLogin, &QAbstractButton::click);
    connect(PassWord, &QLineEdit::returnPressed, BsLogin, &QAbstractButton::click);
    // Hover pictures of the two account buttons; a picture that cannot be
    // loaded leaves the button as it is.
    const auto hoverPicture = [this](ImageButton* button, const char* file) {
        const QPixmap pic = loadResImage(file);
        if (!pic.isNull())
            button->setPicture(pic);
    };
    connect(BsLogin, &ImageButton::mouseEntered, this, [this, hoverPicture] { hoverPicture(BsLogin, "loginb.bmp"); });
    connect(BsLogin, &ImageButton::mouseLeft, this, [this, hoverPicture] { hoverPicture(BsLogin, "logina.bmp"); });
    connect(BsReg, &ImageButton::mouseEntered, this, [this, hoverPicture] { hoverPicture(BsReg, "regb.bmp"); });
    connect(BsReg, &ImageButton::mouseLeft, this, [this, hoverPicture] { hoverPicture(BsReg, "rega.bmp"); });
    connect(X1, &QAction::triggered, this, &MainWindow::exitClick);
    connect(L1, &QAction::triggered, this, &MainWindow::switchUserClick);
    connect(ExitX1, &QAction::triggered, this, &MainWindow::bConnClick);
    connect(C1, &QAction::triggered, this, &MainWindow::bConnClick);
    connect(BConn, &QPushButton::clicked, this, &MainWindow::bConnClick);
    connect(Timer1, &QTimer::timeout, this, &MainWindow::timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &MainWindow::timer2Timer);
    connect(SetLine, &QPushButton::clicked, this, &MainWindow::setLineRequested);
    connect(SetLinkMode, &QPushButton::clicked, this, &MainWindow::setLinkModeRequested);
    connectLinks();
    formCreate();
}

MainWindow::~MainWindow()
{
    for (const auto& w : newsWindows_)
        delete w.data();
}

void MainWindow::setAdPopup(AdPopup& popup)
{
    adTicker_ = new AdScheduleTicker(adSchedule_, popup, this);
    connect(Timer5, &QTimer::timeout, adTicker_, &AdScheduleTicker::timer5Timer);
}

void MainWindow::formCreate()
{
    try {
        const int mode = settings_.mode();
        preparePhonebookAtStartup(mode);

        const int lineType = settings_.lineType();
        nodeChoice_.setLineType(lineType);
        if (lineType != 0) {
            LocalLineTypev->setText(qs(settings_.serverName()));
            nodeChoice_.setServerIp(cipher::decryptText(settings_.server()));
            if (const char* text = lineText(lineType))
                ShowLine->setText(QString::fromUtf8(text));
            if (lineType == 3)
                setFullRelay(true);
        }

        // Checking the box runs its handler; leaving it unchecked runs nothing.
        IsServer->setChecked(settings_.isServer());

        QDir resDir(qs(paths_.resDir));
        if (resDir.exists()) {
            const QPixmap pic = loadResImage("tuvekb.bmp");
            if (!pic.isNull())
                bsSkinSpeedButton1->setPicture(pic);
        } else {
            QDir().mkpath(qs(paths_.resDir));
        }

        setWindowTitle(qs(cipher::decryptText(kCaptionCipher)));
    } catch (...) {
        return;  // the remaining steps do not run
    }
    fetchAnnouncement();
}

void MainWindow::fetchAnnouncement()
{
    try {
        HttpRequest request;
        request.url = config_.portalBase + "/gonggao.txt";
        request.headers = {http_headers::kUserAgent, http_headers::kAccept, http_headers::kContentType};
        request.followRedirects = true;
        const HttpResponse reply = services_.http.get(request);
        if (!reply.ok)
            return;
        const std::string text = platform::gbkToUtf8(reply.body);
        const size_t bar = text.find('|');
        // Without a "|" the caption is empty and the link is the whole reply.
        lblContent->setText(bar == std::string::npos ? QString() : qs(text.substr(0, bar)));
        session_.announcementUrl = bar == std::string::npos ? text : text.substr(bar + 1);
        QFont f = lblContent->font();
        f.setUnderline(true);
        lblContent->setFont(f);
        lblContent->show();
    } catch (...) {
        lblContent->hide();
        session_.announcementUrl.clear();
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    formShow();
}

void MainWindow::formShow()
{
    try {
        if (const QScreen* screen = this->screen()) {
            const int outerWidth = frameGeometry().width();
            move(screen->geometry().width() - outerWidth - 50, 50);
        }
        updateTrayIcon(TrayOperation::Add);

        Username->setText(qs(cipher::decryptText(settings_.user())));
        PassWord->setText(qs(cipher::decryptText(settings_.pass())));
        Saveuserck->setChecked(settings_.saveInfo());
        SavePassck->setChecked(settings_.savePwd());
        const bool saveLogin = settings_.saveLogin();
        AutoLoginck->setChecked(saveLogin);
        if (saveLogin)
            bsLoginClick();

        session_.contactUrl = settings_.webQqUrl();

        const QFont song(QStringLiteral("宋体"), 9);
        setFont(song);
        for (QLabel* l : {LocalLineTypev, Linkmodev, lblStatus, ShowLine, Viplabel, FreeUlb, ForgetPwlb, Boxgmlb,
                          Loginstatelb, Userlabel, Servicelabel, Helplabel, Titlelb, Balancelb, Balancevlb, Expirelb,
                          Expirevlb}) {
            QFont f = l->font();
            f.setFamily(song.family());
            f.setPointSize(9);
            l->setFont(f);
        }
    } catch (...) {
        // silently ends the first showing
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (LoginPanel->isVisible())
            BsLogin->click();
        else if (Mainpanel->isVisible())
            BConn->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::preparePhonebookAtStartup(int mode)
{
    // At start-up only mode 2 shows its label and is stored again.
    preparePhonebookForMode(mode, mode == 2);
}

void MainWindow::preparePhonebookForMode(int mode, bool showAndStore)
{
    const std::string versionName = windowsVersionName(services_.osInfo.version());
    const PhonebookChoice choice = choosePhonebook(mode, versionName);
    session_.entryName = choice.entryName;
    if (showAndStore) {
        Linkmodev->setText(qs(choice.modeLabel));
        settings_.setMode(choice.storedMode);
    }
    const PreparedPhonebook written = preparePhonebook(mode, versionName, paths_.tempDir, services_.systemPaths);
    session_.phonebookPath = written.phonebookPath;
}

void MainWindow::applyConnectionMode(int mode)
{
    try {
        preparePhonebookForMode(mode, true);
        setFullRelay(IsServer->isChecked());
    } catch (const IniWriteError& e) {
        reportWriteError(e);
    }
}

void MainWindow::setFullRelay(bool on)
{
    ::setFullRelay(session_.entryName, session_.phonebookPath, on);
}

bool MainWindow::fullRelayChecked() const
{
    return IsServer->isChecked();
}

void MainWindow::showChosenNode(const std::string& name)
{
    LocalLineTypev->setText(qs(name));
}

void MainWindow::reportWriteError(const IniWriteError& e)
{
    services_.messageBoxes.information(session_.appTitle, e.what());
}

void MainWindow::isServerClick()
{
    try {
        setFullRelay(IsServer->isChecked());
        settings_.setIsServer(IsServer->isChecked());
    } catch (const IniWriteError& e) {
        reportWriteError(e);
    }
}

void MainWindow::autoConnClick()
{
    try {
        settings_.setAutoConn(AutoConn->isChecked());
    } catch (const IniWriteError& e) {
        reportWriteError(e);
    }
}

void MainWindow::updateTrayIcon(TrayOperation operation)
{
    switch (operation) {
    case TrayOperation::Add:
        if (!trayIcon_) {
            trayIcon_ = new QSystemTrayIcon(windowIcon(), this);
            trayIcon_->setObjectName(QStringLiteral("TrayIcon"));
            trayIcon_->setToolTip(QStringLiteral("Zavtrel"));
            trayIcon_->setContextMenu(PopupMenu1);
            connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick) {
                    showNormal();
                    raise();
                    activateWindow();
                }
            });
        }
        trayIcon_->show();
        break;
    case TrayOperation::Modify:
        break;
    case TrayOperation::Delete:
        if (trayIcon_) {
            trayIcon_->hide();
            trayIcon_->deleteLater();
            trayIcon_ = nullptr;
        }
        break;
    }
}

void MainWindow::exitClick()
{
    if (const auto handle = session_.connectionHandle.load())
        services_.remoteAccess.hangUp(handle);
    if (!session_.entryName.empty())
        services_.launcher.startDetached({config_.dialTool, session_.entryName, "/disconnect"});
    for (const char* name : {"TUVEKP.sys", "TUVEKL.sys", "TUVEKX.sys"})
        std::remove((paths_.tempDir + name).c_str());
    updateTrayIcon(TrayOperation::Delete);
    emit programEndRequested();
}

void MainWindow::startConfigFetch()
{
    ConfigFetchJob job;
    job.contentBase = config_.contentBase;
    job.appDir = paths_.appDir;
    job.resDir = paths_.resDir;
    job.nodeListFile = session_.nodeListFile;
    ConfigFetchWorker::start(std::move(job), {*buttonBar_, adSchedule_, session_, settings_, log_});
}

void MainWindow::openNewsWindow()
{
    newsWindows_.push_back(
        new NewsWindow(session_.newsTitle, session_.newsWidth, session_.newsHeight, config_.newsPageUrl));
}

QPixmap MainWindow::loadResImage(const std::string& name) const
{
    return QPixmap(qs(paths_.resDir + name));
}
