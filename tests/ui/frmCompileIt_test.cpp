// The compile confirmation dialog, opened by the main window's Compile tab:
// its looks and keys, one dialog at a time, and only its OK starts a build,
// once the dialog is gone.
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include "support/ui_windows.h"

namespace ormel::test {
namespace {

using ui::frmCompileIt;

// A main window whose build only counts its starts, and notes whether the
// dialog was gone by then.
struct Form : ShownMainWindow {
    Form() {
        get()->SetBuildRun([this](ui::frmAW& w) {
            ++builds;
            dialog_gone_at_build = !frmCompileIt::Instance() && !(dialog && dialog->isVisible());
            w.SetCompileTimerInterval(0);
        });
    }
    frmCompileIt* Open() { return dialog = Compile(); }

    QPointer<frmCompileIt> dialog;
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
        frmCompileIt* dialog = form.Open();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Compile?"));
        QCOMPARE(dialog->size(), QSize(257, 209));  // 3855 x 3135 twips
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QCOMPARE(dialog->windowType(), Qt::Tool);  // not in the task bar
        const Qt::WindowFlags flags = dialog->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!dialog->parentWidget() && !dialog->isModal());
        QCOMPARE(Control(dialog, "btnCancel")->geometry(), QRect(128, 168, 121, 33));
        QCOMPARE(Control(dialog, "btnOK")->geometry(), QRect(8, 168, 121, 33));
        QCOMPARE(Control(dialog, "Text1")->geometry(), QRect(8, 8, 241, 153));
        QCOMPARE(dialog->findChild<QPushButton*>("btnCancel")->text(), QString("Cancel"));
        QCOMPARE(dialog->findChild<QPushButton*>("btnOK")->text(), QString("OK"));
        QCOMPARE(frmCompileIt::kChecklist, kChecklist);
        QCOMPARE(kChecklist.size(), qsizetype{273});
        // The box keeps line breaks as plain LF; it has no scroll bars, so
        // every wrapped line must fit it. Typing changes nothing.
        auto* text = dialog->findChild<QTextEdit*>("Text1");
        QTest::keyClicks(text, "xyz");
        QCOMPARE(text->toPlainText(), QString(kChecklist).replace("\r\n", "\n"));
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(text->document()->size().height() <= text->viewport()->height());
        // The focus starts in the text; Tab runs text, OK, Cancel.
        QCOMPARE(QApplication::focusWidget(), text);
        for (const char* next : {"btnOK", "btnCancel", "Text1"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
        }
        frmCompileIt::CloseIfOpen();
    }

    // OK arms tmrCompileIt and the build starts once the dialog is gone;
    // Cancel and the close box start nothing. Each way out destroys the
    // dialog: the next Compile shows a fresh one with the focus in its text.
    void each_way_out_data() {
        QTest::addColumn<QString>("button");  // none: the close box
        QTest::addColumn<int>("builds");
        QTest::newRow("OK") << "btnOK" << 1;
        QTest::newRow("Cancel") << "btnCancel" << 0;
        QTest::newRow("close box") << "" << 0;
    }

    void each_way_out() {
        QFETCH(QString, button);
        QFETCH(int, builds);
        Form form;
        QVERIFY(form.Open());
        Control(form.dialog, "btnCancel")->setFocus();
        if (button.isEmpty()) {
            form.dialog->windowHandle()->close();  // what the window system sends
        } else {
            QTest::mouseClick(Control(form.dialog, qPrintable(button)), Qt::LeftButton);
        }
        QCOMPARE(form->CompileTimerInterval(), builds);  // OK arms it at 1 ms
        QTRY_VERIFY(!form.dialog);
        QTRY_COMPARE(form.builds, builds);
        QCOMPARE(form.dialog_gone_at_build, builds == 1);
        QVERIFY(form.Open());
        QCOMPARE(QApplication::focusWidget(), Control(form.dialog, "Text1"));
        frmCompileIt::CloseIfOpen();
    }

    void enter_and_escape_do_nothing() {
        Form form;
        QVERIFY(form.Open());
        for (const char* focus : {"Text1", "btnOK", "btnCancel"}) {
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                Control(form.dialog, focus)->setFocus();
                QTest::keyClick(Control(form.dialog, focus), key);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QVERIFY2(form.dialog && form.dialog->isVisible(), focus);
                QCOMPARE(form->CompileTimerInterval(), 0);
            }
        }
        frmCompileIt::CloseIfOpen();
    }

    // A second Compile shows no second dialog; the form stays usable while
    // it is open; closing the main window ends the program and takes the
    // dialog with it.
    void one_dialog_beside_a_usable_form() {
        Form form;
        QVERIFY(form.Open());
        form.ClickTab(1);
        QCOMPARE(frmCompileIt::Instance(), form.dialog.data());
        form->activateWindow();
        form.Type("field_Name", "Lamp");
        QCOMPARE(form->Name(), std::string("Lamp"));
        form.ClickTab(0);  // New
        QCOMPARE(form->Name(), std::string());
        QCOMPARE(frmCompileIt::Instance(), form.dialog.data());

        bool dialog_closed_with_window = false;
        QTimer::singleShot(0, form.get(), [&] {
            form->close();
            dialog_closed_with_window = !form.dialog;
        });
        QObject guard;  // should the program not end, this ends the wait with 1
        QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(dialog_closed_with_window);
        QCOMPARE(form.builds, 0);
    }
};

ORMEL_REGISTER_UI_TEST(CompileDialogTest);

}  // namespace ormel::test

#include "frmCompileIt_test.moc"
