// The form's own controls: drop-down lists that choose an entry only when the
// author picks it, 0/1/2 check boxes, and the build timer tmrCompileIt.
#include <QAbstractItemView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "support/ui_windows.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/interval_timer.h"
#include "ui/controls/slot_check_box.h"

namespace ormel::test {
namespace {

void PickFromOpenList(QComboBox& list, int index) {
    list.showPopup();
    QAbstractItemView* view = list.view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QRect item = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!view->isVisible());
}

// Runs steps such as "type .wav; leave" on a list, as the author would.
void RunSteps(ui::EditableList& list, const QString& steps) {
    QLineEdit& edit = *list.lineEdit();
    for (const QString& step : steps.split(';', Qt::SkipEmptyParts)) {
        const QString verb = step.trimmed().section(' ', 0, 0);
        const QString argument = step.trimmed().section(' ', 1);
        if (verb == "type") {
            QTest::keyClicks(&edit, argument);
        } else if (verb == "pick") {
            PickFromOpenList(list, argument.toInt());
        } else if (verb == "down") {
            QTest::keyClick(&edit, Qt::Key_Down);
        } else if (verb == "up") {
            QTest::keyClick(&edit, Qt::Key_Up);
        } else if (verb == "enter") {
            QTest::keyClick(&edit, Qt::Key_Return);
        } else if (verb == "backspace") {
            QTest::keyClick(&edit, Qt::Key_Backspace);
        } else if (verb == "erase") {
            QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(&edit, Qt::Key_Delete);
        } else if (verb == "leave") {
            QTest::keyClick(&edit, Qt::Key_Tab);
            QVERIFY(!edit.hasFocus());
            list.setFocus();
        } else if (verb == "set") {
            list.SetText(argument);
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
}

}  // namespace

class EditableListTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        const QString leftovers = CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void category_only_for_a_picked_entry_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("category");  // -1: none, the read fails
        const auto row = [](const char* name, const char* steps, const char* text, int category) {
            QTest::newRow(name) << QString(steps) << QString(text) << category;
        };
        row("nothing done", "", "", -1);
        row("typed .wav", "type .wav", ".wav", -1);
        row("typed .wav, left the box", "type .wav; leave", ".wav", -1);
        row("typed .WAV keeps its spelling", "type .WAV; leave", ".WAV", -1);
        row("typed .wav, Enter", "type .wav; enter", ".wav", -1);
        row("typed other text, Enter", "type .bmp; enter", ".bmp", -1);
        row("no completion while typing", "type .w", ".w", -1);
        row("picked .wav", "pick 2", ".wav", 1);
        row("picked .c16", "pick 0", ".c16", 2);
        row("picked .s16", "pick 1", ".s16", 2);
        row("picked .catalogue", "pick 3", ".catalogue", 7);
        row("picked, left the box", "pick 2; leave", ".wav", 1);
        row("arrow down from empty", "down", ".c16", 2);
        row("arrow keys", "down; down; down; up", ".s16", 2);
        row("picked, then typed", "pick 2; type x", ".wavx", -1);
        row("picked, then a letter deleted", "pick 3; backspace", ".catalogu", -1);
        row("picked, then emptied", "pick 1; erase", "", -1);
        row("picked again after an edit", "pick 2; type x; pick 2", ".wav", 1);
        row("picked, then set by the program", "pick 2; set .wav", ".wav", -1);
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

    // The wheel over a list scrolls nothing into it.
    void wheel_picks_nothing() {
        ShownMainWindow window;
        auto* list = window.Find<ui::EditableList>("field_File_Ext_2");
        const QPoint centre = list->rect().center();
        QWheelEvent wheel(centre, list->mapToGlobal(centre), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &wheel);
        QCOMPARE(list->Text(), QString());
        QCOMPARE(list->ChosenIndex(), -1);
    }
};

class SlotCheckBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        const QString leftovers = CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void clicks_toggle_clear_and_checked_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("after_clicks");
        QTest::newRow("clear") << 0 << QList<int>{1, 0, 1};
        QTest::newRow("checked") << 1 << QList<int>{0, 1, 0};
        QTest::newRow("grayed") << 2 << QList<int>{1, 0, 1};
    }

    void clicks_toggle_clear_and_checked() {
        QFETCH(int, start);
        QFETCH(QList<int>, after_clicks);
        ShownMainWindow window;
        auto* box = window.Find<ui::SlotCheckBox>("check_File_4");
        box->SetValue(static_cast<CheckValue>(start));
        QCOMPARE(static_cast<int>(box->Value()), start);
        QCOMPARE(window->Files(4).Used(), start == 1);
        for (int expected : after_clicks) {
            QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
            QCOMPARE(static_cast<int>(box->Value()), expected);
            QCOMPARE(window->Files(4).Used(), expected == 1);
        }
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        QCOMPARE(static_cast<int>(box->Value()), after_clicks.back() == 1 ? 0 : 1);
    }
};

class CompileTimerTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        const QString leftovers = CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void interval_zero_never_ticks() {
        ShownMainWindow window;
        auto* timer = window->findChild<ui::IntervalTimer*>("tmrCompileIt");
        QVERIFY(timer);
        QSignalSpy ticks(timer, &ui::IntervalTimer::Tick);
        QCOMPARE(window->CompileTimerInterval(), 0);
        QVERIFY(!timer->Armed());
        QTest::qWait(50);
        window->SetCompileTimerInterval(5);
        window->SetCompileTimerInterval(0);
        QTest::qWait(50);
        QCOMPARE(ticks.count(), 0);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, window->SetCompileTimerInterval(-1));
        QCOMPARE(window->CompileTimerInterval(), 0);
    }

    void each_arming_runs_one_build() {
        ShownMainWindow window;
        int builds = 0;
        window->SetBuildRun([&](ui::frmAW& w) {
            ++builds;
            w.SetCompileTimerInterval(0);
        });
        window->SetCompileTimerInterval(1);
        QTRY_COMPARE(builds, 1);
        QTest::qWait(30);
        QCOMPARE(builds, 1);
        window->SetCompileTimerInterval(1);
        QTRY_COMPARE(builds, 2);
    }

    // The build pumps events while it waits. If the timer is armed again in
    // that time (another OK of the compile dialog), its ticks start no second
    // build: builds never nest.
    void ticks_during_a_build_start_none() {
        ShownMainWindow window;
        auto* timer = window->findChild<ui::IntervalTimer*>("tmrCompileIt");
        QSignalSpy ticks(timer, &ui::IntervalTimer::Tick);
        int builds = 0;
        int nested = 0;
        bool running = false;
        window->SetBuildRun([&](ui::frmAW& w) {
            ++builds;
            if (running) {  // a nested build: note it and leave at once
                ++nested;
                return;
            }
            running = true;
            w.SetCompileTimerInterval(1);
            QTRY_VERIFY(ticks.count() >= 4 || nested > 0);
            w.SetCompileTimerInterval(0);
            running = false;
        });
        window->SetCompileTimerInterval(1);
        QTRY_COMPARE(builds, 1);
        QTRY_COMPARE(window->CompileTimerInterval(), 0);
        QVERIFY(ticks.count() >= 4);
        QCOMPARE(nested, 0);
        QCOMPARE(builds, 1);
    }
};

ORMEL_REGISTER_UI_TEST(EditableListTest);
ORMEL_REGISTER_UI_TEST(SlotCheckBoxTest);
ORMEL_REGISTER_UI_TEST(CompileTimerTest);

}  // namespace ormel::test

#include "field_controls_test.moc"
