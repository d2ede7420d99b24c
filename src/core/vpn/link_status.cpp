#include "core/vpn/link_status.h"

namespace {

const char* stateText(LinkState state)
{
    switch (state) {
    case LinkState::Connecting:
        return "连接中...";
    case LinkState::Connected:
        return "已连接";
    case LinkState::Dropped:
        return "连接中断";
    case LinkState::Disconnected:
        break;
    }
    return "未连接";
}

} // namespace

std::string trayTip(const LinkStatus& status)
{
    std::string tip = std::string("Zavtrel - ") + stateText(status.state);
    if (status.state != LinkState::Connected)
        return tip;
    if (!status.node.empty())
        tip += "\n节点：" + status.node;
    tip += "\n发送 " + status.sentKb + " KB，接收 " + status.receivedKb + " KB";
    return tip;
}

std::string linkDroppedNotice(bool redialing)
{
    return redialing ? "连接中断，正在重新连接..." : "连接中断!";
}

std::string redialedNotice(const std::string& node)
{
    return node.empty() ? "已重新连接。" : "已重新连接：" + node;
}

std::string redialFailedNotice(const std::string& reason)
{
    return reason.empty() ? "重新连接失败。" : "重新连接失败：" + reason;
}
