#include "core/account/login_decision.h"

#include "base/ascii.h"

LoginDecision decideLogin(bool requestOk, std::string_view replyText)
{
    LoginDecision d;
    if (!requestOk)
        return d;
    switch (classifyLoginReply(replyText)) {
    case LoginVerdict::Refused:
        d.outcome = LoginOutcome::Refused;
        return d;
    case LoginVerdict::Stopped:
        d.outcome = LoginOutcome::Stopped;
        return d;
    case LoginVerdict::Success:
        break;
    }
    d.reply = parseLoginReply(replyText);
    if (!d.reply)
        return d; // request failed
    const LoginReply& r = *d.reply;
    if (!versionAccepted(r.requiredVersion))
        d.outcome = LoginOutcome::UpdateRequired;
    else if (r.accountState < 0 || r.accountState > 2)
        d.outcome = LoginOutcome::IllegalUser;
    else if (r.accountState == 2)
        d.outcome = LoginOutcome::Frozen;
    else if (equalsIgnoringAsciiCase(r.daysLeft, "0"))
        d.outcome = LoginOutcome::Expired;
    else
        d.outcome = LoginOutcome::Accepted;
    return d;
}

const char* loginPanelText(LoginOutcome outcome)
{
    switch (outcome) {
    case LoginOutcome::RequestFailed:
        return "提示：登陆失败！\r\n\r\n可能是如下原因：\r\n\r\n1.本地网络未连接。\r\n\r\n2."
               "登陆验证服务器故障，请联系客服！";
    case LoginOutcome::Refused:
        return "提示：登陆失败！\r\n\r\n可能是如下原因：\r\n\r\n1.帐户或者密码错误。\r\n\r\n2."
               "连接用户过多请稍后再试！";
    case LoginOutcome::Frozen:
        return "提示：\r\n\r\n您的帐户已被冻结，请联系网站管理员！";
    case LoginOutcome::Expired:
        return "提示：\r\n\r\n您的帐户已到期,请及时冲值,谢谢合作!"
               "\r\n\r\n如果您已经充值，请点击下面按钮，兑换使用时间！";
    default:
        return nullptr;
    }
}

const char* loginEndMessage(LoginOutcome outcome)
{
    switch (outcome) {
    case LoginOutcome::Stopped:
        return "系统升级中,暂停使用！";
    case LoginOutcome::IllegalUser:
        return "非法用户，请联系网站管理员！";
    default:
        return nullptr;
    }
}
