// The program's windows as designed: their frames, the main window's
// controls, focus order, texts fitting their room and hint line, the compile
// dialog's text and keys, and the progress window's ticks. What the dialog's
// buttons and close box do, one dialog at a time, and that each build's wait
// pumps events and ends, the model fuzzer checks on every run.
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include "support/ui_windows.h"
#include "ui/frmAW/frmAW_design.h"
#include "ui/frmLoad/frmLoad.h"

namespace ormel::test {
namespace {

using ui::frmCompileIt;

// What a control shows: caption, text, check value or the strip's captions.
QString Content(const QWidget& control) {
    if (control.objectName() == "tsButtons") {
        auto& strip = dynamic_cast<const ui::CommandStrip&>(control);
        QStringList captions;
        for (int i = 0; i < strip.Count(); ++i) captions << strip.TabText(i);
        return captions.join('|');
    }
    if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
    if (auto* box = qobject_cast<const QLineEdit*>(&control)) return box->text();
    if (auto* check = qobject_cast<const ui::SlotCheckBox*>(&control)) {
        return QString::number(static_cast<int>(check->Value()));
    }
    if (auto* frame = qobject_cast<const QGroupBox*>(&control)) return frame->title();
    if (auto* bar = qobject_cast<const QStatusBar*>(&control)) return bar->currentMessage();
    if (auto* list = qobject_cast<const QComboBox*>(&control)) return list->currentText();
    return {};
}

const QString kSlotHint = "The name of an extra file, like a sound or image.";
const QString kImageHint = "The name of an image used for the Creator.";

// The focus order: Tab from the command strip runs through these and back.
const QStringList kTabOrder{
    "tsButtons",        "field_File_Ext_6", "field_File_Ext_5", "field_File_Ext_4",
    "field_File_Ext_3", "field_File_Ext_2", "field_Image_Ext",  "field_Remove_Script",
    "field_Image",      "field_Bioenergy",  "field_Animation",  "field_File_6",
    "check_File_6",     "field_File_5",     "check_File_5",     "field_File_4",
    "check_File_4",     "field_File_3",     "check_File_3",     "field_File_2",
    "check_File_2",     "field_File_Ext_1", "field_File_1",     "field_COS_Ext",
    "field_COS_File",   "field_Name",       "check_File_1"};

using ui::frmAW_design::ControlDesign;
using ui::frmAW_design::Kind;

// What the design table says a control shows at start-up, as Content reads it.
QString DesignedContent(const ControlDesign& d) {
    if (d.kind == Kind::CheckBox) return QString::number(static_cast<int>(d.check));
    return d.text;
}

QWidget* Control(const QWidget* dialog, const char* name) {
    return dialog->findChild<QWidget*>(name);
}

const QString kChecklist =
    "Make sure the following are true. If not, click \r\ncancel.\r\n\r\n"
    "* All files needed are in a folder with the name of your agent.\r\n\r\n"
    "* The folder is in the directory where ormel.exe is.\r\n\r\n"
    "* Filename fields used have a check next to them.\r\n\r\n"
    "* All other fields are filled out.\r\n";

int BarValue(const ui::frmLoad& window) {
    return window.findChild<QProgressBar*>("pbrLoad")->value();
}

}  // namespace

class WindowsTest : public WindowTest {
    Q_OBJECT

