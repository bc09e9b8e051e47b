#include "ui/frmCompileIt/frmCompileIt.h"

#include <algorithm>
#include <functional>
#include <utility>

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include "support/ui_windows.h"

using ormel::ui::frmCompileIt;

namespace {

// Counts the calls of the dialog's OK callback.
struct OkCounter {
    int calls = 0;
    std::function<void()> Callback() {
        return [this] { ++calls; };
    }
};

// Shows a dialog and waits until it is exposed and active, as the author sees
// it after clicking Compile.
frmCompileIt* ShowDialog(OkCounter& counter) {
    frmCompileIt* dialog = frmCompileIt::ShowSingle(counter.Callback());
    if (!QTest::qWaitForWindowActive(dialog)) return nullptr;
    return dialog;
}

QWidget* Control(QWidget* dialog, const char* name) {
    return dialog->findChild<QWidget*>(name);
}

// The ways the author can end the dialog.
enum class Ending { Ok, Cancel, CloseBox };

void End(frmCompileIt* dialog, Ending ending) {
    switch (ending) {
        case Ending::Ok:
            QTest::mouseClick(Control(dialog, "btnOK"), Qt::LeftButton);
            break;
        case Ending::Cancel:
            QTest::mouseClick(Control(dialog, "btnCancel"), Qt::LeftButton);
            break;
        case Ending::CloseBox:
            // What the window system sends when the title bar's close box is clicked.
            dialog->windowHandle()->close();
            break;
    }
}

bool AnyWindowVisible() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); });
}

void RunPendingDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A stand-in for the main window; like frmAW, its close can take the dialog
// with it.
class MainWindowStandIn : public QWidget {
  public:
    explicit MainWindowStandIn(bool closesDialog) : closesDialog_(closesDialog) {}

  protected:
    void closeEvent(QCloseEvent* event) override {
        if (closesDialog_) frmCompileIt::CloseIfOpen();
        QWidget::closeEvent(event);
    }

  private:
    bool closesDialog_;
};

}  // namespace

Q_DECLARE_METATYPE(Ending)

class FrmCompileItTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        frmCompileIt::CloseIfOpen();
        const QString leftovers = ormel::test::CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void windowIsFixedToolWindowWithCloseBoxOnly() {
        OkCounter counter;
        frmCompileIt* dialog = ShowDialog(counter);
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), QString("frmCompileIt"));
        QCOMPARE(dialog->windowTitle(), QString("Compile?"));
        // 3855 x 3135 twips at 15 twips to the pixel.
        QCOMPARE(dialog->size(), QSize(257, 209));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        const Qt::WindowFlags flags = dialog->windowFlags();
        QCOMPARE(dialog->windowType(), Qt::Tool);
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(dialog->parentWidget() == nullptr);
        QVERIFY(!dialog->isModal());
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
    }

    void controlsAtTheirPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("caption");
        QTest::newRow("btnCancel") << "btnCancel" << QRect(1920, 2520, 1815, 495) << "Cancel";
        QTest::newRow("btnOK") << "btnOK" << QRect(120, 2520, 1815, 495) << "OK";
        QTest::newRow("Text1") << "Text1" << QRect(120, 120, 3615, 2295) << "";
    }

    void controlsAtTheirPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(QString, caption);
        OkCounter counter;
        frmCompileIt* dialog = ShowDialog(counter);
        QVERIFY(dialog);
        auto* control = dialog->findChild<QWidget*>(name);
        QVERIFY(control);
        QVERIFY(control->isVisible());
        const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
        QCOMPARE(control->geometry(), pixels);
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), caption);
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
    }

    void checklistTextIsExact() {
        const QString expected =
            "Make sure the following are true. If not, click \r\ncancel.\r\n\r\n"
            "* All files needed are in a folder with the name of your agent.\r\n\r\n"
            "* The folder is in the directory where ormel.exe is.\r\n\r\n"
            "* Filename fields used have a check next to them.\r\n\r\n"
            "* All other fields are filled out.\r\n";
        QCOMPARE(frmCompileIt::kChecklist, expected);
        QCOMPARE(frmCompileIt::kChecklist.size(), 273);

        OkCounter counter;
        frmCompileIt* dialog = ShowDialog(counter);
        QVERIFY(dialog);
        auto* text = dialog->findChild<QTextEdit*>("Text1");
        QVERIFY(text);
        // The box holds the same ten lines; it keeps line breaks as plain LF.
        QCOMPARE(text->toPlainText(), QString(expected).replace("\r\n", "\n"));
    }

    void checklistBoxIsReadOnlyAndShowsAllOfItsText() {
        OkCounter counter;
        frmCompileIt* dialog = ShowDialog(counter);
        QVERIFY(dialog);
        auto* text = dialog->findChild<QTextEdit*>("Text1");
        QVERIFY(text);
        QVERIFY(text->isReadOnly());
        QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

        // Typing changes nothing.
        const QString before = text->toPlainText();
        QTest::keyClicks(text, "xyz");
        QTest::keyClick(text, Qt::Key_Delete);
        QTest::keyClick(text, Qt::Key_Backspace);
        QCOMPARE(text->toPlainText(), before);

        // Without scroll bars, every wrapped line must fit the box.
        const QSizeF used = text->document()->size();
        const QSize room = text->viewport()->size();
        QVERIFY2(used.height() <= room.height() && used.width() <= room.width(),
                 qPrintable(QString("text needs %1 x %2 px, box shows %3 x %4 px")
                                .arg(used.width())
                                .arg(used.height())
                                .arg(room.width())
                                .arg(room.height())));
        QCOMPARE(text->verticalScrollBar()->maximum(), 0);
    }

    void focusStartsInTextAndTabRunsTextOkCancel() {
        OkCounter counter;
        frmCompileIt* dialog = ShowDialog(counter);
        QVERIFY(dialog);
        QCOMPARE(QApplication::focusWidget(), Control(dialog, "Text1"));
        for (const char* next : {"btnOK", "btnCancel", "Text1"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
        }
        QCOMPARE(counter.calls, 0);
    }

    void okCallsBackOnceThenTheDialogIsGone() {
        OkCounter counter;
        QPointer<frmCompileIt> dialog = ShowDialog(counter);
        QVERIFY(dialog);
        End(dialog, Ending::Ok);
        QCOMPARE(counter.calls, 1);
        QVERIFY(!dialog || !dialog->isVisible());
        QCOMPARE(frmCompileIt::Instance(), nullptr);
        RunPendingDeletions();
        QVERIFY(dialog.isNull());
    }

    // The build is started by a 1 ms timer that OK arms; at its tick the
    // dialog must already be gone.
    void buildTimerArmedByOkTicksAfterTheDialogIsGone() {
        QTimer buildTimer;
        buildTimer.setSingleShot(true);
        bool dialogGoneAtTick = false;
        connect(&buildTimer, &QTimer::timeout, [&] {
            dialogGoneAtTick = frmCompileIt::Instance() == nullptr && !AnyWindowVisible();
        });
        frmCompileIt* dialog = frmCompileIt::ShowSingle([&] { buildTimer.start(1); });
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QSignalSpy ticks(&buildTimer, &QTimer::timeout);
        End(dialog, Ending::Ok);
        QVERIFY(ticks.wait());
        QVERIFY(dialogGoneAtTick);
    }

    void cancelAndCloseBoxCloseWithoutCallingBack_data() {
        QTest::addColumn<Ending>("ending");
        QTest::newRow("Cancel") << Ending::Cancel;
        QTest::newRow("close box") << Ending::CloseBox;
    }

    void cancelAndCloseBoxCloseWithoutCallingBack() {
        QFETCH(Ending, ending);
        OkCounter counter;
        QPointer<frmCompileIt> dialog = ShowDialog(counter);
        QVERIFY(dialog);
        End(dialog, ending);
        QCOMPARE(frmCompileIt::Instance(), nullptr);
        RunPendingDeletions();
        QVERIFY(dialog.isNull());
        QCOMPARE(counter.calls, 0);
    }

    void secondShowingKeepsTheOneOpenDialog() {
        OkCounter first;
        OkCounter second;
        frmCompileIt* dialog = ShowDialog(first);
        QVERIFY(dialog);
        QCOMPARE(frmCompileIt::ShowSingle(second.Callback()), dialog);
        RunPendingDeletions();
        QCOMPARE(QApplication::topLevelWidgets().size(), 1);
        QVERIFY(dialog->isVisible());
        End(dialog, Ending::Ok);
        QCOMPARE(first.calls, 1);
        QCOMPARE(second.calls, 0);
    }

    void showingAfterCloseGivesAFreshDialog_data() {
        QTest::addColumn<Ending>("ending");
        QTest::newRow("after OK") << Ending::Ok;
        QTest::newRow("after Cancel") << Ending::Cancel;
        QTest::newRow("after close box") << Ending::CloseBox;
    }

    void showingAfterCloseGivesAFreshDialog() {
        QFETCH(Ending, ending);
        OkCounter counter;
        QPointer<frmCompileIt> old = ShowDialog(counter);
        QVERIFY(old);
        Control(old, "btnCancel")->setFocus();
        End(old, ending);
        // Shown again before the old one's deletion has run: still a new one.
        frmCompileIt* fresh = ShowDialog(counter);
        QVERIFY(fresh);
        QVERIFY(fresh != old.data());
        RunPendingDeletions();
        QVERIFY(old.isNull());
        QCOMPARE(QApplication::topLevelWidgets().size(), 1);
        QCOMPARE(QApplication::focusWidget(), Control(fresh, "Text1"));
        QCOMPARE(fresh->findChild<QTextEdit*>("Text1")->toPlainText(),
                 QString(frmCompileIt::kChecklist).replace("\r\n", "\n"));
    }

    void enterAndEscapeDoNothing_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        for (const char* focus : {"Text1", "btnOK", "btnCancel"}) {
            for (auto [key, keyName] :
                 {std::pair{Qt::Key_Return, "Return"}, std::pair{Qt::Key_Enter, "Enter"},
                  std::pair{Qt::Key_Escape, "Escape"}}) {
                QTest::addRow("%s on %s", keyName, focus) << QString(focus) << int(key);
            }
        }
    }

    void enterAndEscapeDoNothing() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        OkCounter counter;
        QPointer<frmCompileIt> dialog = ShowDialog(counter);
        QVERIFY(dialog);
        QWidget* target = dialog->findChild<QWidget*>(focus);
        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key(key));
        RunPendingDeletions();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(frmCompileIt::Instance(), dialog.data());
        QCOMPARE(counter.calls, 0);
    }

    // Closing the main window ends the program even while the dialog is open,
    // and the main window's hook takes the dialog with it.
    void closingTheMainWindowEndsTheProgram_data() {
        QTest::addColumn<bool>("closesDialog");
        QTest::newRow("main window closes the dialog") << true;
        QTest::newRow("dialog alone keeps nothing running") << false;
    }

    void closingTheMainWindowEndsTheProgram() {
        QFETCH(bool, closesDialog);
        auto* main = new MainWindowStandIn(closesDialog);
        main->setAttribute(Qt::WA_DeleteOnClose);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        OkCounter counter;
        QPointer<frmCompileIt> dialog = ShowDialog(counter);
        QVERIFY(dialog);

        QTimer::singleShot(0, main, &QWidget::close);
        // Should the program fail to end, this stops the wait with a failure code.
        QTimer stuck;
        stuck.setSingleShot(true);
        connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        stuck.start(10000);
        QCOMPARE(QApplication::exec(), 0);
        stuck.stop();
        if (closesDialog) QVERIFY(dialog.isNull());
        QCOMPARE(counter.calls, 0);
    }
};

ORMEL_REGISTER_UI_TEST(FrmCompileItTest);

#include "frmCompileIt_test.moc"
