#pragma once

namespace ormel::ui {

// Runs the program: shows the main window and returns when the last window
// has closed.
int RunApplication(int argc, char** argv);

}  // namespace ormel::ui
