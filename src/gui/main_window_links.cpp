// Portal links of the main window and the tray menu: every one opens its page
// in the user's browser, most of them through the signed query.
#include <QAction>
#include <QLabel>
#include <QPushButton>

#include "core/account/portal_links.h"
#include "gui/widgets/image_button.h"
#include "gui/main_window.h"
#include "gui/widgets/widget_events.h"

void MainWindow::openAddress(const std::string& address)
{
    services_.launcher.openUrl(address);
}

std::string MainWindow::signedAddress(const char* page) const
{
    return config_.portalBase + buildPortalQuery(session_.portalUser, session_.portalPassword, services_.clock) + page;
}

std::string MainWindow::kickAddress() const
{
    return config_.portalBase + "ClearContact.aspx?Username=" + session_.portalUser;
}

void MainWindow::connectLinks()
{
    auto* events = new WidgetEvents(this);
    const auto signedLink = [this, events](QWidget* w, const char* page) {
        events->onClick(w, [this, page] { openAddress(signedAddress(page)); });
    };
    signedLink(Userlabel, "Pay.aspx");
    signedLink(Servicelabel, "Agent.aspx");
    signedLink(Helplabel, "JsqAQ.aspx");
    signedLink(Viplabel, "Pay.aspx");
    signedLink(ForgetPwlb, "Repass.aspx");
    signedLink(Yinsilb, "OnlinePay.aspx");
    signedLink(lbDuihuanshijian, "UserFill.aspx");
    events->onClick(ContactmQQ, [this] { openAddress(session_.contactUrl); });
    events->onClick(ContactQQ, [this] { openAddress(session_.contactUrl); });
    events->onClick(lblContent, [this] { openAddress(session_.announcementUrl); });
    events->onClick(Boxgmlb, [this] { openAddress(config_.portalBase); });
    events->onClick(FreeUlb, [this] { freeUlbClick(); });
    connect(BsReg, &QAbstractButton::clicked, this, [this] { openAddress(config_.portalBase + "UserReg.aspx"); });
    connect(W1, &QAction::triggered, this, [this] { openAddress(config_.portalBase); });
    connect(AutoT, &QPushButton::clicked, this, [this] {
        openAddress(kickAddress());
        AutoT->hide();
    });
    connect(N6, &QAction::triggered, this, [this] { openAddress(kickAddress()); });

    const auto hover = [events](QLabel* label, QLabel* background) {
        events->onHover(label, [background] { background->show(); }, [background] { background->hide(); });
    };
    hover(Userlabel, Userlabelbg);
    hover(Servicelabel, Servicebg);
    hover(Helplabel, Helpbg);
}
