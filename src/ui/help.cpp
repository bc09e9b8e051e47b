#include "ui/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>

#include <string>
#include <vector>

#include "platform/launch.h"

namespace ormel::ui {

QString HelpPageAddress() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                                    QLatin1String(kHelpPageFile));
}

namespace {

// Starts the program without waiting for it; the process handle goes at
// once, which leaves the program running.
bool StartProgram(const QString& program, const QStringList& arguments) {
    std::vector<std::string> parts;
    for (const QString& argument : arguments) parts.push_back(argument.toStdString());
    try {
        Launch(program.toStdString(), parts, WindowStyle::Normal);
        return true;
    } catch (const LaunchError&) {
        return false;
    }
}

}  // namespace

HelpLaunchers SystemHelpLaunchers() {
    return {
        StartProgram,
        [](const QUrl& url) { return QDesktopServices::openUrl(url); },
    };
}

void OpenHelpPage(const HelpLaunchers& launchers) {
    const QString address = HelpPageAddress();
    if (launchers.startProgram(QLatin1String(kHelpBrowser), {address})) return;
    launchers.openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(address)));
}

}  // namespace ormel::ui
