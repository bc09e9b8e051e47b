// The Help tab: the browser on the page beside the program, or the default
// browser; nothing shown or reported when neither works. The page ships with
// the program and reads offline.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "build/build_run.h"
#include "support/ui_windows.h"
#include "ui/controls/command_strip.h"

namespace ormel::test {
namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A src or href that leads out of the page, or CSS that loads something.
const QString kOutsideReference = "\\b(src|href)\\s*=\\s*[\"']?[^#\"'\\s>]|url\\(|@import";

}  // namespace

class HelpTest : public WindowTest {
    Q_OBJECT

  private slots:
    void help_tab_data() {
        QTest::addColumn<QString>("browser");  // what starting the browser does
        QTest::addColumn<bool>("default_opens");
        QTest::addColumn<bool>("falls_back");
        QTest::newRow("browser starts") << "starts" << false << false;
        QTest::newRow("default browser") << "fails" << true << true;
        QTest::newRow("no browser at all") << "fails" << false << true;
        QTest::newRow("starting throws") << "throws" << false << false;
    }

    void help_tab() {
        QFETCH(QString, browser);
        QFETCH(bool, default_opens);
        QFETCH(bool, falls_back);
        QTest::failOnWarning(QRegularExpression(".*"));
        ShownMainWindow window;
        QStringList started;
        QStringList opened;
        window->SetHelpLaunchers({
            .startProgram =
                [&](const QString& program, const QString& command_line) {
                    started << program << command_line;
                    if (browser == "throws") throw std::runtime_error("no browser");
                    return browser == "starts";
                },
            .openUrl =
                [&](const QUrl& url) {
                    opened << url.toLocalFile();
                    return default_opens;
                },
        });
        window.ClickTab(2);
        const QString page = QCoreApplication::applicationDirPath() + "/ormel-help.html";
        const QString iexplore = R"(C:\Program Files\Internet Explorer\iexplore.exe)";
        QCOMPARE(started,
                 QStringList({iexplore, iexplore + " \"" + QDir::toNativeSeparators(page) + "\""}));
        QCOMPARE(opened, falls_back ? QStringList{page} : QStringList{});
        QCoreApplication::processEvents();
        for (const QWidget* shown : QApplication::topLevelWidgets()) {
            QVERIFY(shown == window.get() || !shown->isVisible());
        }
        QCOMPARE(window.Find<ui::CommandStrip>("tsButtons")->SelectedIndex(), -1);
    }

    // Every build puts the page beside the program; it loads nothing from
    // elsewhere and quotes the program's messages exactly.
    void the_page_ships_beside_the_program() {
        const QByteArray shipped = ReadFile(ORMEL_PROGRAM_DIR "/ormel-help.html");
        QVERIFY2(!shipped.isEmpty(), "no help page beside the ormel executable");
        QCOMPARE(shipped, ReadFile(ORMEL_HELP_PAGE_SOURCE));
        const QString page = QString::fromUtf8(shipped);
        QVERIFY(!page.contains(QRegularExpression(kOutsideReference)));
        for (const std::string& message :
             {BuildSucceededMessage("Lantern"), std::string(kBuildFailedMessage)}) {
            QVERIFY2(page.contains(">" + QString::fromStdString(message) + "<"), message.c_str());
        }
    }
};

ORMEL_REGISTER_UI_TEST(HelpTest);

}  // namespace ormel::test

#include "help_test.moc"
