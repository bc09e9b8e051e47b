// The program's windows as designed: frames, controls laid out, named and
// described, focus order, texts fitting their room, hint line, the dialog's
// text and keys, the progress ticks. The fields' start-up contents, the
// dialog's buttons and each build's wait the model fuzzer checks.
#include <QAccessible>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include "support/ui_windows.h"
#include "ui/frmLoad/frmLoad.h"

namespace ormel::test {
namespace {

using ui::frmCompileIt;

const QString kChecklist =
    "Make sure the following are true. If not, click \r\ncancel.\r\n\r\n"
    "* All files needed are in a folder with the name of your agent.\r\n\r\n"
    "* The folder is in the directory where ormel.exe is.\r\n\r\n"
    "* Filename fields used have a check next to them.\r\n\r\n"
    "* All other fields are filled out.\r\n";

// A window of its title and fixed size, with a close box but no minimize or
// maximize box.
void CheckFixedFrame(const QWidget& window, const QString& title, QSize size) {
    QCOMPARE(window.windowTitle(), title);
    QCOMPARE(window.size(), size);
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(
        !(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
}

// The controls of a window that take the focus (a list with its text box as one),
// each with a name of its own and a description for assistive technology.
void CheckFocusable(const QWidget& window, QList<QWidget*>* controls = nullptr) {
    QStringList names;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!(control->focusPolicy() & Qt::TabFocus) || control->window() != &window ||
            qobject_cast<QComboBox*>(control->parentWidget()))
            continue;
        const QAccessibleInterface* described = QAccessible::queryAccessibleInterface(control);
        names << described->text(QAccessible::Name);
        QVERIFY2(!names.back().isEmpty() && names.count(names.back()) == 1 &&
                     !described->text(QAccessible::Description).isEmpty(),
                 qPrintable(control->objectName()));
        if (controls) *controls << control;
    }
}

// Every control but a label (labels run under the boxes they name) lies
// inside its parent, clear of the others but for a seam one pixel wide where
// the design's twips meet.
void CheckLaidOut(const QWidget& parent) {
    QList<QRect> taken;
    for (const QWidget* control :
         parent.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control->isWindow() || qobject_cast<const QLabel*>(control)) continue;
        const QRect area = control->geometry();
        QVERIFY2(parent.rect().contains(area), qPrintable(control->objectName()));
        for (const QRect& other : taken)
            QVERIFY2(std::min((area & other).width(), (area & other).height()) <= 1,
                     qPrintable(control->objectName()));
        taken << area;
    }
}

// Moves the pointer over a control, near its left edge, as the window system
// reports it: to the window, which finds the control under it. (Labels run
// under the boxes to their right; the frame's controls start 8 pixels in.)
void PointAt(const ShownMainWindow& window, const QString& name) {
    const QWidget* control = window.Find(name);
    QTest::mouseMove(window->windowHandle(),
                     control->mapTo(window.get(), QPoint(4, control->height() / 2)));
}

}  // namespace

class WindowsTest : public WindowTest {
    Q_OBJECT

