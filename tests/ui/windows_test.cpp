// The program's windows as designed: their frames, the main window's
// controls, focus order, texts fitting their room and hint line, the compile
// dialog's text and keys, and the progress window's ticks. The fields'
// start-up contents, what the dialog's buttons and close box do, and that
// each build's wait ends, the model fuzzer checks on every run.
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
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

// The focus order: Tab from the command strip runs through these and back.
const QStringList kTabOrder{
    "tsButtons",        "field_File_Ext_6", "field_File_Ext_5", "field_File_Ext_4",
    "field_File_Ext_3", "field_File_Ext_2", "field_Image_Ext",  "field_Remove_Script",
    "field_Image",      "field_Bioenergy",  "field_Animation",  "field_File_6",
    "check_File_6",     "field_File_5",     "check_File_5",     "field_File_4",
    "check_File_4",     "field_File_3",     "check_File_3",     "field_File_2",
    "check_File_2",     "field_File_Ext_1", "field_File_1",     "field_COS_Ext",
    "field_COS_File",   "field_Name",       "check_File_1"};

const QString kImageHint = "The name of an image used for the Creator.";

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
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
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
    // The frame; every control in its place, parent and caption; the script
    // extension read-only; the extension lists and the script extension in
    // the window's background colour; the strip's captions; the focus order
    // from the strip; every text fitting its room.
    void controls_as_designed() {
        ShownMainWindow window;
        CheckFixedFrame(*window.get(), "Ormel Compiler", QSize(209, 370));
        QCOMPARE(window->windowType(), Qt::Window);  // a normal window: in the task bar
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            QVERIFY(window->windowIcon().availableSizes().contains(QSize(size, size)));
        QFile places(ORMEL_UI_CASES "/main_window_places.txt");
        QVERIFY(places.open(QIODevice::ReadOnly | QIODevice::Text));
        for (const QString& line : QString(places.readAll()).split('\n', Qt::SkipEmptyParts)) {
            if (line.startsWith('#')) continue;
            const QStringList place = line.split(' ');  // name parent left top width height caption
            const QWidget* control = window.Find(place[0]);
            QCOMPARE(control->geometry(),
                     QRect(place[2].toInt(), place[3].toInt(), place[4].toInt(), place[5].toInt()));
            QCOMPARE(control->parentWidget()->objectName(), place[1]);
            if (auto* label = qobject_cast<const QLabel*>(control))
                QCOMPARE(label->text(), place.mid(6).join(' '));
            const QPalette& colours = control->palette();
            const bool face = place[0].contains("_Ext");
            QCOMPARE(colours.color(QPalette::Base) == colours.color(QPalette::Button), face);
        }
        QVERIFY(window.Find<QLineEdit>("field_COS_Ext")->isReadOnly());
        const auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        QCOMPARE(QStringList({strip->TabText(0), strip->TabText(1), strip->TabText(2)}),
                 QStringList({"New", "            Compile           ", "Help"}));
        QStringList order;
        QCOMPARE(QApplication::focusWidget(), strip);
        for (int i = 0; i <= kTabOrder.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            // A drop-down list has the focus through its line edit.
            if (auto* list = qobject_cast<QComboBox*>(focus->parentWidget())) focus = list;
            order << focus->objectName();
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(order, kTabOrder + QStringList{"tsButtons"});
        // No caption or label is cut off: each text fits the room up to the
        // next control on its right, and the strip shows its three captions in
        // full.
        for (const QLabel* label : window->findChildren<QLabel*>()) {
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

    void hint_line_data() {
        // "frEdit": the frame's bare background; "New": a click on New
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("hint");
        const auto row = [](const char* name, const QStringList& path, const QString& hint) {
            QTest::newRow(name) << path << hint;
        };
        row("nothing moved yet", {}, "Welcome to Ormel 1.0!");
        row("name", {"field_Name"}, "The name of you agent.");
        row("script", {"field_COS_File"}, "The name of your .cos file.");
        row("script extension", {"field_COS_Ext"}, ".COS means script. You can't change this!");
        row("slot 4 name shows slot 1's hint", {"field_File_4"},
            "The name of an extra file, like a sound or image.");
        row("image", {"field_Image"}, kImageHint);
        row("animation", {"field_Animation"}, "An animation string for the Creator.");
        row("remove script", {"field_Remove_Script"}, "A script to remove your agent.");
        row("name, background, check box", {"field_Name", "frEdit", "check_File_1"}, "");
        row("check box and New keep", {"field_COS_File", "check_File_3", "New"},
            "The name of your .cos file.");
        row("lists, label, strip, hint line keep",
            {"field_Image", "field_File_Ext_2", "field_Bioenergy", "Label5", "tsButtons",
             "statBar"},
            kImageHint);
    }

    // The hint line after the pointer has moved over the controls of `path`
    // in turn.
    void hint_line() {
        QFETCH(QStringList, path);
        QFETCH(QString, hint);
        ShownMainWindow window;
        for (const QString& name : path) name == "New" ? window.ClickTab(0) : PointAt(window, name);
        QCOMPARE(window->HintText(), hint);
    }
    // The dialog: a tool window of its own, not modal; its controls in their
    // places; the checklist as plain text that typing does not change and
    // that fits the box without scroll bars; the focus running text, OK,
    // Cancel; and Enter and Escape doing nothing, wherever the focus is.
    void dialog_as_designed() {
        ShownMainWindow form;
        QPointer<frmCompileIt> dialog = form.Compile();
        QVERIFY(dialog);
        CheckFixedFrame(*dialog, "Compile?", QSize(257, 209));  // 3855 x 3135 twips
        QCOMPARE(dialog->windowType(), Qt::Tool);               // not in the task bar
        QVERIFY(!dialog->parentWidget() && !dialog->isModal());
        for (auto [name, rect, caption] :
             {std::tuple{"btnCancel", QRect(128, 168, 121, 33), "Cancel"},
              {"btnOK", QRect(8, 168, 121, 33), "OK"}}) {
            auto* button = dialog->findChild<QPushButton*>(name);
            QCOMPARE(button->geometry(), rect);
            QCOMPARE(button->text(), QString(caption));
        }
        auto* text = dialog->findChild<QTextEdit*>("Text1");
        QCOMPARE(text->geometry(), QRect(8, 8, 241, 153));
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
            QCOMPARE(window->minimumSize(), window->maximumSize());
            QCOMPARE(window->windowFlags(), Qt::Tool | Qt::FramelessWindowHint);
            QCOMPARE(window->frameGeometry().center(), window->screen()->geometry().center());
            const auto* bar = window->findChild<QProgressBar*>("pbrLoad");
            QCOMPARE(bar->geometry(), QRect(8, 24, 137, 17));
            QCOMPARE(window->findChild<QLabel*>("lbl1")->geometry(), QRect(8, 8, 153, 17));
            QCOMPARE(window->findChild<QLabel*>("lbl1")->text(), QString("Compiling..."));
            QCOMPARE(window->findChild<QTimer*>("tmrLoad")->interval(), 100);
            QVERIFY(window->findChild<QTimer*>("tmrLoad")->isActive());
            const int ticks = showing == 3 ? 1 : 9;
            for (int tick = 1; tick <= ticks; ++tick) {
                window->tmrLoad_Timer();
                QCOMPARE(bar->value(), tick);
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
