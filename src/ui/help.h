// The Help command: shows the help page that ships beside the executable.
#pragma once

#include <functional>

#include <QString>
#include <QStringList>
#include <QUrl>

namespace ormel::ui {

// The help page's file name. The page lies beside the executable.
inline constexpr char kHelpPageFile[] = "ormel-help.html";

// The browser that the Help command starts.
inline constexpr char kHelpBrowser[] = R"(C:\Program Files\Internet Explorer\iexplore.exe)";

// The help page's address: the page beside the running executable, with the
// platform's own separators.
QString HelpPageAddress();

// The two ways the Help command can show the page. Tests put stand-ins here to
// see what would be started without starting anything.
struct HelpLaunchers {
    // Starts `program` with the arguments in a normal window that takes the
    // focus, without waiting; false when it could not be started.
    std::function<bool(const QString& program, const QStringList& arguments)> startProgram;
    // Opens `url` in the desktop's default browser; false when that failed.
    std::function<bool(const QUrl& url)> openUrl;
};

// The launchers that really start programs and open pages.
HelpLaunchers SystemHelpLaunchers();

// Starts the browser on the help page. Where that browser is missing or cannot
// be started, the page opens in the desktop's default browser instead. When
// neither works, nothing is shown and nothing is reported.
void OpenHelpPage(const HelpLaunchers& launchers = SystemHelpLaunchers());

}  // namespace ormel::ui
