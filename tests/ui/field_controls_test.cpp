// The form's own controls: drop-down lists that choose an entry only when the
// author picks it, and 0/1/2 check boxes. (The build timer tmrCompileIt: one
// build per OK, none while it reads 0, the model fuzzer checks.)
#include <QAbstractItemView>

#include "support/ui_windows.h"

namespace ormel::test {
namespace {

// Runs steps such as "type .wav; leave" on a list, as the author would.
void RunSteps(ui::EditableList& list, const QString& steps) {
    QLineEdit* edit = list.lineEdit();
    const QHash<QString, Qt::Key> keys{{"down", Qt::Key_Down},
                                       {"up", Qt::Key_Up},
                                       {"enter", Qt::Key_Return},
                                       {"backspace", Qt::Key_Backspace},
                                       {"leave", Qt::Key_Tab}};
    for (const QString& step : steps.split("; ", Qt::SkipEmptyParts)) {
        const QString verb = step.section(' ', 0, 0);
        const QString argument = step.section(' ', 1);
        if (keys.contains(verb)) QTest::keyClick(edit, keys[verb]);
        if (verb == "leave") {  // and back again
            QVERIFY(!edit->hasFocus());
            list.setFocus();
        }
        if (verb == "type") QTest::keyClicks(edit, argument);
        if (verb == "pick") {  // with the mouse, from the open list
            list.showPopup();
            QAbstractItemView* view = list.view();
            QVERIFY(QTest::qWaitForWindowExposed(view->window()));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(view->model()->index(argument.toInt(), 0)).center());
            QTRY_VERIFY(!view->isVisible());
        }
        if (verb == "wheel") {
            QWheelEvent wheel({}, {}, {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&list, &wheel);
        }
    }
}

}  // namespace

class FieldControlsTest : public WindowTest {
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
        row("picked .catalogue", "pick 3", ".catalogue", 7);
        row("picked, left the box", "pick 2; leave", ".wav", 1);
        row("arrow keys", "down; down; down; up", ".s16", 2);
        row("picked, then typed", "pick 2; type x", ".wavx", -1);
        row("picked, then emptied", "pick 1; backspace; backspace; backspace; backspace", "", -1);
        row("picked again after an edit", "pick 2; type x; pick 2", ".wav", 1);
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
    // by the program only, reads as not used and a click checks it.
    void check_box_toggles_clear_and_checked() {
        ShownMainWindow window;
        auto* box = window.Find<ui::SlotCheckBox>("check_File_4");
        box->setFocus();
        // Grayed first: once it has been set, Qt's box would cycle through it.
        for (auto [start, after_click] : {std::pair{2, 1}, {0, 1}, {1, 0}}) {
            box->SetValue(static_cast<CheckValue>(start));
            QCOMPARE(window->Files(4).Used(), start == 1);
            QTest::mouseClick(box, Qt::LeftButton);
            QCOMPARE(static_cast<int>(box->Value()), after_click);
            QCOMPARE(window->Files(4).Used(), after_click == 1);
            QTest::keyClick(box, Qt::Key_Space);
            QCOMPARE(static_cast<int>(box->Value()), 1 - after_click);
        }
    }
};

ORMEL_REGISTER_UI_TEST(FieldControlsTest);

}  // namespace ormel::test

#include "field_controls_test.moc"
