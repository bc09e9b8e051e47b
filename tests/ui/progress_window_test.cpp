// The progress window: ten ticks, then LoadFinished and gone; a fresh window
// on every showing; any early close ends the wait too.
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <thread>

#include "support/ui_windows.h"
#include "ui/frmLoad/frmLoad.h"

namespace ormel::test {
namespace {

QProgressBar* Bar(const ui::frmLoad& window) {
    return window.findChild<QProgressBar*>("pbrLoad");
}

int CountProgressWindows() {
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<ui::frmLoad*>(window) && window->isVisible()) ++count;
    }
    return count;
}

}  // namespace

class ProgressWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        const QString leftovers = CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void window_as_designed() {
        ShownMainWindow main;
        main->ShowProgressWindow();
        QPointer<ui::frmLoad> window = ui::frmLoad::Current();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->size(), QSize(153, 49));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(window->windowType(), Qt::Tool);  // no task-bar entry
        QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(window->frameGeometry().center(), window->screen()->geometry().center());

        const QProgressBar* bar = Bar(*window);
        QCOMPARE(bar->geometry(), QRect(8, 24, 137, 17));
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 10);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->orientation(), Qt::Horizontal);
        const auto* label = window->findChild<QLabel*>("lbl1");
        QCOMPARE(label->geometry(), QRect(8, 8, 153, 17));
        QCOMPARE(label->text(), QString("Compiling..."));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) < window->width() - 8);
        const auto* timer = window->findChild<QTimer*>("tmrLoad");
        QCOMPARE(timer->interval(), 100);
        QVERIFY(timer->isActive());
        window->close();
    }

    void ten_ticks_then_finished() {
        ShownMainWindow main;
        main->LoadFinished = false;
        QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main);
        for (int tick = 1; tick <= 9; ++tick) {
            window->tmrLoad_Timer();
            QCOMPARE(Bar(*window)->value(), tick);
            QCOMPARE(main->LoadFinished, false);
            QVERIFY(window->isVisible());
        }
        window->tmrLoad_Timer();
        QVERIFY(window);  // destroyed once the event loop gets to it
        QCOMPARE(Bar(*window)->value(), 10);
        QCOMPARE(main->LoadFinished, true);
        QVERIFY(!window->isVisible());
        QCOMPARE(ui::frmLoad::Current(), nullptr);
        QTRY_VERIFY(!window);
    }

    // Ticks come only while events are pumped.
    void nothing_moves_without_events() {
        ShownMainWindow main;
        main->LoadFinished = false;
        QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main);
        std::this_thread::sleep_for(std::chrono::milliseconds(350));
        QCOMPARE(Bar(*window)->value(), 0);
        QCOMPARE(main->LoadFinished, false);
        // Pumping runs the ten ticks to the end.
        QTRY_VERIFY_WITH_TIMEOUT(main->LoadFinished, 10000);
        QTRY_VERIFY(!window);
    }

    void every_showing_starts_at_zero() {
        ShownMainWindow main;
        for (int showing = 1; showing <= 2; ++showing) {
            main->LoadFinished = false;
            QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main);
            QCOMPARE(Bar(*window)->value(), 0);
            for (int tick = 1; tick <= 4; ++tick) window->tmrLoad_Timer();
            // Showing it while it is open leaves the one window as it is.
            QCOMPARE(ui::frmLoad::ShowFor(*main), window.data());
            QCOMPARE(CountProgressWindows(), 1);
            QCOMPARE(Bar(*window)->value(), 4);
            for (int tick = 5; tick <= 10; ++tick) window->tmrLoad_Timer();
            QVERIFY(main->LoadFinished);
            QTRY_VERIFY(!window);
        }
    }

    void never_sets_the_flag_false() {
        ShownMainWindow main;
        main->LoadFinished = true;
        QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main);
        window->tmrLoad_Timer();
        QVERIFY(main->LoadFinished);
        window->close();
    }

    void early_close_ends_the_wait_data() {
        QTest::addColumn<bool>("by_window_system");
        QTest::newRow("close()") << false;
        QTest::newRow("window-system close (Alt+F4)") << true;
    }

    void early_close_ends_the_wait() {
        QFETCH(bool, by_window_system);
        ShownMainWindow main;
        main->LoadFinished = false;
        QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->tmrLoad_Timer();
        window->tmrLoad_Timer();
        if (by_window_system) {
            window->windowHandle()->close();
        } else {
            window->close();
        }
        QVERIFY(main->LoadFinished);
        QCOMPARE(ui::frmLoad::Current(), nullptr);
        QTRY_VERIFY(!window);
        // The next showing is a fresh window again.
        main->LoadFinished = false;
        QPointer<ui::frmLoad> next = ui::frmLoad::ShowFor(*main);
        QCOMPARE(Bar(*next)->value(), 0);
        next->close();
    }
};

ORMEL_REGISTER_UI_TEST(ProgressWindowTest);

}  // namespace ormel::test

#include "progress_window_test.moc"
