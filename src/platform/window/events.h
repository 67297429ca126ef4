#pragma once
// The event pump and the pauses. DoEvents handles whatever is waiting and returns;
// WaitForEvents blocks until something arrives and then handles it, so that a loop
// waiting for the player costs no CPU; Sleep pauses with no events handled. Tests
// replace them to feed scripted input at each pump and to record the pauses.

#include <functional>

namespace platform {

struct PumpCalls {
    std::function<void()> do_events;
    std::function<void()> wait_for_events;
    std::function<void()> wait_for_frame;
    std::function<void(int milliseconds)> sleep;
};

// The pump in use; it starts out as the real one over Qt's event loop.
PumpCalls& Pump();

void DoEvents();
void WaitForEvents();
// Handles events, blocking, until the screen's next frame is due (60 a second): an
// animation draws one frame's worth and then waits here, not burning the processor.
void WaitForFrame();

// Pauses the calling thread; no window events are handled meanwhile, but what the
// windows changed before it is on screen during it.
void Sleep(int milliseconds);

// Runs the real pump, without any test's replacement: handles pending events and returns.
void ProcessPendingEvents();

// Runs work once, milliseconds from now, inside a later pump.
void RunLater(int milliseconds, std::function<void()> work);

}  // namespace platform
