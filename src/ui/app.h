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

// Has every window draw its text antialiased, from the font's outlines,
// wherever the font allows it (Tahoma's own table keeps it black and white up
// to 16 pixels). Left to the system, Wine draws the text at 150 % in black and
// white with strokes missing (".c16" as ".c15", "OK" as a reversed C and K);
// antialiased, the letters are whole at 150 and 200 %.
void UseAntialiasedText();

}  // namespace ormel::ui
