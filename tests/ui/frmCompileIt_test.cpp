// The compile confirmation dialog, opened by the main window's Compile tab:
// its looks and keys, one dialog at a time, and only its OK starts a build,
// once the dialog is gone.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "support/ui_windows.h"
#include "ui/frmCompileIt/frmCompileIt.h"

namespace ormel::test {
namespace {

using ui::frmCompileIt;

bool DialogVisible() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](QWidget* w) { return qobject_cast<frmCompileIt*>(w) && w->isVisible(); });
}

// A main window whose build only notes that it ran, and whether the dialog
// was gone by then.
struct Form {
    Form() {
        window->SetBuildRun([this](ui::frmAW& w) {
            ++builds;
            dialog_gone_at_build = !frmCompileIt::Instance() && !DialogVisible();
            w.SetCompileTimerInterval(0);
        });
    }

    // Clicks Compile and waits for the dialog to be active.
    frmCompileIt* Compile() const {
        window.ClickTab(1);
        frmCompileIt* dialog = frmCompileIt::Instance();
        return dialog && QTest::qWaitForWindowActive(dialog) ? dialog : nullptr;
    }

    ShownMainWindow window;
    int builds = 0;
    bool dialog_gone_at_build = false;
};

QWidget* Control(const QWidget* dialog, const char* name) {
    return dialog->findChild<QWidget*>(name);
}

const QString kChecklist =
    "Make sure the following are true. If not, click \r\ncancel.\r\n\r\n"
    "* All files needed are in a folder with the name of your agent.\r\n\r\n"
    "* The folder is in the directory where ormel.exe is.\r\n\r\n"
    "* Filename fields used have a check next to them.\r\n\r\n"
    "* All other fields are filled out.\r\n";

}  // namespace

class CompileDialogTest : public WindowTest {
    Q_OBJECT

  private slots:
    void dialog_as_designed() {
        Form form;
        frmCompileIt* dialog = form.Compile();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Compile?"));
        QCOMPARE(dialog->size(), QSize(257, 209));  // 3855 x 3135 twips
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QCOMPARE(dialog->windowType(), Qt::Tool);  // not in the task bar
        const Qt::WindowFlags flags = dialog->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!dialog->parentWidget() && !dialog->isModal());
        const struct {
            const char* name;
            QRect twips;
            QString caption;
        } places[] = {{"btnCancel", {1920, 2520, 1815, 495}, "Cancel"},
                      {"btnOK", {120, 2520, 1815, 495}, "OK"},
                      {"Text1", {120, 120, 3615, 2295}, ""}};
        for (const auto& place : places) {
            const QRect& t = place.twips;
            QCOMPARE(Control(dialog, place.name)->geometry(),
                     QRect(t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15));
            if (auto* button = qobject_cast<QPushButton*>(Control(dialog, place.name))) {
                QCOMPARE(button->text(), place.caption);
            }
        }
        QCOMPARE(frmCompileIt::kChecklist, kChecklist);
        QCOMPARE(kChecklist.size(), qsizetype{273});
        // The box keeps line breaks as plain LF, and without scroll bars every
        // wrapped line must fit it.
        auto* text = dialog->findChild<QTextEdit*>("Text1");
        QCOMPARE(text->toPlainText(), QString(kChecklist).replace("\r\n", "\n"));
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(text->document()->size().height() <= text->viewport()->height());
        QVERIFY(text->document()->size().width() <= text->viewport()->width());
        frmCompileIt::CloseIfOpen();
    }

    void focus_in_the_text_and_tab_order() {
        Form form;
        frmCompileIt* dialog = form.Compile();
        QVERIFY(dialog);
        QCOMPARE(QApplication::focusWidget(), Control(dialog, "Text1"));
        QTest::keyClicks(QApplication::focusWidget(), "xyz");
        QCOMPARE(dialog->findChild<QTextEdit*>("Text1")->toPlainText(),
                 QString(kChecklist).replace("\r\n", "\n"));
        for (const char* next : {"btnOK", "btnCancel", "Text1"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
        }
        frmCompileIt::CloseIfOpen();
    }

    // OK arms tmrCompileIt and the build starts once the dialog is gone;
    // Cancel and the close box start nothing. Each closing destroys the
    // dialog: the next Compile shows a fresh one with the focus in its text.
    void each_way_out_data() {
        QTest::addColumn<QString>("way_out");
        QTest::addColumn<int>("builds");
        QTest::newRow("OK") << "btnOK" << 1;
        QTest::newRow("Cancel") << "btnCancel" << 0;
        QTest::newRow("close box") << "" << 0;
    }

    void each_way_out() {
        QFETCH(QString, way_out);
        QFETCH(int, builds);
        Form form;
        QPointer<frmCompileIt> dialog = form.Compile();
        QVERIFY(dialog);
        Control(dialog, "btnCancel")->setFocus();
        if (way_out.isEmpty()) {
            dialog->windowHandle()->close();  // what the window system sends
        } else {
            QTest::mouseClick(Control(dialog, qPrintable(way_out)), Qt::LeftButton);
        }
        QCOMPARE(form.window->CompileTimerInterval(), builds);  // OK arms it at 1 ms
        QTRY_VERIFY(!dialog);
        QTRY_COMPARE(form.builds, builds);
        QCOMPARE(form.dialog_gone_at_build, builds == 1);
        frmCompileIt* fresh = form.Compile();
        QVERIFY(fresh);
        QCOMPARE(QApplication::focusWidget(), Control(fresh, "Text1"));
        frmCompileIt::CloseIfOpen();
    }

    void enter_and_escape_do_nothing_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        for (const char* focus : {"Text1", "btnOK", "btnCancel"}) {
            QTest::addRow("Return on %s", focus) << focus << int(Qt::Key_Return);
            QTest::addRow("Enter on %s", focus) << focus << int(Qt::Key_Enter);
            QTest::addRow("Escape on %s", focus) << focus << int(Qt::Key_Escape);
        }
    }

    void enter_and_escape_do_nothing() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        Form form;
        QPointer<frmCompileIt> dialog = form.Compile();
        QVERIFY(dialog);
        QWidget* target = Control(dialog, qPrintable(focus));
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(form.window->CompileTimerInterval(), 0);
        frmCompileIt::CloseIfOpen();
    }

    // A second Compile shows no second dialog; the form stays usable while
    // it is open; closing the main window takes the dialog with it.
    void one_dialog_beside_a_usable_form() {
        Form form;
        QPointer<frmCompileIt> dialog = form.Compile();
        QVERIFY(dialog);
        form.window.ClickTab(1);
        QCOMPARE(frmCompileIt::Instance(), dialog.data());
        form.window->activateWindow();
        form.window.Type("field_Name", "Lamp");
        QCOMPARE(form.window->Name(), std::string("Lamp"));
        form.window.ClickTab(0);  // New
        QCOMPARE(form.window->Name(), std::string());
        QCOMPARE(frmCompileIt::Instance(), dialog.data());
        form.window->close();
        QTRY_VERIFY(!dialog);
        QCOMPARE(form.builds, 0);
    }

    // Closing the main window while the dialog is open ends the program.
    void closing_the_main_window_ends_the_program() {
        Form form;
        QPointer<frmCompileIt> dialog = form.Compile();
        QVERIFY(dialog);
        QTimer::singleShot(0, form.window.get(), &QWidget::close);
        QObject guard;  // should the program not end, this ends the wait with 1
        QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!dialog);
        QCOMPARE(form.builds, 0);
    }
};

ORMEL_REGISTER_UI_TEST(CompileDialogTest);

}  // namespace ormel::test

#include "frmCompileIt_test.moc"
