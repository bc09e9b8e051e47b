// The main window as designed: its frame and controls, the focus order, the
// texts fitting their room, and the hint line.
#include <QGroupBox>
#include <QLabel>
#include <QStatusBar>

#include "support/ui_windows.h"
#include "ui/frmAW/frmAW_design.h"

namespace ormel::test {
namespace {

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

// A list's entries, each with its code.
QString Entries(const QComboBox& list) {
    QStringList entries;
    for (int i = 0; i < list.count(); ++i) {
        entries << list.itemText(i);
        if (list.itemData(i).isValid()) entries.back() += "=" + list.itemData(i).toString();
    }
    return entries.join('|');
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

}  // namespace

class MainWindowTest : public WindowTest {
    Q_OBJECT

  private slots:
    // The frame, and every row of the design table is a control of the
    // window: its parent, its place (15 twips to the pixel), its start-up
    // content, read-only state and colour. The lists' entries, the strip's
    // captions and the focus order, from the strip (the lowest tab index),
    // are checked as the program must show them.
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
        QCOMPARE(Entries(*window.Find<QComboBox>("field_File_Ext_4")),
                 QString(".c16=2|.s16=2|.wav=1|.catalogue=7"));
        QCOMPARE(Entries(*window.Find<QComboBox>("field_Image_Ext")), QString(".c16|.s16"));
        QCOMPARE(Entries(*window.Find<QComboBox>("field_Bioenergy")),
                 QString("10|20|30|40|50|60|70|80|90|100|200|300|400|500"));
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
};

ORMEL_REGISTER_UI_TEST(MainWindowTest);

}  // namespace ormel::test

#include "main_window_test.moc"
