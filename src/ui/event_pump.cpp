#include "ui/event_pump.h"

#include <QEventLoop>
#include <QTimer>

namespace ormel::ui {

void PumpEvents(std::chrono::milliseconds maxWait) {
    // processEvents with a time limit returns at once when nothing is
    // pending, which would make the caller's loop spin; a wake-up timer
    // bounds the wait instead.
    QEventLoop loop;
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.start(maxWait);
    loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace ormel::ui
