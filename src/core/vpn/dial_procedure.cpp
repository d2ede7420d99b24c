#include "core/vpn/dial_procedure.h"

#include "base/ascii.h"
#include "core/vpn/route_installer.h"
#include "platform/gbk_codec.h"

namespace {

constexpr const char* kUnconfirmed = "拨号过程出错!请联系客服!";

// Clears the in-progress flag on every way out.
struct InProgress {
    std::atomic<bool>& flag;
    explicit InProgress(std::atomic<bool>& f)
        : flag(f)
    {
        flag = true;
    }
    ~InProgress() { flag = false; }
};

} // namespace

DialProcedure::DialProcedure(DialRequest request, DialServices services, std::shared_ptr<DialState> state,
    std::shared_ptr<const NodeChoice> nodeChoice, EventLog log, DialUi& ui)
    : request_(std::move(request))
    , services_(std::move(services))
    , state_(std::move(state))
    , nodeChoice_(std::move(nodeChoice))
    , log_(std::move(log))
    , ui_(ui)
{
}

std::vector<std::string> DialProcedure::commandLine(const DialRequest& r)
{
    // One argument each: a space in the user name no longer splits it into
    // two. The name goes in the system code page, as the login sends it; the
    // password never goes on a command line: "*" has the tool read it.
    return { r.dialTool, r.entryName, platform::utf8ToGbk(r.user), "*", "/PHONEBOOK:" + r.phonebookPath,
        "/PHONE:" + r.serverIp };
}

std::string DialProcedure::passwordInput(const DialRequest& r)
{
    return platform::utf8ToGbk(r.password) + "\n";
}

const std::vector<DialProcedure::ErrorRow>& DialProcedure::errorTable()
{
    static const std::vector<ErrorRow> rows = {
        { "646", "不允许本帐户在此时间登录。" },
        { "647", "帐户已禁用！" },
        { "676", "服务器占线。" },
        { "691", "帐户上次未正常断开或密码错误！" },
        { "711", "在此计算机上的配置错误不能进行此连接。" },
        { "720", "不能建立到服务器的连接。" },
        { "721", "远程服务器响应超时！" },
        { "738", "服务器满员，请选择其他节点或稍候再试。" },
        { "756", "已经拨了这个连接。" },
        { "800", "无法连接服务器，请检查网络设置！" },
    };
    return rows;
}

void DialProcedure::run()
{
    InProgress inProgress(state_->dialInProgress);
    try {
        platform::CaptureResult result
            = services_.capture->runAndCapture(commandLine(request_), passwordInput(request_));
        // The tool speaks the system code page.
        result.output = platform::gbkToUtf8(result.output);
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
        const bool success = outputSaysConnected(output);
        if (state_->ended) {
            // The program ended while the tool dialed: take down what it
            // brought up, show and route nothing.
            if (success)
                hangUpEntry();
            return;
        }
        if (success)
            confirmTunnel();
        else
            judgeFailure(output);
    } catch (...) {
        log_.write("拷贝文件出错!");
    }
}

void DialProcedure::confirmTunnel()
{
    const auto connections = services_.remoteAccess->listConnections();
    if (!connections)
        return; // more than the listing has room for: no change
    if (connections->empty()) {
        ui_.showDialFailure(kUnconfirmed);
        return;
    }
    bool found = false;
    for (const auto& c : *connections) {
        const auto status = services_.remoteAccess->connectionStatus(c.handle);
        if (!status || *status != platform::RemoteAccess::kConnected
            || !equalsIgnoringAsciiCase(c.entryName, request_.entryName))
            continue;
        found = true;
        state_->connectionHandle = c.handle;
        ui_.applyConnected();
        log_.write("连接成功!");
        // The line type as it stands now: a choice made during the dial counts.
        const int lineType = nodeChoice_->lineType();
        const std::optional<bool> fullRelay = ui_.fullRelayChecked();
        if (fullRelay && !*fullRelay && lineType != 3 && !state_->ended) {
            RouteInstaller installer(*services_.adapters, *services_.routes);
            installer.installRoutes(lineType, request_.appDir, log_);
        }
    }
    if (!found)
        ui_.showDialFailure(kUnconfirmed);
}

void DialProcedure::hangUpEntry()
{
    if (const auto connections = services_.remoteAccess->listConnections())
        for (const auto& c : *connections)
            if (equalsIgnoringAsciiCase(c.entryName, request_.entryName))
                services_.remoteAccess->hangUp(c.handle);
}

bool DialProcedure::outputSaysConnected(std::string_view output)
{
    return output.find("命令已完成") != std::string_view::npos
        || output.find("successfully") != std::string_view::npos;
}

std::vector<const DialProcedure::ErrorRow*> DialProcedure::errorsIn(std::string_view output)
{
    std::vector<const ErrorRow*> rows;
    for (const auto& row : errorTable())
        if (output.find(row.code) != std::string_view::npos)
            rows.push_back(&row);
    return rows;
}

void DialProcedure::judgeFailure(const std::string& output)
{
    for (const ErrorRow* row : errorsIn(output)) {
        ui_.showDialFailure(row->message);
        if (std::string_view(row->code) == "691")
            ui_.showAutoT();
    }
}
