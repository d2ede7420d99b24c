#include "core/vpn/dial_procedure.h"

#include "base/ascii.h"

namespace {

constexpr const char* kUnconfirmed = "拨号过程出错!请联系客服!";

// Clears the in-progress flag on every way out.
struct InProgress {
    std::atomic<bool>& flag;
    explicit InProgress(std::atomic<bool>& f) : flag(f) { flag = true; }
    ~InProgress() { flag = false; }
};

}  // namespace

DialProcedure::DialProcedure(Inputs inputs, Session& session, NodeChoice& nodeChoice,
                             platform::ProcessCapture& capture, platform::RemoteAccess& remoteAccess,
                             InstallRoutes installRoutes, const EventLog& log, DialUi& ui)
    : inputs_(std::move(inputs)),
      session_(session),
      nodeChoice_(nodeChoice),
      capture_(capture),
      remoteAccess_(remoteAccess),
      installRoutes_(std::move(installRoutes)),
      log_(log),
      ui_(ui)
{
}

std::vector<std::string> DialProcedure::commandLine(const std::string& tool, const std::string& entry,
                                                    const std::string& user, const std::string& password,
                                                    const std::string& phonebookPath, const std::string& serverIp)
{
    // One argument each: a space in the user name or password no longer
    // splits it into two.
    return {tool, entry, user, password, "/PHONEBOOK:" + phonebookPath, "/PHONE:" + serverIp};
}

const std::vector<DialProcedure::ErrorRow>& DialProcedure::errorTable()
{
    static const std::vector<ErrorRow> rows = {
        {"646", "不允许本帐户在此时间登录。"},
        {"647", "帐户已禁用！"},
        {"676", "服务器占线。"},
        {"691", "帐户上次未正常断开或密码错误！"},
        {"711", "在此计算机上的配置错误不能进行此连接。"},
        {"720", "不能建立到服务器的连接。"},
        {"721", "远程服务器响应超时！"},
        {"738", "服务器满员，请选择其他节点或稍候再试。"},
        {"756", "已经拨了这个连接。"},
        {"800", "无法连接服务器，请检查网络设置！"},
    };
    return rows;
}

void DialProcedure::run()
{
    InProgress inProgress(session_.dialInProgress);
    try {
        // The choice can change under us (the node chooser's threads): copy it once.
        const NodeChoice::Value node = nodeChoice_.get();
        const std::string entryName = session_.entryName;
        const auto argv = commandLine(inputs_.dialTool, entryName, session_.portalUser, session_.portalPassword,
                                      session_.phonebookPath, node.serverIp);
        const platform::CaptureResult result = capture_.runAndCapture(argv);
        switch (result.failure) {
        case platform::CaptureResult::Failure::None:
            break;
        case platform::CaptureResult::Failure::Other:
            log_.write(std::string("管道返回:") + platform::ProcessCapture::kOtherFailure);
            break;
        default:
            log_.write(result.output);
            break;
        }
        const std::string& output = result.output;
        if (output.find("命令已完成") != std::string::npos || output.find("successfully") != std::string::npos)
            confirmTunnel(entryName, node.lineType);
        else
            judgeFailure(output);
    } catch (...) {
        log_.write("拷贝文件出错!");
    }
}

void DialProcedure::confirmTunnel(const std::string& entryName, int lineType)
{
    const auto connections = remoteAccess_.listConnections();
    if (!connections)
        return;  // more than the listing has room for: no change
    if (connections->empty()) {
        ui_.showDialFailure(kUnconfirmed);
        return;
    }
    bool found = false;
    for (const auto& c : *connections) {
        const auto state = remoteAccess_.connectionStatus(c.handle);
        if (!state || *state != platform::RemoteAccess::kConnected || !equalsIgnoringAsciiCase(c.entryName, entryName))
            continue;
        found = true;
        session_.connectionHandle = c.handle;
        ui_.applyConnected();
        log_.write("连接成功!");
        if (!ui_.fullRelayChecked() && lineType != 3)
            installRoutes_(lineType);
    }
    if (!found)
        ui_.showDialFailure(kUnconfirmed);
}

void DialProcedure::judgeFailure(const std::string& output)
{
    for (const auto& row : errorTable()) {
        if (output.find(row.code) == std::string::npos)
            continue;
        ui_.showDialFailure(row.message);
        if (std::string_view(row.code) == "691")
            ui_.showAutoT();
    }
}
