#include "ui/frmAW/frmAW_design.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "ui/controls/command_strip.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/pick_list.h"
#include "ui/controls/picture_panel.h"
#include "ui/controls/slot_check_box.h"

namespace ormel::ui::frmAW_design {

namespace {

// The layout was drawn for an 8-point font at 96 dots per inch (11 pixels),
// grown with the layout when the system's font is larger. The toolkit's
// default family is used at that size, or smaller where the family runs
// wider, until every label fits.
constexpr int kFontPixelSize = 11;
constexpr int kSmallestFontPixelSize = 7;

const QString kWelcomeHint = QStringLiteral("Welcome to Ormel 1.0!");

void AddEntries(EditableList& list, Entries entries) {
    switch (entries) {
        case Entries::None:
            return;
        case Entries::FileExtensions:
            for (const ExtensionEntry& entry : kFileExtensionEntries) {
                list.AddEntry(FromView(entry.text), entry.category);
            }
            return;
        case Entries::ImageExtensions:
            for (std::string_view text : kImageExtensionEntries) list.AddEntry(FromView(text));
            return;
        case Entries::Bioenergy:
            for (std::string_view text : kBioenergyEntries) list.AddEntry(FromView(text));
            return;
    }
}

// The block kinds in words an author knows, the code first; the code is the
// entry's data.
void AddBlockEntries(QComboBox& list) {
    const std::array<QString, kAgentBlockEntries.size()> words{"first edition", "later edition"};
    for (std::size_t i = 0; i < kAgentBlockEntries.size(); ++i) {
        const QString code = FromView(kAgentBlockEntries[i]);
        list.addItem(code + " - " + words[i], code);
    }
}

// Each control's parent: the window, or the frame made last before it.
std::vector<QString> Parents(const std::vector<ControlDesign>& table) {
    std::vector<QString> parents;
    QString frame;
    for (const ControlDesign& design : table) {
        parents.push_back(design.placement == Placement::Window ? QString() : frame);
        if (design.kind == Kind::Frame) frame = design.name;
    }
    return parents;
}

// The pixels the label at `index` can use: up to the first control of the
// same parent that covers the label on its right (the name and image labels
// run under their boxes).
int LabelRoom(std::size_t index, const std::vector<ControlDesign>& table,
              const std::vector<QString>& parents) {
    const QRect area = ToPixels(table[index].rect);
    int right = area.right() + 1;
    for (std::size_t other = 0; other < table.size(); ++other) {
        const QRect other_area = ToPixels(table[other].rect);
        if (parents[other] == parents[index] && other_area.x() > area.x() &&
            other_area.intersects(area)) {
            right = std::min(right, other_area.x());
        }
    }
    return right - area.x();
}

bool LabelsFit(const std::vector<ControlDesign>& table, const QFont& font) {
    const QFontMetrics metrics(font);
    const std::vector<QString> parents = Parents(table);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].kind == Kind::Label &&
            metrics.horizontalAdvance(table[i].text) > LabelRoom(i, table, parents))
            return false;
    }
    return true;
}

// The control's accessible description: its own, or else its hint.
QString AccessibleDescription(const ControlDesign& design) {
    return design.description.isEmpty() ? design.hint : design.description;
}

}  // namespace

QString SlotName(const char* prefix, int slot) {
    return QString::fromLatin1(prefix) + QString::number(slot);
}

