#pragma once

#include "platform/termination_signals.h"

namespace platform {

// SIGTERM, SIGINT and SIGHUP write a byte to a pipe whose read end is fd();
// the handlers are restored when this object goes.
class SelfPipeTerminationSignals final : public TerminationSignals {
public:
    SelfPipeTerminationSignals();
    ~SelfPipeTerminationSignals() override;
    SelfPipeTerminationSignals(const SelfPipeTerminationSignals&) = delete;
    SelfPipeTerminationSignals& operator=(const SelfPipeTerminationSignals&) = delete;

    int fd() const override;
    void acknowledge() override;
};

} // namespace platform
