#include "ui/help.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

#include "support/ui_windows.h"

using ormel::ui::HelpLaunchers;
using ormel::ui::OpenHelpPage;

namespace {

// Records what the Help command asks to start, and answers as told.
struct LaunchRecorder {
    bool browserStarts = false;
    bool defaultBrowserOpens = false;
    QStringList started;  // program, then command line, per start
    QList<QUrl> opened;

    HelpLaunchers Launchers() {
        return {
            [this](const QString& program, const QString& commandLine) {
                started << program << commandLine;
                return browserStarts;
            },
            [this](const QUrl& url) {
                opened << url;
                return defaultBrowserOpens;
            },
        };
    }
};

QString PageBesideTheExecutable() {
    return QCoreApplication::applicationDirPath() + "/ormel-help.html";
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        const QString leftovers = ormel::test::CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void startsTheBrowserOnThePageBesideTheExecutable() {
        LaunchRecorder recorder;
        recorder.browserStarts = true;
        OpenHelpPage(recorder.Launchers());
        const QString browser = R"(C:\Program Files\Internet Explorer\iexplore.exe)";
        const QString address = QDir::toNativeSeparators(PageBesideTheExecutable());
        QCOMPARE(recorder.started, QStringList({browser, browser + " \"" + address + "\""}));
        QVERIFY(recorder.opened.isEmpty());
    }

    void withoutThatBrowserOpensThePageInTheDefaultBrowser() {
        LaunchRecorder recorder;
        recorder.defaultBrowserOpens = true;
        OpenHelpPage(recorder.Launchers());
        QCOMPARE(recorder.started.size(), 2);
        QCOMPARE(recorder.opened.size(), 1);
        QVERIFY(recorder.opened.front().isLocalFile());
        QCOMPARE(recorder.opened.front().toLocalFile(), PageBesideTheExecutable());
    }

    void withNoBrowserAtAllNothingIsShownOrReported() {
        QTest::failOnWarning(QRegularExpression(".*"));
        LaunchRecorder recorder;
        OpenHelpPage(recorder.Launchers());
        QCOMPARE(recorder.started.size(), 2);
        QCOMPARE(recorder.opened.size(), 1);
        QCoreApplication::processEvents();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    // The Help command opens the page beside the program: every build must
    // put it there.
    void thePageShipsBesideTheProgram() {
        const QByteArray shipped = ReadFile(ORMEL_PROGRAM_DIR "/ormel-help.html");
        QVERIFY2(!shipped.isEmpty(), "no help page beside the ormel executable");
        QCOMPARE(shipped, ReadFile(ORMEL_HELP_PAGE_SOURCE));
    }

    // The page is read in whatever browser the author has, with no network: it
    // must be well formed, load nothing from elsewhere, and quote the
    // program's messages exactly.
    void thePageIsSelfContainedAndQuotesTheMessages() {
        const QByteArray page = ReadFile(ORMEL_HELP_PAGE_SOURCE);
        QVERIFY(!page.isEmpty());
        QXmlStreamReader reader(page);
        QStringList outside;
        while (!reader.atEnd()) {
            reader.readNext();
            if (!reader.isStartElement()) continue;
            for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                const QString name = attribute.name().toString();
                const QString value = attribute.value().toString();
                if ((name == "src" || name == "href") && !value.startsWith('#')) outside << value;
            }
        }
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        QVERIFY2(outside.isEmpty(), qPrintable("refers outside the page: " + outside.join(", ")));
        QVERIFY(!page.contains("url("));
        QVERIFY(!page.contains("@import"));

        const QString text = QString::fromUtf8(page);
        for (const char* message :
             {"Lantern.agent was created successfully.",
              "ERROR: An error has occured. The agent was not created. Make sure the file doesn't "
              "already exist."}) {
            QVERIFY2(text.contains(QString(">") + message + "<"), message);
        }
    }
};

ORMEL_REGISTER_UI_TEST(HelpTest);

#include "help_test.moc"
