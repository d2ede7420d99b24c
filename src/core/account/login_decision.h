#pragma once

#include <optional>
#include <string_view>

#include "core/account/http_client.h"
#include "core/account/login_reply.h"

// What a login exchange comes to, in the order the checks run.
enum class LoginOutcome {
    RequestFailed, // no reply, an error status, too few items or a bad integer
    Refused, // neither "ok!" nor "stop"
    Stopped, // the service is stopped: the program ends
    UpdateRequired, // another client version: the updater starts, the program ends
    IllegalUser, // an account state outside 0..2: the program ends
    Frozen,
    Expired,
    Accepted,
};

struct LoginDecision {
    LoginOutcome outcome = LoginOutcome::RequestFailed;
    // The parsed reply from UpdateRequired on.
    std::optional<LoginReply> reply;
};

// Judges the account server's answer to a login; replyText is the body as
// UTF-8.
LoginDecision decideLogin(bool requestOk, std::string_view replyText);

// The text the login panel shows for an outcome that stays on it; null for
// the others.
const char* loginPanelText(LoginOutcome outcome);
// The message box of an outcome that ends the program; null for the others.
const char* loginEndMessage(LoginOutcome outcome);