// The window's controls: name, kind, where, left/top/width/height in twips,
// tab index, start-up content, hint (Tag), and what assistive technology
// calls each and says of it. The contents that New puts back come from the
// core's form defaults.
std::vector<ControlDesign> ControlTable() {
    const FormDefaults& d = kFormDefaults;
    const Placement window = Placement::Window;
    // clang-format off
    std::vector<ControlDesign> table{
        {.name = "tsButtons", .kind = Kind::CommandStrip, .placement = window, .rect = {0, 120, 3135, 375}, .tab_index = 2,
         .accessible_name = "Commands", .description = "New, Compile and Help for your agent."},
        {.name = "frEdit", .kind = Kind::Frame, .placement = window, .rect = {0, 480, 3135, 4695}, .tab_index = 1, .text = kUntitledCaption,
         .description = "The agent you are making, and its package's name."},
        {.name = "statBar", .kind = Kind::StatusBar, .placement = window, .rect = {0, 5190, kClientWidth, 360}, .tab_index = 0, .text = kWelcomeHint,
         .accessible_name = "Hint line", .description = "A hint for the field you point at or move to."},
        {.name = "Label1", .kind = Kind::Label, .rect = {120, 240, 1575, 255}, .tab_index = 33, .text = "Name:", .buddy = "field_Name"},
        {.name = "field_Name", .kind = Kind::TextBox, .rect = {720, 240, 2295, 285}, .tab_index = 27, .text = FromView(d.name),
         .hint = "The name of you agent.", .accessible_name = "Name", .feeds_picture = true},
        {.name = "field_COS_File", .kind = Kind::TextBox, .rect = {120, 600, 1815, 285}, .tab_index = 26, .text = FromView(d.cos_file),
         .hint = "The name of your .cos file.", .accessible_name = "Script"},
        {.name = "field_COS_Ext", .kind = Kind::TextBox, .rect = {2040, 600, 975, 285}, .tab_index = 25, .text = FromView(kCosExt),
         .read_only = true, .button_face = true, .hint = ".COS means script. You can't change this!", .accessible_name = "Script type"},
    };
    // clang-format on

    // The six slot rows, 360 twips apart. Slot 1's name box holds the hint
    // that all six name boxes show.
    constexpr std::array<int, kSlotCount> kCheckTabIndex{28, 22, 20, 18, 16, 14};
    constexpr std::array<int, kSlotCount> kFileTabIndex{24, 21, 19, 17, 15, 13};
    constexpr std::array<int, kSlotCount> kExtTabIndex{23, 7, 6, 5, 4, 3};
    const QString slot_hint = "The name of an extra file, like a sound or image.";
    const QString row = QStringLiteral("File row %1");
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const auto index = static_cast<size_t>(slot - 1);
        const int top = 960 + 360 * (slot - 1);
        // clang-format off
        table.push_back({.name = SlotName("check_File_", slot), .kind = Kind::CheckBox, .rect = {120, top, 255, 255},
                         .tab_index = kCheckTabIndex[index], .check = kSlotCheckedAtStart[index],
                         .accessible_name = row.arg(slot), .description = "Check it to put this extra file in your agent."});
        table.push_back({.name = SlotName("field_File_", slot), .kind = Kind::TextBox, .rect = {480, top, 1455, 315},
                         .tab_index = kFileTabIndex[index], .text = FromView(d.file),
                         .hint = slot == 1 ? slot_hint : QString(), .hint_from = slot == 1 ? QString() : SlotName("field_File_", 1),
                         .accessible_name = row.arg(slot) + " name", .description = slot_hint});
        table.push_back({.name = SlotName("field_File_Ext_", slot), .kind = Kind::DropDown, .rect = {2040, top, 975, 315},
                         .tab_index = kExtTabIndex[index], .text = FromView(d.file_ext), .entries = Entries::FileExtensions,
                         .button_face = true, .accessible_name = row.arg(slot) + " type",
                         .description = "The type of the extra file: pick one from the list."});
        // clang-format on
    }

    // clang-format off
    const std::vector<ControlDesign> rest{
        {.name = "Label7", .kind = Kind::Label, .rect = {120, 3120, 855, 255}, .tab_index = 30, .text = "Image:", .buddy = "field_Image"},
        {.name = "field_Image", .kind = Kind::TextBox, .rect = {720, 3120, 1215, 315}, .tab_index = 10, .text = FromView(d.image),
         .hint = "The name of an image used for the Creator.", .accessible_name = "Image", .feeds_picture = true},
        {.name = "field_Image_Ext", .kind = Kind::DropDown, .rect = {2040, 3120, 975, 315}, .tab_index = 8, .text = FromView(d.image_ext),
         .entries = Entries::ImageExtensions, .button_face = true, .accessible_name = "Image type",
         .description = "The type of the image used for the Creator.", .feeds_picture = true},
        {.name = "Label5", .kind = Kind::Label, .rect = {120, 3480, 855, 255}, .tab_index = 32, .text = "Animation:", .buddy = "field_Animation"},
        {.name = "Label6", .kind = Kind::Label, .rect = {2040, 3480, 1335, 255}, .tab_index = 31, .text = "Bioenergy:", .buddy = "field_Bioenergy"},
        {.name = "field_Animation", .kind = Kind::TextBox, .rect = {120, 3720, 1815, 285}, .tab_index = 12, .text = FromView(d.animation),
         .hint = "An animation string for the Creator.", .accessible_name = "Animation", .feeds_picture = true},
        {.name = "field_Bioenergy", .kind = Kind::DropDown, .rect = {2040, 3720, 975, 315}, .tab_index = 11, .text = FromView(d.bioenergy),
         .entries = Entries::Bioenergy, .accessible_name = "Bioenergy", .description = kBioenergyDescription},
        {.name = "Label8", .kind = Kind::Label, .rect = {120, 4080, 1575, 255}, .tab_index = 29, .text = "Remove Script:", .buddy = "field_Remove_Script"},
        {.name = "field_Remove_Script", .kind = Kind::TextBox, .rect = {120, 4320, 2895, 285}, .tab_index = 9,
         .text = FromView(d.remove_script), .hint = "A script to remove your agent.", .accessible_name = "Remove Script"},
        // The controls after this frame lie in it.
        {.name = "frShow", .kind = Kind::Frame, .placement = window, .rect = {kFormWidth, 480, kFormWidth, 4695}, .tab_index = 34,
         .text = "In the game", .description = "What the game reads and shows of your agent."},
        {.name = "Label9", .kind = Kind::Label, .rect = {120, 240, 855, 255}, .tab_index = 38, .text = "Block:", .buddy = "field_Block"},
        {.name = "field_Block", .kind = Kind::PickList, .rect = {960, 240, 2055, 315}, .tab_index = 35, .text = FromView(d.block),
         .hint = "The game's edition your agent is for: pick one from the list.", .accessible_name = "Block"},
        {.name = "Label10", .kind = Kind::Label, .rect = {120, 600, 1335, 255}, .tab_index = 39, .text = "Description:", .buddy = "field_Description"},
        {.name = "field_Description", .kind = Kind::TextBox, .rect = {120, 840, 2895, 285}, .tab_index = 36, .text = FromView(d.description),
         .hint = "A description of your agent, shown in the game.", .accessible_name = "Description"},
        {.name = "Label11", .kind = Kind::Label, .rect = {120, 1200, 1335, 255}, .tab_index = 40, .text = "First Image:", .buddy = "field_First_Image"},
        {.name = "field_First_Image", .kind = Kind::TextBox, .rect = {1440, 1200, 1575, 285}, .tab_index = 37, .text = FromView(d.first_image),
         .hint = "The number of your agent's first image in its sprite file.", .accessible_name = "First Image", .feeds_picture = true},
        {.name = "picPicture", .kind = Kind::Picture, .rect = {120, 1560, 2895, 2040}, .tab_index = 41,
         .hint = "The picture the game shows of your agent in its lists.", .accessible_name = "Picture"},
        {.name = "lblPicture", .kind = Kind::Label, .rect = {120, 3660, 2895, 975}, .tab_index = 42, .word_wrap = true},
    };
    // clang-format on
    table.insert(table.end(), rest.begin(), rest.end());
    return table;
}

