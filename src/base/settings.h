#pragma once

#include <string>

#include "base/ini_file.h"

// The client's settings file "zvtad.INI" in the program directory, with one
// typed accessor per key. Every call goes to the file; writes throw
// IniWriteError ("Unable to write to <path>") when refused.
class Settings {
public:
    static constexpr const char* kFileName = "zvtad.INI";

    explicit Settings(const std::string& appDir)
        : ini_(appDir + kFileName)
    {
    }

    const IniFile& file() const { return ini_; }
    const std::string& path() const { return ini_.path(); }
    bool exists() const { return ini_.exists(); }

    // Main: saved credentials, as cipher text.
    std::string user() const { return ini_.readString("Main", "User"); }
    void setUser(const std::string& cipherHex) const { ini_.writeString("Main", "User", cipherHex); }
    std::string pass() const { return ini_.readString("Main", "Pass"); }
    void setPass(const std::string& cipherHex) const { ini_.writeString("Main", "Pass", cipherHex); }

    bool saveInfo() const { return ini_.readBool("Main", "SaveInfo", false); }
    void setSaveInfo(bool on) const { ini_.writeBool("Main", "SaveInfo", on); }
    bool savePwd() const { return ini_.readBool("Main", "SavePwd", false); }
    void setSavePwd(bool on) const { ini_.writeBool("Main", "SavePwd", on); }
    bool saveLogin() const { return ini_.readBool("Main", "SaveLogin", false); }
    void setSaveLogin(bool on) const { ini_.writeBool("Main", "SaveLogin", on); }
    bool autoConn() const { return ini_.readBool("Main", "AutoConn", false); }
    void setAutoConn(bool on) const { ini_.writeBool("Main", "AutoConn", on); }
    bool isServer() const { return ini_.readBool("Main", "IsServer", false); }
    void setIsServer(bool on) const { ini_.writeBool("Main", "IsServer", on); }

    int mode() const { return ini_.readInt("Main", "Mode", 1); }
    void setMode(int mode) const { ini_.writeInt("Main", "Mode", mode); }
    int lineType() const { return ini_.readInt("Main", "LineType", 0); }
    void setLineType(int lineType) const { ini_.writeInt("Main", "LineType", lineType); }
    std::string serverName() const { return ini_.readString("Main", "ServerName"); }
    void setServerName(const std::string& name) const { ini_.writeString("Main", "ServerName", name); }
    // Node address, as cipher text.
    std::string server() const { return ini_.readString("Main", "Server"); }
    void setServer(const std::string& cipherHex) const { ini_.writeString("Main", "Server", cipherHex); }

    // Erases every Main key; Qqurl survives.
    void eraseMain() const { ini_.eraseSection("Main"); }

    std::string webQqUrl() const { return ini_.readString("Qqurl", "Webqqurl"); }
    void setWebQqUrl(const std::string& url) const { ini_.writeString("Qqurl", "Webqqurl", url); }

private:
    IniFile ini_;
};
