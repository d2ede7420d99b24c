#pragma once

#include "platform/working_set.h"

namespace platform {

class MallocTrimWorkingSet final : public WorkingSet {
public:
    bool canTrim() const override { return true; }
    void trim() override;
};

} // namespace platform
