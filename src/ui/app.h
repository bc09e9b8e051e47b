#pragma once

#include <QStringList>

namespace ormel::ui {

class frmAW;

// `ormel PATH`: the form opens the package or source document PATH (Qt's
// arguments, UTF-16 on Windows, so that any path works).
void OpenFromArguments(frmAW& window, const QStringList& arguments);

// Runs the program: shows the main window and returns when the last window
// has closed.
int RunApplication(int argc, char** argv);

}  // namespace ormel::ui
