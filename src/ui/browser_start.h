// Starting a program from a command line, as the Help command starts the web
// browser. Kept free of Qt so that the Windows path builds with any compiler.
#pragma once

#include <string>

namespace ormel::ui {

// Starts `application` with `commandLine` (which names the program again as
// its first word) in a normal window that takes the focus, and returns at once
// without waiting for it. Returns false when the program could not be started.
// Only Windows starts programs from one command line; everywhere else this
// returns false without doing anything.
bool StartInNormalWindow(const std::wstring& application, const std::wstring& commandLine);

}  // namespace ormel::ui
