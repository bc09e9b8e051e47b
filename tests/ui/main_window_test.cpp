// The main window as designed: its frame and controls, the hint line, the
// frame caption, and the New command.
#include <QGroupBox>
#include <QLabel>
#include <QStatusBar>
#include <map>
#include <string_view>

#include "support/ui_windows.h"

namespace ormel::test {
namespace {

// What a control shows: caption, text, check value or the strip's captions;
// a list's text followed by its entries, each with its code.
QString Content(const QWidget& control) {
    if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
    if (auto* box = qobject_cast<const QLineEdit*>(&control)) return box->text();
    if (auto* check = qobject_cast<const ui::SlotCheckBox*>(&control)) {
        return QString::number(static_cast<int>(check->Value()));
    }
    if (auto* frame = qobject_cast<const QGroupBox*>(&control)) return frame->title();
    if (auto* bar = qobject_cast<const QStatusBar*>(&control)) return bar->currentMessage();
    if (auto* list = qobject_cast<const QComboBox*>(&control)) {
        QString text = list->currentText();
        for (int i = 0; i < list->count(); ++i) {
            text += "|" + list->itemText(i);
            if (list->itemData(i).isValid()) text += "=" + list->itemData(i).toString();
        }
        return text;
    }
    auto& strip = dynamic_cast<const ui::CommandStrip&>(control);
    QStringList captions;
    for (int i = 0; i < strip.Count(); ++i) captions << strip.TabText(i);
    return captions.join('|');
}

const char* const kBox = "QLineEdit";
const char* const kList = "QComboBox";
const char* const kCheck = "QCheckBox";
const char* const kLabel = "QLabel";
const QString kSlotList = "|.c16=2|.s16=2|.wav=1|.catalogue=7";
const QString kSlotHint = "The name of an extra file, like a sound or image.";
const QString kImageHint = "The name of an image used for the Creator.";

// The window's controls as designed: place in twips, start-up content, tab
// index (-1: takes no focus).
struct Design {
    const char* name;
    const char* kind;
    const char* parent;
    int left, top, width, height;
    QString content;
    int tab_index;
    bool read_only = false;
    bool button_face = false;
};

const std::vector<Design>& DesignTable() {
    // clang-format off
    static const std::vector<Design> table{
        {"tsButtons", "ormel::ui::CommandStrip", "frmAW", 0, 120, 3135, 375, "New|            Compile           |Help", 2},
        {"frEdit", "QGroupBox", "frmAW", 0, 480, 3135, 4695, "untitled.agent", -1},
        {"statBar", "QStatusBar", "frmAW", 0, 5190, 3135, 360, "Welcome to Ormel 1.0!", -1},
        {"Label1", kLabel, "frEdit", 120, 240, 1575, 255, "Name:", -1},
        {"field_Name", kBox, "frEdit", 720, 240, 2295, 285, "", 27},
        {"field_COS_File", kBox, "frEdit", 120, 600, 1815, 285, "", 26},
        {"field_COS_Ext", kBox, "frEdit", 2040, 600, 975, 285, ".cos", 25, true, true},
        {"check_File_1", kCheck, "frEdit", 120, 960, 255, 255, "1", 28},
        {"field_File_1", kBox, "frEdit", 480, 960, 1455, 315, "", 24},
        {"field_File_Ext_1", kList, "frEdit", 2040, 960, 975, 315, kSlotList, 23, false, true},
        {"check_File_2", kCheck, "frEdit", 120, 1320, 255, 255, "0", 22},
        {"field_File_2", kBox, "frEdit", 480, 1320, 1455, 315, "", 21},
        {"field_File_Ext_2", kList, "frEdit", 2040, 1320, 975, 315, kSlotList, 7, false, true},
        {"check_File_3", kCheck, "frEdit", 120, 1680, 255, 255, "0", 20},
        {"field_File_3", kBox, "frEdit", 480, 1680, 1455, 315, "", 19},
        {"field_File_Ext_3", kList, "frEdit", 2040, 1680, 975, 315, kSlotList, 6, false, true},
        {"check_File_4", kCheck, "frEdit", 120, 2040, 255, 255, "0", 18},
        {"field_File_4", kBox, "frEdit", 480, 2040, 1455, 315, "", 17},
        {"field_File_Ext_4", kList, "frEdit", 2040, 2040, 975, 315, kSlotList, 5, false, true},
        {"check_File_5", kCheck, "frEdit", 120, 2400, 255, 255, "0", 16},
        {"field_File_5", kBox, "frEdit", 480, 2400, 1455, 315, "", 15},
        {"field_File_Ext_5", kList, "frEdit", 2040, 2400, 975, 315, kSlotList, 4, false, true},
        {"check_File_6", kCheck, "frEdit", 120, 2760, 255, 255, "0", 14},
        {"field_File_6", kBox, "frEdit", 480, 2760, 1455, 315, "", 13},
        {"field_File_Ext_6", kList, "frEdit", 2040, 2760, 975, 315, kSlotList, 3, false, true},
        {"Label7", kLabel, "frEdit", 120, 3120, 855, 255, "Image:", -1},
        {"field_Image", kBox, "frEdit", 720, 3120, 1215, 315, "", 10},
        {"field_Image_Ext", kList, "frEdit", 2040, 3120, 975, 315, ".c16|.c16|.s16", 8, false, true},
        {"Label5", kLabel, "frEdit", 120, 3480, 855, 255, "Animation:", -1},
        {"Label6", kLabel, "frEdit", 2040, 3480, 1335, 255, "Bioenergy:", -1},
        {"field_Animation", kBox, "frEdit", 120, 3720, 1815, 285, "0", 12},
        {"field_Bioenergy", kList, "frEdit", 2040, 3720, 975, 315, "0|10|20|30|40|50|60|70|80|90|100|200|300|400|500", 11},
        {"Label8", kLabel, "frEdit", 120, 4080, 1575, 255, "Remove Script:", -1},
        {"field_Remove_Script", kBox, "frEdit", 120, 4320, 2895, 285, "enum CLASS kill targ next", 9},
    };
    // clang-format on
    return table;
}

// The control that Tab leads to from the one with this tab index: the next
// higher index, round to the lowest again.
QString NextTabStop(int tab_index) {
    std::map<int, QString> stops;
    for (const Design& d : DesignTable()) {
        if (d.tab_index >= 0) stops[d.tab_index] = d.name;
    }
    const auto next = stops.upper_bound(tab_index);
    return (next == stops.end() ? stops.begin() : next)->second;
}

}  // namespace

class MainWindowTest : public WindowTest {
    Q_OBJECT