  private slots:
    // The frame; the controls inside their parents, clear of each other, named
    // and described; the script extension read-only; the extension lists and
    // the script extension in the window's background colour; the strip's
    // captions; the focus from the strip; every text fitting its room.
    void controls_as_designed() {
        ShownMainWindow window;
        CheckFixedFrame(*window.get(), "Ormel Compiler", QSize(418, 370));
        QCOMPARE(window->windowType(), Qt::Window);  // a normal window: in the task bar
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            QVERIFY(window->windowIcon().availableSizes().contains(QSize(size, size)));
        CheckLaidOut(*window.get());
        CheckLaidOut(*window.Find("frEdit"));
        CheckLaidOut(*window.Find("frShow"));
        QList<QWidget*> focusable;
        CheckFocusable(*window.get(), &focusable);
        for (const QWidget* control : focusable) {
            const QPalette& colours = control->palette();
            QCOMPARE(colours.color(QPalette::Base) == colours.color(QPalette::Button),
                     control->objectName().contains("_Ext"));
        }
        QVERIFY(window.Find<QLineEdit>("field_COS_Ext")->isReadOnly());
        const auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        QCOMPARE(QStringList({strip->TabText(0), strip->TabText(1), strip->TabText(2)}),
                 QStringList({"New", "            Compile           ", "Help"}));
        // The strip's focus is drawn from the start. Tab from the strip reaches
        // slot 6's list first and visits every control that takes the focus
        // once before it comes back.
        QVERIFY(strip->hasFocus() && window->testAttribute(Qt::WA_KeyboardFocusChange));
        QList<QWidget*> visited;
        do {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();  // a list's: its line edit's
            if (auto* list = qobject_cast<QComboBox*>(focus->parentWidget())) focus = list;
            QVERIFY2(!visited.contains(focus), qPrintable(focus->objectName()));
            visited << focus;
        } while (visited.back() != strip && visited.size() <= focusable.size());
        QCOMPARE(visited.front()->objectName(), QString("field_File_Ext_6"));
        QCOMPARE(visited.size(), focusable.size());
        // No caption or label is cut off: each text fits the room up to the
        // next control on its right, and the strip shows its three captions in
        // full.
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            // A label that breaks its text into lines has their height.
            if (label->wordWrap()) {
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                         qPrintable(label->objectName()));
                continue;
            }
            int room = label->width();
            for (const QWidget* other : label->parentWidget()->findChildren<QWidget*>(
                     QString(), Qt::FindDirectChildrenOnly)) {
                if (other->x() > label->x() && other->geometry().intersects(label->geometry())) {
                    room = std::min(room, other->x() - label->x());
                }
            }
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= room,
                     qPrintable(label->objectName()));
        }
        for (int i = 0; i < strip->Count(); ++i) {
            QVERIFY(QFontMetrics(strip->TabFont()).horizontalAdvance(strip->TabText(i)) <
                    strip->TabRect(i).width());
        }
        QVERIFY(strip->TabRect(strip->Count() - 1).right() < strip->width());
    }

    void hint_line_data() { AddRows("hint_line_cases.txt", {"path", "hint"}); }

    // The hint line after the pointer, and the focus, have moved along `path`.
    void hint_line() {
        QFETCH(QString, path);
        QFETCH(QString, hint);
        ShownMainWindow window;
        auto* block = window.Find<QComboBox>("field_Block");
        for (const QString& name : path.split(' ', Qt::SkipEmptyParts))
            name == "Tab"    ? QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab)
            : name == "New"  ? window.ClickTab(0)
            : name == "DSAG" ? QTest::keyClick(block, Qt::Key_Down)
            : name == "AGNT" ? QTest::keyClick(block, Qt::Key_Up)
                             : PointAt(window, name);
        QCOMPARE(window->HintText(), hint);
    }
    // The dialog: a tool window of its own, not modal, a dialog to assistive
    // technology; its controls in it, clear of each other; the checklist as plain text that typing
    // does not change and that fits the box without scroll bars; the focus running text, OK,
    // Cancel; and Enter and Escape doing nothing, wherever the focus is.
    void dialog_as_designed() {
        ShownMainWindow form;
        QPointer<frmCompileIt> dialog = form.Compile();
        QVERIFY(dialog);
        CheckFixedFrame(*dialog, "Compile?", QSize(257, 209));  // 3855 x 3135 twips
        QCOMPARE(dialog->windowType(), Qt::Tool);               // not in the task bar
        QVERIFY(!dialog->parentWidget() && !dialog->isModal());
        CheckLaidOut(*dialog);
        CheckFocusable(*dialog);
        auto* text = dialog->findChild<QTextEdit*>("Text1");
        QCOMPARE(QAccessible::queryAccessibleInterface(dialog)->role(), QAccessible::Dialog);
        QCOMPARE(QAccessible::queryAccessibleInterface(dialog)->text(QAccessible::Name),
                 "Compile?");
        QCOMPARE(QAccessible::queryAccessibleInterface(text)->textInterface()->text(0, 4), "Make");
        QTest::keyClicks(text, "xyz");
        QCOMPARE(text->toPlainText(), QString(kChecklist).replace("\r\n", "\n"));
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(text->document()->size().height() <= text->viewport()->height());
        QCOMPARE(QApplication::focusWidget(), text);
        for (const char* next : {"btnOK", "btnCancel", "Text1"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::keyClick(QApplication::focusWidget(), key);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QVERIFY2(dialog && dialog->isVisible(), next);
                QCOMPARE(form->CompileTimerInterval(), 0);
            }
        }
        frmCompileIt::CloseIfOpen();
    }

    // The progress window as designed, centred on the screen, not in the task
    // bar. Ticks 1 to 9 only advance the bar; the tenth fills it, sets the flag and
    // the window is gone. Showing it while it is open keeps the one window;
    // the next showing is a fresh one at 0. The third showing is closed by
    // the window system (Alt+F4) after one tick, which ends the wait too.
    void ten_ticks_or_an_early_close_on_every_showing() {
        ShownMainWindow main;
        for (int showing = 1; showing <= 3; ++showing) {
            main->LoadFinished = false;
            QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main.get());
            QCOMPARE(window->size(), QSize(153, 49));
            CheckLaidOut(*window);
            QCOMPARE(window->minimumSize(), window->maximumSize());
            QCOMPARE(window->windowFlags(), Qt::Tool | Qt::FramelessWindowHint);
            QCOMPARE(window->frameGeometry().center(), window->screen()->geometry().center());
            auto* bar = window->findChild<QProgressBar*>("pbrLoad");
            QCOMPARE(window->findChild<QLabel*>("lbl1")->text(), QString("Compiling..."));
            QVERIFY(window->findChild<QTimer*>("tmrLoad")->isActive());
            QAccessibleInterface* progress = QAccessible::queryAccessibleInterface(bar);
            QCOMPARE(progress->text(QAccessible::Name), "Compiling...");
            QCOMPARE(QAccessible::queryAccessibleInterface(window)->text(QAccessible::Name),
                     "Compiling...");
            const int ticks = showing == 3 ? 1 : 9;
            for (int tick = 1; tick <= ticks; ++tick) {
                window->tmrLoad_Timer();
                QCOMPARE(progress->valueInterface()->currentValue(), tick);
                QVERIFY(!main->LoadFinished && window->isVisible());
                if (tick == 4) QCOMPARE(ui::frmLoad::ShowFor(*main.get()), window.data());
            }
            if (showing == 3) {
                QVERIFY(QTest::qWaitForWindowExposed(window));
                window->windowHandle()->close();
            } else {
                window->tmrLoad_Timer();
                QCOMPARE(bar->value(), 10);
            }
            QVERIFY(main->LoadFinished && !window->isVisible());
            QCOMPARE(ui::frmLoad::Current(), nullptr);
            QTRY_VERIFY(!window);
        }
    }
};

ORMEL_REGISTER_UI_TEST(WindowsTest);

}  // namespace ormel::test

#include "windows_test.moc"
