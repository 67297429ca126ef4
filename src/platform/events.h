#pragma once
// The event pump. DoEvents handles whatever is waiting and returns; WaitForEvents
// blocks until something arrives and then handles it, so that a loop waiting for
// the player costs no CPU. Tests replace both to feed scripted input at each pump.

#include <functional>

namespace platform {

struct PumpCalls {
    std::function<void()> do_events;
    std::function<void()> wait_for_events;
};

// The pump in use; it starts out as the real one over Qt's event loop.
PumpCalls& Pump();

void DoEvents();
void WaitForEvents();

// Runs the real pump, without any test's replacement: handles pending events and returns.
void ProcessPendingEvents();

}  // namespace platform
