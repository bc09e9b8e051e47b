#include "ui/controls/interval_timer.h"

#include <stdexcept>
#include <string>

namespace ormel::ui {

IntervalTimer::IntervalTimer(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, &IntervalTimer::Tick);
}

void IntervalTimer::SetInterval(int ms) {
    if (ms < 0) throw std::out_of_range("timer interval " + std::to_string(ms) + " is negative");
    interval_ = ms;
    if (ms == 0 || held_) {
        timer_.stop();
        return;
    }
    timer_.start(ms);
}

void IntervalTimer::Hold() {
    held_ = true;
    timer_.stop();
}

void IntervalTimer::Release() {
    held_ = false;
    if (interval_ > 0) timer_.start(interval_);
}

}  // namespace ormel::ui
