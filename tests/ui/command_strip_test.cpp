// The command strip: a click runs the command whose caption matches the
// selected tab exactly, and no tab stays selected afterwards.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "support/ui_windows.h"
#include "ui/controls/command_strip.h"
#include "ui/frmCompileIt/frmCompileIt.h"

namespace ormel::test {

class CommandStripTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        const QString leftovers = CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void click_runs_matching_command_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("caption");  // the tab's caption for this case
        QTest::addColumn<QString>("command");  // "New", "Compile", "Help" or "" for none
        const QString compile = "            Compile           ";
        QTest::newRow("New") << 0 << "New"
                             << "New";
        QTest::newRow("Compile") << 1 << compile << "Compile";
        QTest::newRow("Help") << 2 << "Help"
                              << "Help";
        QTest::newRow("new in lower case") << 0 << "new"
                                           << "";
        QTest::newRow("HELP in capitals") << 2 << "HELP"
                                          << "";
        QTest::newRow("Compile without blanks") << 1 << "Compile"
                                                << "";
        QTest::newRow("Compile, one blank more") << 1 << " " + compile << "";
        QTest::newRow("Compile, one blank less") << 1 << compile.chopped(1) << "";
        QTest::newRow("New with a blank") << 0 << "New "
                                          << "";
    }

    void click_runs_matching_command() {
        QFETCH(int, tab);
        QFETCH(QString, caption);
        QFETCH(QString, command);
        ShownMainWindow window;
        auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        strip->SetTabText(tab, caption);
        // New would empty the script file name.
        window.Find<QLineEdit>("field_COS_File")->setText("lantern");

        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->TabRect(tab).center());

        QCOMPARE(window->COS_File().empty(), command == "New");
        QCOMPARE(ui::frmCompileIt::Instance() != nullptr, command == "Compile");
        QCOMPARE(window.HelpStarts(), command == "Help" ? 1 : 0);
        ui::frmCompileIt::CloseIfOpen();
        QCOMPARE(strip->SelectedIndex(), -1);
        QCOMPARE(strip->SelectedCaption(), QString());
    }

    void click_beside_the_tabs_runs_nothing() {
        ShownMainWindow window;
        auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        QSignalSpy clicks(strip, &ui::CommandStrip::clicked);
        const QRect last = strip->TabRect(strip->Count() - 1);
        QVERIFY(last.right() + 2 < strip->width());
        QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(last.right() + 2, last.center().y()));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(strip->SelectedIndex(), -1);
    }

    void keyboard_runs_the_focused_tab() {
        ShownMainWindow window;
        auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        QCOMPARE(QApplication::focusWidget(), strip);
        QTest::keyClick(strip, Qt::Key_Right);
        QVERIFY(!ui::frmCompileIt::Instance());  // moving the focus runs nothing
        QTest::keyClick(strip, Qt::Key_Space);
        QVERIFY(ui::frmCompileIt::Instance());
        ui::frmCompileIt::CloseIfOpen();
        strip->setFocus();
        QTest::keyClick(strip, Qt::Key_Right);
        QTest::keyClick(strip, Qt::Key_Return);
        QCOMPARE(window.HelpStarts(), 1);
        QCOMPARE(strip->SelectedIndex(), -1);
    }

    // A failing command shows nothing and the tabs are still deselected.
    void failing_command_is_skipped() {
        ShownMainWindow window;
        auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        window->SetHelpLaunchers({
            .startProgram = [](const QString&, const QString&) -> bool {
                throw std::runtime_error("no browser");
            },
            .openUrl = [](const QUrl&) -> bool { throw std::runtime_error("no browser"); },
        });
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->TabRect(2).center());
        QCOMPARE(strip->SelectedIndex(), -1);
    }
};

ORMEL_REGISTER_UI_TEST(CommandStripTest);

}  // namespace ormel::test

#include "command_strip_test.moc"