  private slots:
    // The frame, and every row of the design table is a control of the
    // window: its parent, its place (15 twips to the pixel), its start-up
    // content, read-only state and colour; the strip's captions and the focus
    // order from the strip (the lowest tab index). The lists' entries the
    // model fuzzer picks; their codes show in the category table and the
    // built documents.
    void controls_as_designed() {
        ShownMainWindow window;
        QCOMPARE(window->windowTitle(), QString("Ormel Compiler"));
        QCOMPARE(window->size(), QSize(209, 370));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(window->windowType(), Qt::Window);  // a normal window: in the task bar
        QVERIFY(window->windowIcon().availableSizes().contains(QSize(32, 32)));
        QVERIFY(!window->LoadFinished);
        const std::vector<ControlDesign> table = ui::frmAW_design::ControlTable();
        for (const ControlDesign& d : table) {
            const QWidget* control = window.Find(d.name);
            const QString parent =
                d.placement == ui::frmAW_design::Placement::Window ? "frmAW" : "frEdit";
            QCOMPARE(control->parentWidget()->objectName(), parent);
            const auto& r = d.rect;
            QCOMPARE(control->geometry(),
                     QRect(r.left / 15, r.top / 15, r.width / 15, r.height / 15));
            if (d.kind != Kind::CommandStrip) QCOMPARE(Content(*control), DesignedContent(d));
            QVERIFY(control->isVisible() && control->isEnabled());
            if (auto* box = qobject_cast<const QLineEdit*>(control))
                QCOMPARE(box->isReadOnly(), d.read_only);
            const QPalette& colours = control->palette();
            QCOMPARE(colours.color(QPalette::Base) == colours.color(QPalette::Button),
                     d.button_face);
        }
        QCOMPARE(table.size(), size_t{34});
        QCOMPARE(Content(*window.Find("tsButtons")),
                 QString("New|            Compile           |Help"));
        QStringList order;
        QCOMPARE(QApplication::focusWidget(), window.Find("tsButtons"));
        for (int i = 0; i <= kTabOrder.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            // A drop-down list has the focus through its line edit.
            if (auto* list = qobject_cast<QComboBox*>(focus->parentWidget())) focus = list;
            order << focus->objectName();
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(order, kTabOrder + QStringList{"tsButtons"});
    }

    // No caption or label is cut off: each text fits the room up to the next
    // control on its right, and the strip shows its three captions in full.
    void texts_fit() {
        ShownMainWindow window;
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
        const auto* strip = window.Find<ui::CommandStrip>("tsButtons");
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
        row("slot 4 name shows slot 1's hint", {"field_File_4"}, kSlotHint);
        row("image", {"field_Image"}, kImageHint);
        row("animation", {"field_Animation"}, "An animation string for the Creator.");
        row("remove script", {"field_Remove_Script"}, "A script to remove your agent.");
        row("name, background, check box", {"field_Name", "frEdit", "check_File_1"}, "");
        row("check box keeps", {"field_COS_File", "check_File_3"}, "The name of your .cos file.");
        row("slot list keeps", {"field_Name", "field_File_Ext_2"}, "The name of you agent.");
        row("bio-energy list keeps", {"field_Image", "field_Bioenergy"}, kImageHint);
        row("label keeps", {"field_Image", "Label5"}, kImageHint);
        row("command strip keeps", {"field_Image", "tsButtons"}, kImageHint);
        row("hint line keeps", {"field_Image", "statBar"}, kImageHint);
        row("New keeps", {"field_Image", "New"}, kImageHint);
    }

    void hint_line() {
        QFETCH(QStringList, path);
        QFETCH(QString, hint);
        ShownMainWindow window;
        for (const QString& name : path) name == "New" ? window.ClickTab(0) : window.PointAt(name);
        QCOMPARE(window->HintText(), hint);
    }
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
    // The progress window as designed, centred on the screen, not in the task
    // bar. Ticks 1 to 9 only advance the bar; the tenth fills it, sets the flag and
    // the window is gone. Showing it while it is open keeps the one window;
    // the next showing is a fresh one at 0. The third showing is closed by
    // the window system (Alt+F4) after one tick, which ends the wait too.
    void ten_ticks_or_an_early_close_on_every_showing() {
        ShownMainWindow main;
        for (int showing = 1; showing <= 3; ++showing) {
            main->LoadFinished = false;
            QPointer<ui::frmLoad> window = ui::frmLoad::ShowFor(*main);
            QCOMPARE(window->size(), QSize(153, 49));
            QCOMPARE(window->minimumSize(), window->maximumSize());
            QCOMPARE(window->windowFlags(), Qt::Tool | Qt::FramelessWindowHint);
            QCOMPARE(window->frameGeometry().center(), window->screen()->geometry().center());
            QCOMPARE(window->findChild<QProgressBar*>("pbrLoad")->geometry(),
                     QRect(8, 24, 137, 17));
            QCOMPARE(window->findChild<QLabel*>("lbl1")->geometry(), QRect(8, 8, 153, 17));
            QCOMPARE(window->findChild<QLabel*>("lbl1")->text(), QString("Compiling..."));
            QCOMPARE(window->findChild<QProgressBar*>("pbrLoad")->maximum(), 10);
            QCOMPARE(window->findChild<QTimer*>("tmrLoad")->interval(), 100);
            QVERIFY(window->findChild<QTimer*>("tmrLoad")->isActive());
            const int ticks = showing == 3 ? 1 : 9;
            for (int tick = 1; tick <= ticks; ++tick) {
                window->tmrLoad_Timer();
                QCOMPARE(BarValue(*window), tick);
                QVERIFY(!main->LoadFinished && window->isVisible());
                if (tick == 4) QCOMPARE(ui::frmLoad::ShowFor(*main), window.data());
            }
            if (showing == 3) {
                QVERIFY(QTest::qWaitForWindowExposed(window));
                window->windowHandle()->close();
            } else {
                window->tmrLoad_Timer();
                QCOMPARE(BarValue(*window), 10);
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
