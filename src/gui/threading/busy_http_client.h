#pragma once

#include <memory>

#include "core/account/http_client.h"

class QWidget;
class WorkerThreads;

// An exchange the caller waits for, as a synchronous one, while its window
// stays alive: the request runs on a worker, the window keeps painting, shows
// the busy cursor and takes no input meanwhile (clicks and keys made during
// the wait are dropped, not replayed afterwards), and one exchange cannot
// overlap another from the same window. When the program ends during the
// wait, the exchange fails and the worker finishes on its own.
class BusyHttpClient final : public HttpClient {
public:
    BusyHttpClient(std::shared_ptr<HttpClient> http, WorkerThreads& workers, QWidget& window);
    HttpResponse get(const HttpRequest& request) override;

private:
    std::shared_ptr<HttpClient> http_;
    WorkerThreads& workers_;
    QWidget& window_;
};