  private slots:
    void window_frame() {
        ShownMainWindow window;
        QCOMPARE(window->windowTitle(), QString("Ormel Compiler"));
        QCOMPARE(window->size(), QSize(209, 370));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(window->windowType(), Qt::Window);  // a normal window: in the task bar
        QVERIFY(window->windowIcon().availableSizes().contains(QSize(32, 32)));
        QCOMPARE(QApplication::focusWidget(), window.Find("tsButtons"));  // lowest tab index
        QVERIFY(!window->LoadFinished);
    }

    void controls_as_designed_data() {
        QTest::addColumn<int>("row");
        for (int row = 0; row < int(DesignTable().size()); ++row) {
            QTest::newRow(DesignTable()[row].name) << row;
        }
    }

    void controls_as_designed() {
        QFETCH(int, row);
        const Design& d = DesignTable()[row];
        ShownMainWindow window;
        QWidget* control = window.Find(d.name);
        QVERIFY2(control->inherits(d.kind), control->metaObject()->className());
        QCOMPARE(control->parentWidget()->objectName(), QString(d.parent));
        // 15 twips to the pixel.
        QCOMPARE(control->geometry(), QRect(d.left / 15, d.top / 15, d.width / 15, d.height / 15));
        QCOMPARE(Content(*control), d.content);
        QVERIFY(control->isVisible() && control->isEnabled());
        if (auto* box = qobject_cast<QLineEdit*>(control)) QCOMPARE(box->isReadOnly(), d.read_only);
        const QPalette& colours = control->palette();
        QCOMPARE(colours.color(QPalette::Base) == colours.color(QPalette::Button), d.button_face);
        if (d.tab_index < 0) return;
        control->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        // A drop-down list has the focus through its line edit.
        if (auto* list = qobject_cast<QComboBox*>(focus->parentWidget())) focus = list;
        QCOMPARE(focus->objectName(), NextTabStop(d.tab_index));
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
        QTest::addColumn<QStringList>("path");  // "frEdit": the frame's bare background
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
    }

    void hint_line() {
        QFETCH(QStringList, path);
        QFETCH(QString, hint);
        ShownMainWindow window;
        for (const QString& name : path) window.PointAt(name);
        QCOMPARE(window->HintText(), hint);
    }

    // Only the author's typing changes the caption; New brings
    // "untitled.agent" back even when no field changes.
    void caption_follows_the_typed_name() {
        ShownMainWindow window;
        const auto* frame = window.Find<QGroupBox>("frEdit");
        window.Type("field_Name", "Ab");
        QCOMPARE(frame->title(), QString("Ab.agent - Compile"));
        QTest::keyClick(window.Find("field_Name"), Qt::Key_Backspace);
        QTest::keyClick(window.Find("field_Name"), Qt::Key_Backspace);
        QCOMPARE(frame->title(), QString(".agent - Compile"));
        window.ClickTab(0);
        QCOMPARE(frame->title(), QString("untitled.agent"));
    }

    // New on a filled form: every field back to its start-up content with no
    // entry chosen; the check boxes, the hint line and the caption are kept.
    void new_resets_the_fields_and_keeps_the_check_boxes() {
        ShownMainWindow window;
        for (const Design& d : DesignTable()) {
            if (d.kind == std::string_view(kBox)) window.Type(d.name, "x");
            if (d.kind == std::string_view(kList)) window.Pick(d.name, 2);
            if (d.kind == std::string_view(kCheck)) window.Click(d.name);
        }
        QCOMPARE(window->Files(6).ChosenCategory(), std::optional<int>(2));
        window.PointAt("field_Image");
        window.ClickTab(0);
        for (const Design& d : DesignTable()) {
            QString expected = d.content;
            if (d.kind == std::string_view(kCheck)) expected = d.content == "1" ? "0" : "1";
            if (QString(d.name) == "statBar") expected = kImageHint;
            QCOMPARE(Content(*window.Find(d.name)), expected);
        }
        for (int slot = 1; slot <= 6; ++slot) {
            QCOMPARE(window->Files(slot).ChosenCategory(), std::nullopt);
        }
        QCOMPARE(window->windowTitle(), QString("Ormel Compiler"));
    }
};

ORMEL_REGISTER_UI_TEST(MainWindowTest);

}  // namespace ormel::test

#include "main_window_test.moc"
