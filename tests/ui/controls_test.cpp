// The form's own controls where the model fuzzer does not reach: lists that
// choose an entry only when picked, check boxes toggled by click and space,
// and the command strip running only the exact caption, by mouse or key,
// leaving no tab selected, with Help's fall-back to the default browser.
#include <QAccessible>
#include <QDir>
#include <QRegularExpression>

#include "support/ui_windows.h"

namespace ormel::test {
namespace {

// Presses a control's part (a tab, an entry) through assistive technology.
void PressPart(QWidget& control, int part) {
    QAccessibleInterface* parts = QAccessible::queryAccessibleInterface(&control);
    parts->child(part)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

// Runs steps such as "type .wav; leave" on a list, as the author would; a
// screen reader presses an entry ("press 2") or sets the text ("set .c16").
void RunSteps(ui::EditableList& list, const QString& steps) {
    QLineEdit* edit = list.lineEdit();
    for (const QString& step : steps.split("; ")) {
        if (step.startsWith("press ")) PressPart(list, step.section(' ', 1).toInt());
        if (step.startsWith("set "))
            QAccessible::queryAccessibleInterface(edit)->editableTextInterface()->replaceText(
                0, edit->text().size(), step.section(' ', 1));
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
        AddRows("list_cases.txt", {"steps", "text", "category"});
    }

    // Slot 3 of the window, used, after the author's steps in its list, by
    // hand or through assistive technology.
    void category_only_for_a_picked_entry() {
        QFETCH(QString, steps);
        QFETCH(QString, text);
        QFETCH(QString, category);
        ShownMainWindow window;
        window.Find<ui::SlotCheckBox>("check_File_3")->SetValue(CheckValue::Checked);
        auto* list = window.Find<ui::EditableList>("field_File_Ext_3");
        list->setFocus();
        RunSteps(*list, steps);
        const FileSlot& slot = window->Files(3);
        QCOMPARE(QString::fromStdString(slot.File_Ext()), text);
        if (category.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(MissingCategory, slot.Category());
        } else {
            QCOMPARE(slot.Category(), category.toInt());
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
        AddRows("strip_cases.txt", {"tab_number", "caption", "key", "browser", "command"});
    }

    // Help starts the browser on the page beside the program, and only when
    // that fails opens the page in the default browser; nothing is shown or
    // reported when neither works.
    void runs_only_the_exact_caption() {
        QFETCH(QString, tab_number);
        const int tab = tab_number.toInt();
        QFETCH(QString, caption);
        QFETCH(QString, key);
        QFETCH(QString, browser);
        QFETCH(QString, command);
        // Nothing is reported (the dialog's showing warns offscreen).
        if (command != "Compile") QTest::failOnWarning(QRegularExpression(".*"));
        ShownMainWindow window;
        window.browser = browser;
        auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        strip->SetTabText(tab, caption);
        window.Type("field_COS_File", "lantern");  // New would empty it
        if (key == "Space" || key == "Enter") {
            strip->setFocus();
            // Right once more than needed for the last tab: the focus stays on it.
            for (int i = 0; i < tab + (tab == strip->Count() - 1); ++i)
                QTest::keyClick(strip, Qt::Key_Right);
            QAccessibleInterface* focus =
                QAccessible::queryAccessibleInterface(strip)->focusChild();
            QCOMPARE(focus->text(QAccessible::Name), caption.trimmed());
            QTest::keyClick(strip, key == "Space" ? Qt::Key_Space : Qt::Key_Return);
        } else if (key == "press") {
            PressPart(*strip, tab);
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
