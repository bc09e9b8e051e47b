// The main window as designed: its controls, focus order, hint line and
// frame caption, and the agent description read from it.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>

#include "support/ui_windows.h"
#include "ui/controls/command_strip.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/slot_check_box.h"

namespace ormel::test {
namespace {

constexpr int kTwipsPerPixel = 15;

QRect FromTwips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

// What a control shows: caption, text, check value or the strip's captions.
QString Content(const QWidget& control) {
    if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
    if (auto* box = qobject_cast<const QLineEdit*>(&control)) return box->text();
    if (auto* list = qobject_cast<const QComboBox*>(&control)) return list->currentText();
    if (auto* check = qobject_cast<const ui::SlotCheckBox*>(&control)) {
        return QString::number(static_cast<int>(check->Value()));
    }
    if (auto* frame = qobject_cast<const QGroupBox*>(&control)) return frame->title();
    if (auto* bar = qobject_cast<const QStatusBar*>(&control)) return bar->currentMessage();
    if (auto* strip = qobject_cast<const ui::CommandStrip*>(&control)) {
        QStringList captions;
        for (int i = 0; i < strip->Count(); ++i) captions << strip->TabText(i);
        return captions.join('|');
    }
    return "?";
}

const QString kSlotHint = "The name of an extra file, like a sound or image.";

// The window's controls as designed: positions in twips, start-up content.
struct Design {
    const char* name;
    const char* kind;
    const char* parent;
    int left, top, width, height;
    const char* content;
    int tab_index;
    bool read_only = false;
    bool button_face = false;
};

const char* const kStrip = "ormel::ui::CommandStrip";

const std::vector<Design>& DesignTable() {
    // clang-format off
    static const std::vector<Design> table{
        {"tsButtons", kStrip, "frmAW", 0, 120, 3135, 375, "New|            Compile           |Help", 2},
        {"frEdit", "QGroupBox", "frmAW", 0, 480, 3135, 4695, "untitled.agent", 1},
        {"statBar", "QStatusBar", "frmAW", 0, 5190, 3135, 360, "Welcome to Ormel 1.0!", 0},
        {"Label1", "QLabel", "frEdit", 120, 240, 1575, 255, "Name:", 33},
        {"field_Name", "QLineEdit", "frEdit", 720, 240, 2295, 285, "", 27},
        {"field_COS_File", "QLineEdit", "frEdit", 120, 600, 1815, 285, "", 26},
        {"field_COS_Ext", "QLineEdit", "frEdit", 2040, 600, 975, 285, ".cos", 25, true, true},
        {"check_File_1", "QCheckBox", "frEdit", 120, 960, 255, 255, "1", 28},
        {"field_File_1", "QLineEdit", "frEdit", 480, 960, 1455, 315, "", 24},
        {"field_File_Ext_1", "QComboBox", "frEdit", 2040, 960, 975, 315, "", 23, false, true},
        {"check_File_2", "QCheckBox", "frEdit", 120, 1320, 255, 255, "0", 22},
        {"field_File_2", "QLineEdit", "frEdit", 480, 1320, 1455, 315, "", 21},
        {"field_File_Ext_2", "QComboBox", "frEdit", 2040, 1320, 975, 315, "", 7, false, true},
        {"check_File_3", "QCheckBox", "frEdit", 120, 1680, 255, 255, "0", 20},
        {"field_File_3", "QLineEdit", "frEdit", 480, 1680, 1455, 315, "", 19},
        {"field_File_Ext_3", "QComboBox", "frEdit", 2040, 1680, 975, 315, "", 6, false, true},
        {"check_File_4", "QCheckBox", "frEdit", 120, 2040, 255, 255, "0", 18},
        {"field_File_4", "QLineEdit", "frEdit", 480, 2040, 1455, 315, "", 17},
        {"field_File_Ext_4", "QComboBox", "frEdit", 2040, 2040, 975, 315, "", 5, false, true},
        {"check_File_5", "QCheckBox", "frEdit", 120, 2400, 255, 255, "0", 16},
        {"field_File_5", "QLineEdit", "frEdit", 480, 2400, 1455, 315, "", 15},
        {"field_File_Ext_5", "QComboBox", "frEdit", 2040, 2400, 975, 315, "", 4, false, true},
        {"check_File_6", "QCheckBox", "frEdit", 120, 2760, 255, 255, "0", 14},
        {"field_File_6", "QLineEdit", "frEdit", 480, 2760, 1455, 315, "", 13},
        {"field_File_Ext_6", "QComboBox", "frEdit", 2040, 2760, 975, 315, "", 3, false, true},
        {"Label7", "QLabel", "frEdit", 120, 3120, 855, 255, "Image:", 30},
        {"field_Image", "QLineEdit", "frEdit", 720, 3120, 1215, 315, "", 10},
        {"field_Image_Ext", "QComboBox", "frEdit", 2040, 3120, 975, 315, ".c16", 8, false, true},
        {"Label5", "QLabel", "frEdit", 120, 3480, 855, 255, "Animation:", 32},
        {"Label6", "QLabel", "frEdit", 2040, 3480, 1335, 255, "Bioenergy:", 31},
        {"field_Animation", "QLineEdit", "frEdit", 120, 3720, 1815, 285, "0", 12},
        {"field_Bioenergy", "QComboBox", "frEdit", 2040, 3720, 975, 315, "0", 11},
        {"Label8", "QLabel", "frEdit", 120, 4080, 1575, 255, "Remove Script:", 29},
        {"field_Remove_Script", "QLineEdit", "frEdit", 120, 4320, 2895, 285, "enum CLASS kill targ next", 9},
    };
    // clang-format on
    return table;
}

bool TakesFocus(const Design& d) {
    return QString(d.kind) != "QLabel" && QString(d.kind) != "QGroupBox" &&
           QString(d.kind) != "QStatusBar";
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        const QString leftovers = CloseLeftoverWindows();
        QVERIFY2(leftovers.isEmpty(), qPrintable("windows left open: " + leftovers));
    }

