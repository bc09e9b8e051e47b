// The form's own controls where the model fuzzer does not reach: lists that
// choose an entry only when picked, check boxes toggled by click and space,
// and the command strip running only the exact caption, by mouse or key,
// leaving no tab selected, with Help's fall-back to the default browser.
#include <QDir>
#include <QRegularExpression>

#include "support/ui_windows.h"

namespace ormel::test {
namespace {

// Runs steps such as "type .wav; leave" on a list, as the author would.
void RunSteps(ui::EditableList& list, const QString& steps) {
    QLineEdit* edit = list.lineEdit();
    for (const QString& step : steps.split("; ")) {
        if (step.startsWith("type ")) QTest::keyClicks(edit, step.section(' ', 1));
        if (step == "enter") QTest::keyClick(edit, Qt::Key_Return);
        if (step == "leave") {  // and back again
            QTest::keyClick(edit, Qt::Key_Tab);
            QVERIFY(!edit->hasFocus());
            list.setFocus();
        }
        if (step == "down") QTest::keyClick(edit, Qt::Key_Down);
        if (step == "wheel") {
            QWheelEvent wheel({}, {}, {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&list, &wheel);
        }
    }
}

}  // namespace

class ControlsTest : public WindowTest {
    Q_OBJECT

  private slots:
    void category_only_for_a_picked_entry_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("category");  // -1: none, the read fails
        const auto row = [](const char* name, const char* steps, const char* text, int category) {
            QTest::newRow(name) << QString(steps) << QString(text) << category;
        };
        row("typed .wav, left the box", "type .wav; leave", ".wav", -1);
        row("typed .WAV keeps its spelling", "type .WAV; leave", ".WAV", -1);
        row("typed .wav, Enter", "type .wav; enter", ".wav", -1);  // and no new entry
        row("no completion while typing", "type .w", ".w", -1);
        row("the wheel scrolls nothing in", "wheel", "", -1);
        row("picked .catalogue", "down; down; down; down", ".catalogue", 7);
        row("picked, left the box", "down; down; down; leave", ".wav", 1);
    }

    // Slot 3 of the window, used, after the author's steps in its list.
    void category_only_for_a_picked_entry() {
        QFETCH(QString, steps);
        QFETCH(QString, text);
        QFETCH(int, category);
        ShownMainWindow window;
        window.Find<ui::SlotCheckBox>("check_File_3")->SetValue(CheckValue::Checked);
        auto* list = window.Find<ui::EditableList>("field_File_Ext_3");
        list->setFocus();
        RunSteps(*list, steps);
        const FileSlot& slot = window->Files(3);
        QCOMPARE(QString::fromStdString(slot.File_Ext()), text);
        if (category < 0) {
            QVERIFY_THROWS_EXCEPTION(MissingCategory, slot.Category());
        } else {
            QCOMPARE(slot.Category(), category);
        }
        QCOMPARE(list->count(), 4);  // nothing typed became an entry
    }

    // A click or the space bar toggles between clear and checked; grayed, set
    // by the program only, turns checked on a click.
    void check_box_toggles_clear_and_checked() {
        ShownMainWindow window;
        auto* box = window.Find<ui::SlotCheckBox>("check_File_4");
        box->setFocus();
        // Grayed first: once it has been set, Qt's box would cycle through it.
        for (auto [start, after_click] : {std::pair{2, 1}, {0, 1}, {1, 0}}) {
            box->SetValue(static_cast<CheckValue>(start));
            QTest::mouseClick(box, Qt::LeftButton);
            QCOMPARE(static_cast<int>(box->Value()), after_click);
            QTest::keyClick(box, Qt::Key_Space);
            QCOMPARE(static_cast<int>(box->Value()), 1 - after_click);
        }
    }
    void runs_only_the_exact_caption_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("caption");  // the tab's caption for this case
        QTest::addColumn<int>("key");          // 0: a mouse click
        QTest::addColumn<QString>("browser");  // what starting the browser does
        QTest::addColumn<QString>("command");  // "" for none
        const QString compile = "            Compile           ";
        const auto row = [](const char* name, int tab, const QString& caption, int key,
                            const char* browser, const char* command) {
            QTest::newRow(name) << tab << caption << key << QString(browser) << QString(command);
        };
        row("Compile with Space", 1, compile, Qt::Key_Space, "starts", "Compile");
        row("Help with Enter", 2, "Help", Qt::Key_Return, "starts", "Help");
        row("Help, no browser: the default browser", 2, "Help", 0, "fails", "Help");
        row("Help, starting throws", 2, "Help", 0, "throws", "Help");
        row("new in lower case", 0, "new", 0, "starts", "");
        row("Compile without blanks", 1, "Compile", 0, "starts", "");
        row("Compile, one blank more", 1, " " + compile, 0, "starts", "");
        row("Compile, one blank less", 1, compile.chopped(1), 0, "starts", "");
    }

    // Help starts the browser on the page beside the program, and only when
    // that fails opens the page in the default browser; nothing is shown or
    // reported when neither works.
    void runs_only_the_exact_caption() {
        QFETCH(int, tab);
        QFETCH(QString, caption);
        QFETCH(int, key);
        QFETCH(QString, browser);
        QFETCH(QString, command);
        // Nothing is reported (the dialog's showing warns offscreen).
        if (command != "Compile") QTest::failOnWarning(QRegularExpression(".*"));
        ShownMainWindow window;
        window.browser = browser;
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
        ui::frmCompileIt::CloseIfOpen();
        QCOMPARE(strip->SelectedIndex(), -1);
        const QString page = QCoreApplication::applicationDirPath() + "/ormel-help.html";
        const QString iexplore = R"(C:\Program Files\Internet Explorer\iexplore.exe)";
        const bool help = command == "Help";
        QCOMPARE(window.started,
                 help ? QStringList({iexplore, QDir::toNativeSeparators(page)}) : QStringList());
        QCOMPARE(window.opened, help && browser == "fails" ? QStringList{page} : QStringList());
        QCoreApplication::processEvents();
        for (const QWidget* shown : QApplication::topLevelWidgets()) {
            QVERIFY(shown == window.get() || !shown->isVisible());
        }
    }
};

ORMEL_REGISTER_UI_TEST(ControlsTest);

}  // namespace ormel::test

#include "controls_test.moc"
