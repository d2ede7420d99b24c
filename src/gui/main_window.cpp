#include "gui/main_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

#include "core/cipher/string_cipher.h"
#include "core/shell/stored_texts.h"
#include "gui/client_context.h"
#include "gui/connection/connection_controller.h"
#include "gui/connection/connection_page.h"
#include "gui/content/content_controller.h"
#include "gui/login/account_panel.h"
#include "gui/login/login_controller.h"
#include "gui/login/login_panel.h"
#include "gui/login/portal_links.h"
#include "gui/tray/tray_controller.h"
#include "gui/vpn/phonebook_controller.h"
#include "gui/widgets/image_button.h"
#include "gui/widgets/widget_factory.h"
#include "gui/widgets/pixmap_file.h"

// The images live in the GUI library, which is static: register them once.
static void initImages()
{
    Q_INIT_RESOURCE(images);
}

MainWindow::MainWindow(ClientContext& ctx, QWidget* parent)
    : QWidget(parent)
    , ctx_(ctx)
{
    initImages();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZavtrelV2.9"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
        | Qt::WindowCloseButtonHint);
    setFixedSize(256, 600);
    setWindowIcon(QIcon(loadPixmap(QStringLiteral(":/images/app_icon.png"))));
    setStyleSheet(QStringLiteral(
        "QLineEdit { lineedit-password-character: 42; border: 1px solid #7a9cc6; border-radius: 3px;"
        " padding: 1px 4px; background: white; }"
        "#LoginPanel QLabel { color: white; }"
        "#LoginPanel #Loginstatelb { color: #ffe08a; }"
        "#Viplabel { color: yellow; }"
        "#Panel1 #FreeUlb, #Panel1 #Usernamelb, #Panel1 #Balancelb, #Panel1 #Balancevlb,"
        " #Panel1 #Expirelb, #Panel1 #Expirevlb, #Userlabel, #Servicelabel, #Helplabel { color: white; }"
        "QGroupBox { border: 1px solid #9db4d6; border-radius: 4px; margin-top: 8px; background: #f4f8fd; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #1d4f91; }"));

    loginPanel_ = new LoginPanel(this);
    accountPanel_ = new AccountPanel(this);
    ConnectionPage& page = *accountPanel_->Mainpanel;
    tray_ = new TrayController(ctx, *this);
    phonebook_ = new PhonebookController(ctx, page, this);
    connection_ = new ConnectionController(ctx, page, *tray_, *phonebook_, *this);
    content_ = new ContentController(ctx, *accountPanel_, this);
    login_ = new LoginController(ctx, *loginPanel_, *accountPanel_, *tray_, *content_, *connection_, this);
    links_ = new PortalLinks(ctx, *loginPanel_, *accountPanel_, *tray_, this);

    connect(tray_, &TrayController::programEndRequested, this, &MainWindow::programEndRequested);
    connect(page.SetLine, &QPushButton::clicked, this, &MainWindow::setLineRequested);
    connect(page.SetLinkMode, &QPushButton::clicked, this, &MainWindow::setLinkModeRequested);
    formCreate();
}

MainWindow::~MainWindow() = default;

const Settings& MainWindow::settings() const
{
    return ctx_.settings;
}

QMenu* MainWindow::popupMenu() const
{
    return tray_->PopupMenu1;
}

void MainWindow::sessionEnding()
{
    connection_->sessionEnding();
}

void MainWindow::terminationRequested()
{
    connection_->sessionEnding();
    tray_->exitClick();
}

void MainWindow::formCreate()
{
    try {
        phonebook_->prepareAtStartup(ctx_.settings.mode());
        phonebook_->restoreFullRelay(connection_->restoreSavedNode());
        content_->restoreFirstButtonImage();
        setWindowTitle(QString::fromStdString(cipher::decryptText(stored_texts::kCaptionCipher)));
    } catch (...) {
        return; // the remaining steps do not run
    }
    login_->fetchAnnouncement();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    tray_->windowShown();
    if (shownOnce_)
        return;
    shownOnce_ = true;
    formShow();
}

void MainWindow::formShow()
{
    try {
        if (const QScreen* s = screen())
            move(s->geometry().width() - frameGeometry().width() - 50, 50);
        tray_->updateTrayIcon(TrayController::TrayOperation::Add);
        login_->restoreSavedLogin();
        links_->restoreContactUrl();

        QFont song = font();
        song.setFamily(QStringLiteral("宋体"));
        song.setPointSize(9);
        setFont(song);
        const ConnectionPage& page = *accountPanel_->Mainpanel;
        const AccountPanel& a = *accountPanel_;
        for (QLabel* l :
            { page.LocalLineTypev, page.Linkmodev, page.lblStatus, page.ShowLine, a.Viplabel, a.FreeUlb,
                loginPanel_->ForgetPwlb, loginPanel_->Boxgmlb, loginPanel_->Loginstatelb, a.Userlabel,
                a.Servicelabel, a.Helplabel, a.Titlelb, a.Balancelb, a.Balancevlb, a.Expirelb, a.Expirevlb })
            widgets::setSong9(l);
    } catch (...) {
        // silently ends the first showing
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the default button of the panel on show, once: the edits
    // pass their Enter on to here.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (loginPanel_->isVisible())
            loginPanel_->BsLogin->click();
        else if (accountPanel_->Mainpanel->isVisible())
            accountPanel_->Mainpanel->BConn->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    tray_->closeEvent(event);
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Styles and the icon change the window while it is being built.
    if (tray_)
        tray_->changeEvent(event);
}
