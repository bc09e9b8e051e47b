#pragma once

#include <chrono>

namespace ormel::ui {

// Runs the window events that are pending; when none is pending, sleeps until
// one arrives or maxWait has passed. It never spins the processor.
void PumpEvents(std::chrono::milliseconds maxWait);

}  // namespace ormel::ui