void UseButtonFace(QWidget& control) {
    QPalette palette = control.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    control.setPalette(palette);
}

QWidget* MakeControl(const ControlDesign& design) {
    switch (design.kind) {
        case Kind::CommandStrip:
            return new CommandStrip;
        case Kind::Frame:
            return new QGroupBox(design.text);
        case Kind::StatusBar: {
            auto* bar = new QStatusBar;
            bar->setSizeGripEnabled(false);
            bar->showMessage(design.text);
            return bar;
        }
        case Kind::Label: {
            auto* label = new QLabel(design.text);
            label->setWordWrap(design.word_wrap);
            if (design.word_wrap) label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case Kind::Picture:
            return new PicturePanel;
        case Kind::TextBox: {
            auto* box = new QLineEdit(design.text);
            box->setReadOnly(design.read_only);
            // No field limits its length (Qt's line edit cuts at 32767).
            box->setMaxLength(std::numeric_limits<int>::max());
            return box;
        }
        case Kind::CheckBox: {
            auto* box = new SlotCheckBox;
            box->SetValue(design.check);
            return box;
        }
        case Kind::DropDown: {
            auto* list = new EditableList;
            AddEntries(*list, design.entries);
            list->SetText(design.text);
            return list;
        }
        case Kind::PickList: {
            auto* list = new PickList;
            AddBlockEntries(*list);
            list->setCurrentIndex(list->findData(design.text));
            return list;
        }
    }
    throw std::logic_error("unknown control kind");
}

void Describe(QWidget& control, const ControlDesign& design) {
    control.setAccessibleName(design.accessible_name);
    control.setAccessibleDescription(AccessibleDescription(design));
    // A list takes the focus in its text box, which then speaks for it.
    if (auto* list = qobject_cast<QComboBox*>(&control); list && list->lineEdit())
        Describe(*list->lineEdit(), design);
}

bool TakesFocus(Kind kind) {
    return kind == Kind::CommandStrip || kind == Kind::TextBox || kind == Kind::CheckBox ||
           kind == Kind::DropDown || kind == Kind::PickList;
}

QFont FittingFont(const QFont& default_font, const std::vector<ControlDesign>& table) {
    QFont font = default_font;
    font.setPixelSize(static_cast<int>(std::lround(kFontPixelSize * LayoutScale())));
    while (!LabelsFit(table, font) && font.pixelSize() > kSmallestFontPixelSize) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

}  // namespace ormel::ui::frmAW_design
