// The command strip: a click (or Space or Enter on the focused tab) runs the
// command whose caption matches the selected tab exactly, and no tab stays
// selected afterwards. Help starts the browser on the page beside the
// program, or else the default browser; nothing is shown or reported when
// neither works.
#include <QDir>
#include <QRegularExpression>

#include "support/ui_windows.h"

namespace ormel::test {
class CommandStripTest : public WindowTest {
    Q_OBJECT

  private slots:
    void runs_only_the_exact_caption_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("caption");  // the tab's caption for this case
        QTest::addColumn<int>("key");          // 0: a mouse click
        QTest::addColumn<QString>("command");  // "" for none
        const QString compile = "            Compile           ";
        const auto row = [](const char* name, int tab, const QString& caption, int key,
                            const char* command) {
            QTest::newRow(name) << tab << caption << key << QString(command);
        };
        row("New", 0, "New", 0, "New");
        row("Compile", 1, compile, 0, "Compile");
        row("Help", 2, "Help", 0, "Help");
        row("Compile with Space", 1, compile, Qt::Key_Space, "Compile");
        row("Help with Enter", 2, "Help", Qt::Key_Return, "Help");
        row("new in lower case", 0, "new", 0, "");
        row("HELP in capitals", 2, "HELP", 0, "");
        row("Compile without blanks", 1, "Compile", 0, "");
        row("Compile, one blank more", 1, " " + compile, 0, "");
        row("Compile, one blank less", 1, compile.chopped(1), 0, "");
        row("New with a blank", 0, "New ", 0, "");
    }

    void runs_only_the_exact_caption() {
        QFETCH(int, tab);
        QFETCH(QString, caption);
        QFETCH(int, key);
        QFETCH(QString, command);
        ShownMainWindow window;
        auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        strip->SetTabText(tab, caption);
        window.Type("field_COS_File", "lantern");  // New would empty it
        if (key) {
            strip->setFocus();
            for (int i = 0; i < tab; ++i) QTest::keyClick(strip, Qt::Key_Right);
            QTest::keyClick(strip, Qt::Key(key));
        } else {
            window.ClickTab(tab);
        }
        QCOMPARE(window->COS_File().empty(), command == "New");
        QCOMPARE(ui::frmCompileIt::Instance() != nullptr, command == "Compile");
        QCOMPARE(window.HelpStarts(), command == "Help" ? 1 : 0);
        ui::frmCompileIt::CloseIfOpen();
        QCOMPARE(strip->SelectedIndex(), -1);
    }

    void help_data() {
        QTest::addColumn<QString>("browser");  // what starting the browser does
        QTest::addColumn<bool>("default_opens");
        QTest::addColumn<bool>("falls_back");
        QTest::newRow("browser starts") << "starts" << false << false;
        QTest::newRow("default browser") << "fails" << true << true;
        QTest::newRow("no browser at all") << "fails" << false << true;
        QTest::newRow("starting throws") << "throws" << false << false;
    }

    void help() {
        QFETCH(QString, browser);
        QFETCH(bool, default_opens);
        QFETCH(bool, falls_back);
        QTest::failOnWarning(QRegularExpression(".*"));
        ShownMainWindow window;
        QStringList started;
        QStringList opened;
        window->SetHelpLaunchers({
            .startProgram =
                [&](const QString& program, const QStringList& arguments) {
                    started << program << arguments;
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
        QCOMPARE(started, QStringList({iexplore, QDir::toNativeSeparators(page)}));
        // Quoted whole: a path with blanks would otherwise split at its first one.
        QCOMPARE(ui::HelpCommandLine(QDir::toNativeSeparators(page)),
                 '"' + iexplore + "\" \"" + QDir::toNativeSeparators(page) + '"');
        QCOMPARE(opened, falls_back ? QStringList{page} : QStringList{});
        QCoreApplication::processEvents();
        for (const QWidget* shown : QApplication::topLevelWidgets()) {
            QVERIFY(shown == window.get() || !shown->isVisible());
        }
        QCOMPARE(window.Find<ui::CommandStrip>("tsButtons")->SelectedIndex(), -1);
    }
};

ORMEL_REGISTER_UI_TEST(CommandStripTest);

}  // namespace ormel::test

#include "command_strip_test.moc"
