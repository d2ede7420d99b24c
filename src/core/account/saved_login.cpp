#include "core/account/saved_login.h"

#include "core/cipher/string_cipher.h"

void storeLoginChoices(const Settings& settings, const std::string& user, const std::string& password,
    const LoginChoices& choices)
{
    settings.setUser(choices.saveUser ? cipher::encryptText(user) : std::string());
    if (choices.savePassword) {
        settings.setUser(cipher::encryptText(user));
        settings.setPass(cipher::encryptText(password));
    } else {
        settings.setPass({});
    }
    settings.setSaveInfo(choices.saveUser);
    settings.setSavePwd(choices.savePassword);
    settings.setSaveLogin(choices.autoLogin);
}

SavedLogin readSavedLogin(const Settings& settings)
{
    SavedLogin saved;
    saved.user = cipher::decryptText(settings.user());
    saved.password = cipher::decryptText(settings.pass());
    saved.choices.saveUser = settings.saveInfo();
    saved.choices.savePassword = settings.savePwd();
    saved.choices.autoLogin = settings.saveLogin();
    return saved;
}
