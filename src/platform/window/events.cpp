#include "platform/window/events.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>

namespace platform {
namespace {

void FlushDeferredDeletes() {
    // Windows closed by the user are deleted later; our loops never return to an
    // exec() that would do it, so do it here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void RealWaitForEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    FlushDeferredDeletes();
}

// The screens the game is played on show 60 frames a second.
constexpr std::chrono::microseconds FrameTime{1000000 / 60};

void RealWaitForFrame() {
    using Clock = std::chrono::steady_clock;
    static Clock::time_point next;
    auto now = Clock::now();
    // After a pause longer than a frame (or at the start of an animation) the frames start afresh.
    if (next + FrameTime < now)
        next = now;
    next += FrameTime;
    // The thread waits in the event loop, so that a click on OK is handled at once.
    auto due = std::make_shared<bool>(false);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - now);
    QTimer::singleShot(std::max<std::chrono::milliseconds>(left, {}), Qt::PreciseTimer,
                       [due] { *due = true; });
    while (!*due)
        RealWaitForEvents();
}

void RealSleep(int milliseconds) {
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Puts every change made to the windows on screen now, without handling any input.
void FlushRepaints() {
    // A change to a widget only asks for a repaint later; deliver just those requests.
    if (QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

}  // namespace

void ProcessPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    FlushDeferredDeletes();
}

void RunLater(int milliseconds, std::function<void()> work) {
    QTimer::singleShot(milliseconds, std::move(work));
}

PumpCalls& Pump() {
    static PumpCalls calls{ProcessPendingEvents, RealWaitForEvents, RealWaitForFrame, RealSleep};
    return calls;
}

void DoEvents() {
    Pump().do_events();
}
void WaitForEvents() {
    Pump().wait_for_events();
}
void WaitForFrame() {
    Pump().wait_for_frame();
}
void Sleep(int milliseconds) {
    // The thread handles no events while it sleeps: whatever changed must be on screen first.
    FlushRepaints();
    Pump().sleep(milliseconds);
}

}  // namespace platform
