// The progress window: ten ticks, then LoadFinished and gone; a fresh window
// on every showing; any early close ends the wait too.
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <thread>

#include "support/ui_windows.h"
#include "ui/frmLoad/frmLoad.h"

namespace ormel::test {
namespace {

int BarValue(const ui::frmLoad& window) {
    return window.findChild<QProgressBar*>("pbrLoad")->value();
}

}  // namespace

class ProgressWindowTest : public WindowTest {
    Q_OBJECT

  private slots:
    void window_as_designed() {
        ShownMainWindow main;
        main->ShowProgressWindow();
        ui::frmLoad* window = ui::frmLoad::Current();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->size(), QSize(153, 49));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(window->windowFlags(), Qt::Tool | Qt::FramelessWindowHint);  // not in the task bar
        QCOMPARE(window->frameGeometry().center(), window->screen()->geometry().center());
        QCOMPARE(window->findChild<QProgressBar*>("pbrLoad")->geometry(), QRect(8, 24, 137, 17));
        QCOMPARE(window->findChild<QProgressBar*>("pbrLoad")->maximum(), 10);
        QCOMPARE(window->findChild<QLabel*>("lbl1")->geometry(), QRect(8, 8, 153, 17));
        QCOMPARE(window->findChild<QLabel*>("lbl1")->text(), QString("Compiling..."));
        QCOMPARE(window->findChild<QTimer*>("tmrLoad")->interval(), 100);
        QVERIFY(window->findChild<QTimer*>("tmrLoad")->isActive());
        window->close();
    }

    // Ticks 1 to 9 only advance the bar; the tenth fills it, sets the flag and
    // the window is gone. Showing it while it is open keeps the one window;
    // the next showing is a fresh one at 0.
    void ten_ticks_on_every_showing() {
        ShownMainWindow main;
        for (int showing = 1; showing <= 2; ++showing) {
            main->LoadFinished = false;
            QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main);
            for (int tick = 1; tick <= 9; ++tick) {
                window->tmrLoad_Timer();
                QCOMPARE(BarValue(*window), tick);
                QVERIFY(!main->LoadFinished && window->isVisible());
                if (tick == 4) QCOMPARE(ui::frmLoad::ShowFor(*main), window.data());
            }
            window->tmrLoad_Timer();
            QCOMPARE(BarValue(*window), 10);
            QVERIFY(main->LoadFinished && !window->isVisible());
            QCOMPARE(ui::frmLoad::Current(), nullptr);
            QTRY_VERIFY(!window);
        }
    }

    // Ticks come only while events are pumped, at the interval set for
    // tests; a non-positive interval is refused.
    void nothing_moves_without_events() {
        using std::chrono::milliseconds;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, ui::frmLoad::SetTickInterval(milliseconds(0)));
        ui::frmLoad::SetTickInterval(milliseconds(5));
        ShownMainWindow main;
        QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main);
        ui::frmLoad::SetTickInterval(milliseconds(100));
        QCOMPARE(window->findChild<QTimer*>("tmrLoad")->interval(), 5);
        std::this_thread::sleep_for(milliseconds(100));  // no events
        QCOMPARE(BarValue(*window), 0);
        QVERIFY(!main->LoadFinished);
        QTRY_VERIFY_WITH_TIMEOUT(main->LoadFinished, 10000);
        QTRY_VERIFY(!window);
    }

    // A window-system close (Alt+F4) before the tenth tick ends the wait too.
    void early_close_ends_the_wait() {
        ShownMainWindow main;
        QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->tmrLoad_Timer();
        window->windowHandle()->close();
        QVERIFY(main->LoadFinished);
        QCOMPARE(ui::frmLoad::Current(), nullptr);
        QTRY_VERIFY(!window);
    }
};

ORMEL_REGISTER_UI_TEST(ProgressWindowTest);

}  // namespace ormel::test

#include "progress_window_test.moc"
