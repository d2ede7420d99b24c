#pragma once

#include <string>

// What the notification-area icon says about the tunnel.
enum class LinkState {
    Disconnected, // never connected, or disconnected by the user or the time limit
    Connecting, // a dial is running
    Connected,
    Dropped, // the link went down without the user asking
};

struct LinkStatus {
    LinkState state = LinkState::Disconnected;
    std::string node; // the node's name as the window shows it
    std::string sentKb, receivedKb; // the window's counters
};

// The icon's tip: the product name and the state; when connected, the node
// and the counters too.
std::string trayTip(const LinkStatus& status);

// Notifications of what happened to the link while the window was hidden.
std::string linkDroppedNotice(bool redialing);
std::string redialedNotice(const std::string& node);
std::string redialFailedNotice(const std::string& reason);
