#include "gui/content/config_fetch_worker.h"

#include "base/event_log.h"
#include "core/session.h"
#include "base/settings.h"
#include "core/content/ad_schedule.h"
#include "gui/content/button_bar.h"
#include "base/worker_threads.h"
#include "gui/threading/ui_hand_over.h"

namespace {

constexpr const char* kFetchFailed = "获取配置及路由策略信息失败!";

// Runs each step of the fetch run on the UI thread, where the bar lives.
class HandedOverTarget final : public ConfigFetchTarget {
public:
    HandedOverTarget(std::shared_ptr<UiHandOver> ui, const ConfigFetchWorker::Targets& t)
        : ui_(std::move(ui))
        , t_(t)
    {
    }

    void startBar() override
    {
        ui_->run([this] { t_.bar.startBar(); });
    }
    void addBarEntry(int number, const BarEntryItems& items) override
    {
        ui_->run([this, number, &items] { t_.bar.addEntry(number, items); });
    }
    bool settingsFileExists() override
    {
        bool exists = false;
        ui_->run([this, &exists] { exists = t_.settings.exists(); });
        return exists;
    }
    void setSchedule(const std::vector<AdEntryConfig>& entries) override
    {
        ui_->run([this, &entries] { t_.schedule.replace(entries); });
    }
    void setContactUrl(const std::string& url) override
    {
        ui_->run([this, &url] {
            t_.session.contactUrl = url;
            t_.settings.setWebQqUrl(url);
        });
    }
    void showFirstCaption() override
    {
        ui_->run([this] { t_.bar.showFirstCaption(); });
    }
    void logFailure() override
    {
        ui_->run([this] { t_.log.write(kFetchFailed); });
    }

private:
    std::shared_ptr<UiHandOver> ui_;
    ConfigFetchWorker::Targets t_;
};

} // namespace

void ConfigFetchWorker::start(
    WorkerThreads& workers, ConfigFetchJob job, const Targets& targets, std::function<void()> finished)
{
    auto ui = UiHandOver::create(&targets.bar);
    workers.start([ui, targets, job = std::move(job), finished = std::move(finished)] {
        HandedOverTarget target(ui, targets);
        runConfigFetch(job, target);
        if (finished)
            ui->post(finished);
    });
}
