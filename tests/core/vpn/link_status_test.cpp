#include <gtest/gtest.h>

#include "core/vpn/link_status.h"

TEST(LinkStatus, TrayTipByState)
{
    struct Case {
        LinkStatus status;
        const char* tip;
    };
    const Case cases[] = {
        { { LinkState::Disconnected, "自动-电信VIP一号", "1,234", "2" }, "Zavtrel - 未连接" },
        { { LinkState::Connecting, "自动-电信VIP一号", "", "" }, "Zavtrel - 连接中..." },
        { { LinkState::Dropped, "自动-电信VIP一号", "1,234", "2" }, "Zavtrel - 连接中断" },
        { { LinkState::Connected, "自动-电信VIP一号", "1,234", "2" },
            "Zavtrel - 已连接\n节点：自动-电信VIP一号\n发送 1,234 KB，接收 2 KB" },
        { { LinkState::Connected, "", "5", "6" }, "Zavtrel - 已连接\n发送 5 KB，接收 6 KB" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(trayTip(c.status), c.tip);
}
