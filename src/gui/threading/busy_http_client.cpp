#include "gui/threading/busy_http_client.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QWidget>

#include "base/worker_threads.h"
#include "gui/threading/ui_hand_over.h"

BusyHttpClient::BusyHttpClient(std::shared_ptr<HttpClient> http, WorkerThreads& workers, QWidget& window)
    : http_(std::move(http))
    , workers_(workers)
    , window_(window)
{
}

HttpResponse BusyHttpClient::get(const HttpRequest& request)
{
    HttpResponse response;
    response.error = "the program ended during the exchange";
    QEventLoop wait;
    bool done = false;
    // The answer reaches this frame only while the loop lives; after an early
    // end it is dropped with the loop.
    const std::shared_ptr<UiHandOver> handOver = UiHandOver::create(&wait);
    try {
        workers_.start([http = http_, request, handOver, &response, &wait, &done] {
            HttpResponse r = http->get(request);
            handOver->post([r = std::move(r), &response, &wait, &done]() mutable {
                response = std::move(r);
                done = true;
                wait.quit();
            });
        });
    } catch (const std::system_error& e) {
        response.error = e.what();
        return response;
    }
    // A disabled window drops input instead of queueing it; it keeps painting.
    const bool wasEnabled = window_.isEnabled();
    window_.setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    if (!done)
        wait.exec();
    QGuiApplication::restoreOverrideCursor();
    window_.setEnabled(wasEnabled);
    return response;
}
