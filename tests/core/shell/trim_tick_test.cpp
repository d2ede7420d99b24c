#include <gtest/gtest.h>

#include "core/shell/trim_tick.h"
#include "tests/support/fakes.h"

TEST(TrimTick, TrimsThenProcessesEventsAndTurnsAwayNestedTicks)
{
    FakeWorkingSet ws;
    int processed = 0;
    TrimTick* self = nullptr;
    TrimTick tick(ws, [&] {
        ++processed;
        EXPECT_TRUE(self->busy());
        (*self)(); // a tick arriving while events run
        EXPECT_TRUE(self->busy()) << "the nested tick leaves the outer flag alone";
    });
    self = &tick;
    tick();
    EXPECT_EQ(ws.trims, 1);
    EXPECT_EQ(processed, 1);
    EXPECT_FALSE(tick.busy());
}

TEST(TrimTick, WithoutTrimStillProcessesEvents)
{
    FakeWorkingSet ws;
    ws.trimmable = false;
    int processed = 0;
    TrimTick tick(ws, [&] { ++processed; });
    tick();
    tick();
    EXPECT_EQ(ws.trims, 0);
    EXPECT_EQ(processed, 2);
}

TEST(TrimTick, FlagClearedWhenEventProcessingThrows)
{
    FakeWorkingSet ws;
    TrimTick tick(ws, [] { throw 1; });
    EXPECT_ANY_THROW(tick());
    EXPECT_FALSE(tick.busy());
}
