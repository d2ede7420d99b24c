#pragma once

#include <string>

#include "base/settings.h"

// The three choices of the login panel.
struct LoginChoices {
    bool saveUser = false; // "保存我的帐户信息"
    bool savePassword = false; // "记住我的密码"
    bool autoLogin = false; // "设置为自动登陆"
};

// Stores the choices before a login is sent. A remembered password always
// keeps the user name too. Throws IniWriteError when the file refuses.
void storeLoginChoices(const Settings& settings, const std::string& user, const std::string& password,
    const LoginChoices& choices);

// What start-up fills the login panel with: deciphered credentials and the
// choices, every one false when nothing was saved.
struct SavedLogin {
    std::string user;
    std::string password;
    LoginChoices choices;
};
SavedLogin readSavedLogin(const Settings& settings);
