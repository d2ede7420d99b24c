#include "gui/login/portal_links.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include "core/account/portal_links.h"
#include "gui/client_context.h"
#include "gui/connection/connection_page.h"
#include "gui/login/account_panel.h"
#include "gui/login/login_panel.h"
#include "gui/tray/tray_controller.h"
#include "gui/widgets/image_button.h"
#include "gui/widgets/widget_events.h"

PortalLinks::PortalLinks(
    ClientContext& ctx, LoginPanel& login, AccountPanel& account, TrayController& tray, QObject* parent)
    : QObject(parent)
    , ctx_(ctx)
{
    auto* events = new WidgetEvents(this);
    const auto signedLink = [this, events](QWidget* w, const char* page) {
        events->onClick(w, [this, page] { openAddress(signedAddress(page)); });
    };
    signedLink(account.Userlabel, "Pay.aspx");
    signedLink(account.Servicelabel, "Agent.aspx");
    signedLink(account.Helplabel, "JsqAQ.aspx");
    signedLink(account.Viplabel, "Pay.aspx");
    signedLink(login.ForgetPwlb, "Repass.aspx");
    signedLink(login.Yinsilb, "OnlinePay.aspx");
    signedLink(login.lbDuihuanshijian, "UserFill.aspx");
    const Session& s = ctx_.session;
    events->onClick(account.ContactmQQ, [this, &s] { openAddress(s.contactUrl); });
    events->onClick(login.ContactQQ, [this, &s] { openAddress(s.contactUrl); });
    events->onClick(login.lblContent, [this, &s] { openAddress(s.announcementUrl); });
    events->onClick(login.Boxgmlb, [this] { openAddress(ctx_.config.portalBase); });
    connect(login.BsReg, &QAbstractButton::clicked, this,
        [this] { openAddress(ctx_.config.portalBase + "UserReg.aspx"); });
    connect(tray.W1, &QAction::triggered, this, [this] { openAddress(ctx_.config.portalBase); });
    QPushButton* autoT = account.Mainpanel->AutoT;
    connect(autoT, &QPushButton::clicked, this, [this, autoT] {
        openAddress(kickAddress());
        autoT->hide();
    });
    connect(tray.N6, &QAction::triggered, this, [this] { openAddress(kickAddress()); });

    const auto hover = [events](QLabel* label, QLabel* background) {
        events->onHover(
            label, [background] { background->show(); }, [background] { background->hide(); });
    };
    hover(account.Userlabel, account.Userlabelbg);
    hover(account.Servicelabel, account.Servicebg);
    hover(account.Helplabel, account.Helpbg);
}

void PortalLinks::restoreContactUrl()
{
    ctx_.session.contactUrl = ctx_.settings.webQqUrl();
}

void PortalLinks::openAddress(const std::string& address)
{
    ctx_.services.launcher->openUrl(address);
}

std::string PortalLinks::signedAddress(const char* page) const
{
    const Session& s = ctx_.session;
    return ctx_.config.portalBase + buildPortalQuery(s.portalUser, s.portalPassword, *ctx_.services.clock)
        + page;
}

std::string PortalLinks::kickAddress() const
{
    return ::kickAddress(ctx_.config.portalBase, ctx_.session.portalUser);
}
