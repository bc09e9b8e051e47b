// The compile confirmation dialog, opened by the main window's Compile tab:
// its looks and keys. What its buttons and close box do, and that there is
// one dialog at a time, the model fuzzer checks on every run.
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>

#include "support/ui_windows.h"

namespace ormel::test {
namespace {

using ui::frmCompileIt;

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
        ShownMainWindow form;
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

    void enter_and_escape_do_nothing() {
        ShownMainWindow form;
        QPointer<frmCompileIt> dialog = form.Compile();
        QVERIFY(dialog);
        for (const char* focus : {"Text1", "btnOK", "btnCancel"}) {
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                Control(dialog, focus)->setFocus();
                QTest::keyClick(Control(dialog, focus), key);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QVERIFY2(dialog && dialog->isVisible(), focus);
                QCOMPARE(form->CompileTimerInterval(), 0);
            }
        }
        frmCompileIt::CloseIfOpen();
    }
};

ORMEL_REGISTER_UI_TEST(CompileDialogTest);

}  // namespace ormel::test

#include "frmCompileIt_test.moc"
