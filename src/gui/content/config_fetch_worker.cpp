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

// A later run has started: what this one still hands over is dropped.
struct Superseded : std::runtime_error {
    Superseded()
        : std::runtime_error("superseded by a later run")
    {
    }
};

// Runs each step of the fetch run on the UI thread, where the bar lives.
class HandedOverTarget final : public ConfigFetchTarget {
public:
    HandedOverTarget(std::shared_ptr<UiHandOver> ui, const ConfigFetchWorker::Targets& t, unsigned run)
        : ui_(std::move(ui))
        , t_(t)
        , run_(run)
    {
    }

    void startBar() override
    {
        step([this] { t_.bar.startBar(); });
    }
    void addBarEntry(int number, const BarEntryItems& items) override
    {
        step([this, number, &items] { t_.bar.addEntry(number, items); });
    }
    bool settingsFileExists() override
    {
        bool exists = false;
        step([this, &exists] { exists = t_.settings.exists(); });
        return exists;
    }
    void setSchedule(const std::vector<AdEntryConfig>& entries) override
    {
        step([this, &entries] { t_.schedule.replace(entries); });
    }
    void setContactUrl(const std::string& url) override
    {
        step([this, &url] {
            t_.session.contactUrl = url;
            t_.settings.setWebQqUrl(url);
        });
    }
    void showFirstCaption() override
    {
        step([this] { t_.bar.showFirstCaption(); });
    }
    void logFailure() override
    {
        step([this] { t_.log.write(kFetchFailed); });
    }

private:
    // One step on the UI thread, unless a later run has taken over the bar.
    template <typename F> void step(F work)
    {
        ui_->run([this, &work] {
            if (t_.bar.latestRun() != run_)
                throw Superseded {};
            work();
        });
    }

    std::shared_ptr<UiHandOver> ui_;
    ConfigFetchWorker::Targets t_;
    unsigned run_;
};

} // namespace

void ConfigFetchWorker::start(
    WorkerThreads& workers, ConfigFetchJob job, const Targets& targets, std::function<void()> finished)
{
    auto ui = UiHandOver::create(&targets.bar);
    const unsigned run = targets.bar.beginRun();
    workers.start([ui, targets, run, job = std::move(job), finished = std::move(finished)] {
        HandedOverTarget target(ui, targets, run);
        runConfigFetch(job, target);
        if (finished)
            ui->post(finished);
    });
}
