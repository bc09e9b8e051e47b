#include "ui/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>

#include "ui/browser_start.h"

namespace ormel::ui {

QString HelpPageAddress() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                                    QLatin1String(kHelpPageFile));
}

QString HelpCommandLine(const QString& address) {
    return QLatin1String(kHelpBrowser) + QLatin1String(" \"") + address + QLatin1Char('"');
}

HelpLaunchers SystemHelpLaunchers() {
    return {
        [](const QString& program, const QString& commandLine) {
            return StartInNormalWindow(program.toStdWString(), commandLine.toStdWString());
        },
        [](const QUrl& url) { return QDesktopServices::openUrl(url); },
    };
}

void OpenHelpPage(const HelpLaunchers& launchers) {
    const QString address = HelpPageAddress();
    if (launchers.startProgram(QLatin1String(kHelpBrowser), HelpCommandLine(address))) return;
    launchers.openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(address)));
}

}  // namespace ormel::ui