    void window_frame() {
        ShownMainWindow window;
        QCOMPARE(window->windowTitle(), QString("Ormel Compiler"));
        QCOMPARE(window->size(), QSize(209, 370));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->windowType(), Qt::Window);  // a normal window: in the task bar
        QVERIFY(window->windowIcon().availableSizes().contains(QSize(32, 32)));
        QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(window->LoadFinished, false);
    }

    void controls_as_designed_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("read_only");
        QTest::addColumn<bool>("button_face");
        for (const Design& d : DesignTable()) {
            QTest::newRow(d.name) << QString(d.kind) << QString(d.parent)
                                  << FromTwips(d.left, d.top, d.width, d.height)
                                  << QString(d.content) << d.read_only << d.button_face;
        }
    }

    // Tab indexes are checked as a whole by focus_follows_tab_indexes.
    void controls_as_designed() {
        QFETCH(QString, kind);
        QFETCH(QString, parent);
        QFETCH(QRect, rect);
        QFETCH(QString, content);
        QFETCH(bool, read_only);
        QFETCH(bool, button_face);

        ShownMainWindow window;
        const auto* control = window.Find(QTest::currentDataTag());
        QVERIFY2(control->inherits(kind.toLatin1()), control->metaObject()->className());
        QCOMPARE(control->parentWidget()->objectName(), parent);
        QCOMPARE(control->geometry(), rect);
        QCOMPARE(Content(*control), content);
        QVERIFY(control->isVisible());
        QVERIFY(control->isEnabled());
        if (auto* box = qobject_cast<const QLineEdit*>(control)) {
            QCOMPARE(box->isReadOnly(), read_only);
            QCOMPARE(box->maxLength(), QLineEdit().maxLength());  // no limit of its own
        }
        if (auto* list = qobject_cast<const QComboBox*>(control)) {
            QVERIFY(list->isEditable());
            QVERIFY(!list->lineEdit()->isReadOnly());
        }
        const QPalette& colours = control->palette();
        QCOMPARE(colours.color(QPalette::Base) == colours.color(QPalette::Button), button_face);
    }

    // The window holds the controls of the table and no other named ones.
    void every_control_has_a_row() {
        ShownMainWindow window;
        QStringList named;
        for (const QWidget* control : window->findChildren<QWidget*>()) {
            if (!control->objectName().isEmpty() && !control->objectName().startsWith("qt_")) {
                named << control->objectName();
            }
        }
        QStringList designed;
        for (const Design& d : DesignTable()) designed << d.name;
        named.sort();
        designed.sort();
        QCOMPARE(named, designed);
    }

    void focus_follows_tab_indexes() {
        ShownMainWindow window;
        // Ascending tab index over the controls that take the focus, round
        // to the first again.
        std::vector<Design> stops;
        for (const Design& d : DesignTable()) {
            if (TakesFocus(d)) stops.push_back(d);
        }
        std::sort(stops.begin(), stops.end(),
                  [](const Design& a, const Design& b) { return a.tab_index < b.tab_index; });
        QStringList expected;
        for (const Design& d : stops) expected << d.name;
        expected << expected.front();
        // The order the window's description spells out, for a second look.
        QCOMPARE(expected.mid(0, 4), QStringList({"tsButtons", "field_File_Ext_6",
                                                  "field_File_Ext_5", "field_File_Ext_4"}));
        QStringList visited;
        for (int step = 0; step < expected.size(); ++step) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            // A drop-down list has the focus through its line edit.
            if (auto* list = qobject_cast<QComboBox*>(focus->parentWidget())) focus = list;
            visited << focus->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected);
    }

    void list_entries() {
        ShownMainWindow window;
        const QStringList ext_texts{".c16", ".s16", ".wav", ".catalogue"};
        const QList<int> ext_codes{2, 2, 1, 7};
        for (int slot = 1; slot <= 6; ++slot) {
            const auto* list = window.Find<QComboBox>("field_File_Ext_" + QString::number(slot));
            QCOMPARE(list->count(), 4);
            QCOMPARE(list->insertPolicy(), QComboBox::NoInsert);
            QVERIFY(!list->completer());
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(list->itemText(i), ext_texts[i]);
                QCOMPARE(list->itemData(i).toInt(), ext_codes[i]);
            }
        }
        const auto texts = [](const QComboBox& list) {
            QStringList all;
            for (int i = 0; i < list.count(); ++i) all << list.itemText(i);
            return all;
        };
        QCOMPARE(texts(*window.Find<QComboBox>("field_Image_Ext")), QStringList({".c16", ".s16"}));
        QCOMPARE(texts(*window.Find<QComboBox>("field_Bioenergy")),
                 QStringList({"10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "200",
                              "300", "400", "500"}));
    }

    // No caption or label is cut off: each text fits the room up to the next
    // control on its right, and the strip shows its three captions in full.
    void texts_fit() {
        ShownMainWindow window;
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            int room = label->width();
            for (const QWidget* other : label->parentWidget()->findChildren<QWidget*>(
                     QString(), Qt::FindDirectChildrenOnly)) {
                if (other != label && other->x() > label->x() &&
                    other->geometry().intersects(label->geometry())) {
                    room = std::min(room, other->x() - label->x());
                }
            }
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= room,
                     qPrintable(label->objectName()));
            QVERIFY2(label->fontMetrics().height() <= label->height(),
                     qPrintable(label->objectName()));
        }
        const auto* script = window.Find<QLineEdit>("field_Remove_Script");
        QVERIFY(script->fontMetrics().horizontalAdvance(script->text()) <
                script->contentsRect().width());

        const auto* strip = window.Find<ui::CommandStrip>("tsButtons");
        const QFontMetrics metrics(strip->TabFont());
        for (int i = 0; i < strip->Count(); ++i) {
            QVERIFY(metrics.horizontalAdvance(strip->TabText(i)) < strip->TabRect(i).width());
            QVERIFY(strip->TabRect(i).height() >= metrics.height());
        }
        QVERIFY(strip->TabRect(strip->Count() - 1).right() < strip->width());
    }

    void hint_line_data() {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("hint");
        // "frEdit" stands for a point of the frame's bare background.
        const auto row = [](const char* name, const QStringList& path, const QString& hint) {
            QTest::newRow(name) << path << hint;
        };
        row("nothing moved yet", {}, "Welcome to Ormel 1.0!");
        row("name", {"field_Name"}, "The name of you agent.");
        row("script", {"field_COS_File"}, "The name of your .cos file.");
        row("script extension", {"field_COS_Ext"}, ".COS means script. You can't change this!");
        row("slot 1 name", {"field_File_1"}, kSlotHint);
        row("slot 4 name shows slot 1's hint", {"field_File_4"}, kSlotHint);
        row("image", {"field_Image"}, "The name of an image used for the Creator.");
        row("animation", {"field_Animation"}, "An animation string for the Creator.");
        row("remove script", {"field_Remove_Script"}, "A script to remove your agent.");
        row("name, background, check box", {"field_Name", "frEdit", "check_File_1"}, "");
        row("check box keeps", {"field_COS_File", "check_File_3"}, "The name of your .cos file.");
        row("slot list keeps", {"field_Name", "field_File_Ext_2"}, "The name of you agent.");
        row("bio-energy list keeps", {"field_Animation", "field_Bioenergy"},
            "An animation string for the Creator.");
        row("label keeps", {"field_Image", "Label5"}, "The name of an image used for the Creator.");
        row("command strip keeps", {"field_Animation", "tsButtons"},
            "An animation string for the Creator.");
        row("hint line keeps", {"field_Remove_Script", "statBar"},
            "A script to remove your agent.");
        row("welcome kept over a list", {"field_File_Ext_1", "Label1"}, "Welcome to Ormel 1.0!");
    }

    void hint_line() {
        QFETCH(QStringList, path);
        QFETCH(QString, hint);
        ShownMainWindow window;
        for (const QString& name : path) {
            // Near the left edge: labels run under the boxes to their right,
            // and the frame's controls start 8 pixels in from its edge.
            const auto* control = window.Find(name);
            window.MovePointer(*control, QPoint(4, control->height() / 2));
        }
        QCOMPARE(window->HintText(), hint);
    }

    void caption_follows_typed_name() {
        ShownMainWindow window;
        auto* name = window.Find<QLineEdit>("field_Name");
        const auto* frame = window.Find<QGroupBox>("frEdit");
        name->setFocus();
        QTest::keyClicks(name, "A");
        QCOMPARE(frame->title(), QString("A.agent - Compile"));
        QTest::keyClicks(name, "b");
        QCOMPARE(frame->title(), QString("Ab.agent - Compile"));
        QTest::keyClick(name, Qt::Key_Backspace);
        QTest::keyClick(name, Qt::Key_Backspace);
        QCOMPARE(frame->title(), QString(".agent - Compile"));
        // The program's own change of the name leaves the caption.
        name->setText("Lantern");
        QCOMPARE(frame->title(), QString(".agent - Compile"));
        QCOMPARE(window->Name(), std::string("Lantern"));
    }

    void description_reads_the_widgets() {
        ShownMainWindow window;
        const AgentDescription& agent = *window;
        QCOMPARE(agent.Name(), std::string());
        QCOMPARE(agent.COS_Ext(), std::string(".cos"));
        QCOMPARE(agent.Image_Ext(), std::string(".c16"));
        QCOMPARE(agent.Animation(), std::string("0"));
        QCOMPARE(agent.Bioenergy(), std::string("0"));
        QCOMPARE(agent.Remove_Script(), std::string("enum CLASS kill targ next"));
        QVERIFY(agent.Files(1).Used());
        for (int n = 2; n <= 6; ++n) QVERIFY(!agent.Files(n).Used());

        window.Find<QLineEdit>("field_Name")->setText(QString::fromUtf8("Lantérn"));
        window.Find<QLineEdit>("field_COS_File")->setText("lantern");
        window.Find<QLineEdit>("field_Image")->setText("lantern_icon");
        window.Find<QLineEdit>("field_Animation")->setText("[0 1 2]");
        window.Find<QLineEdit>("field_Remove_Script")->setText("rscr");
        window.Find<ui::EditableList>("field_Image_Ext")->SetText(".s16");
        window.Find<ui::EditableList>("field_Bioenergy")->SetText("250");
        window.Find<QLineEdit>("field_File_5")->setText("creak");
        window.Find<ui::EditableList>("field_File_Ext_5")->SetText(".wav");
        window.Find<ui::SlotCheckBox>("check_File_5")->SetValue(CheckValue::Checked);
        window.Find<ui::SlotCheckBox>("check_File_1")->SetValue(CheckValue::Grayed);

        QCOMPARE(agent.Name(), std::string("Lant\xc3\xa9rn"));
        QCOMPARE(agent.COS_File(), std::string("lantern"));
        QCOMPARE(agent.Image(), std::string("lantern_icon"));
        QCOMPARE(agent.Image_Ext(), std::string(".s16"));
        QCOMPARE(agent.Animation(), std::string("[0 1 2]"));
        QCOMPARE(agent.Bioenergy(), std::string("250"));
        QCOMPARE(agent.Remove_Script(), std::string("rscr"));
        const FileSlot& slot5 = agent.Files(5);
        QCOMPARE(slot5.Number(), 5);
        QVERIFY(slot5.Used());
        QCOMPARE(slot5.File(), std::string("creak"));
        QCOMPARE(slot5.File_Ext(), std::string(".wav"));
        // Set by the program, not picked: no category.
        QVERIFY_THROWS_EXCEPTION(MissingCategory, slot5.Category());
        // Grayed reads as not used.
        QCOMPARE(agent.Files(1).Check(), CheckValue::Grayed);
        QVERIFY(!agent.Files(1).Used());
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, agent.Files(0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, agent.Files(7));
    }

    void new_command_resets_the_form() {
        ShownMainWindow window;
        auto* name = window.Find<QLineEdit>("field_Name");
        name->setFocus();
        QTest::keyClicks(name, "Lantern");
        const std::array<CheckValue, 6> checks{CheckValue::Clear,  CheckValue::Checked,
                                               CheckValue::Grayed, CheckValue::Checked,
                                               CheckValue::Clear,  CheckValue::Clear};
        for (int slot = 1; slot <= 6; ++slot) {
            const QString n = QString::number(slot);
            window.Find<QLineEdit>("field_File_" + n)->setText("file" + n);
            auto* ext = window.Find<ui::EditableList>("field_File_Ext_" + n);
            ext->setFocus();
            QTest::keyClick(ext->lineEdit(), Qt::Key_Down);  // picks ".c16"
            QCOMPARE(ext->ChosenCode(), std::optional<int>(2));
            window.Find<ui::SlotCheckBox>("check_File_" + n)->SetValue(checks.at(slot - 1));
        }
        window.Find<QLineEdit>("field_COS_File")->setText("lantern");
        window.Find<QLineEdit>("field_Image")->setText("icon");
        window.Find<ui::EditableList>("field_Image_Ext")->SetText(".s16");
        window.Find<QLineEdit>("field_Animation")->setText("[1 2]");
        window.Find<ui::EditableList>("field_Bioenergy")->SetText("300");
        window.Find<QLineEdit>("field_Remove_Script")->setText("rscr");
        window.MovePointerToCentre(*window.Find("field_Image"));

        window->NewCommand();

        const AgentDescription& agent = *window;
        QCOMPARE(window.Find<QGroupBox>("frEdit")->title(), QString("untitled.agent"));
        QCOMPARE(agent.Name(), std::string());
        QCOMPARE(agent.COS_File(), std::string());
        QCOMPARE(agent.COS_Ext(), std::string(".cos"));
        QCOMPARE(window.Find<QLineEdit>("field_COS_Ext")->text(), QString(".cos"));
        QCOMPARE(agent.Image(), std::string());
        QCOMPARE(agent.Image_Ext(), std::string(".c16"));
        QCOMPARE(agent.Animation(), std::string("0"));
        QCOMPARE(agent.Bioenergy(), std::string("0"));
        QCOMPARE(agent.Remove_Script(), std::string("enum CLASS kill targ next"));
        for (int slot = 1; slot <= 6; ++slot) {
            const FileSlot& files = agent.Files(slot);
            QCOMPARE(files.File(), std::string());
            QCOMPARE(files.File_Ext(), std::string());
            QCOMPARE(files.ChosenCategory(), std::nullopt);
            QCOMPARE(files.Check(), checks.at(slot - 1));
            QCOMPARE(window.Find<QComboBox>("field_File_Ext_" + QString::number(slot))->count(), 4);
        }
        QCOMPARE(window->HintText(), QString("The name of an image used for the Creator."));
        QCOMPARE(window->windowTitle(), QString("Ormel Compiler"));
    }

    // An emptied name leaves ".agent - Compile"; New brings "untitled.agent"
    // back even though no field changes.
    void new_command_on_a_reset_form() {
        ShownMainWindow window;
        auto* name = window.Find<QLineEdit>("field_Name");
        name->setFocus();
        QTest::keyClick(name, Qt::Key_X);
        QTest::keyClick(name, Qt::Key_Backspace);
        QCOMPARE(window.Find<QGroupBox>("frEdit")->title(), QString(".agent - Compile"));
        window->NewCommand();
        QCOMPARE(window.Find<QGroupBox>("frEdit")->title(), QString("untitled.agent"));
        QCOMPARE(window->Name(), std::string());
    }
};

ORMEL_REGISTER_UI_TEST(MainWindowTest);

}  // namespace ormel::test

#include "main_window_test.moc"
