#include "platform/events.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

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

}  // namespace

void ProcessPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    FlushDeferredDeletes();
}

PumpCalls& Pump() {
    static PumpCalls calls{ProcessPendingEvents, RealWaitForEvents};
    return calls;
}

void DoEvents() { Pump().do_events(); }
void WaitForEvents() { Pump().wait_for_events(); }

}  // namespace platform
