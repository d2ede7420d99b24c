#include "gui/connection/dial_worker.h"

#include "gui/client_context.h"
#include "gui/connection/connection_controller.h"
#include "gui/threading/ui_hand_over.h"

namespace {

// The hand-over's work runs only while the controller, its receiver, lives.
class HandedOverDialUi final : public DialUi {
public:
    explicit HandedOverDialUi(ConnectionController* controller)
        : controller_(controller)
        , ui_(UiHandOver::create(controller))
    {
    }

    void applyConnected() override
    {
        ui_->post([c = controller_] { c->applyConnectedState(); });
    }
    void showDialFailure(const std::string& message) override
    {
        ui_->post([c = controller_, message] { c->showDialFailure(message); });
    }
    void showAutoT() override
    {
        ui_->post([c = controller_] { c->showAutoT(); });
    }
    std::optional<bool> fullRelayChecked() override
    {
        return ui_->ask<bool>([c = controller_] { return c->fullRelayChecked(); });
    }

private:
    ConnectionController* controller_;
    std::shared_ptr<UiHandOver> ui_;
};

} // namespace

void DialWorker::start(ClientContext& ctx, ConnectionController* controller, DialRequest request)
{
    auto ui = std::make_shared<HandedOverDialUi>(controller);
    const AppServices& s = ctx.services;
    auto procedure = std::make_shared<DialProcedure>(std::move(request),
        DialServices { s.processCapture, s.remoteAccess, s.adapters, s.routes }, ctx.dialState,
        ctx.nodeChoice, ctx.log, *ui);
    ctx.workers.start([ui, procedure] { procedure->run(); });
}
