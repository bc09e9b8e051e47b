// The main window as designed: every control with its kind, place in twips,
// tab index, start-up content, hint, accessible name and description, and the
// font the window uses so that every label fits its place. frmAW builds
// itself from this table.
#pragma once

#include <QFont>
#include <QString>
#include <string_view>
#include <vector>

#include "agent/agent_description.h"
#include "ui/twips.h"

class QWidget;

namespace ormel::ui::frmAW_design {

// The client area, in twips: the designed form on the left, and beside it a
// second frame of the same size for what the game shows of the agent.
constexpr int kFormWidth = 3135;
constexpr int kClientWidth = 2 * kFormWidth;
constexpr int kClientHeight = 5550;

inline const QString kUntitledCaption = QStringLiteral("untitled.agent");
// The bio-energy box's hint while the later edition's block is chosen.
inline const QString kNoBioenergyHint =
    QStringLiteral("Agents of the later edition have no bio-energy value.");
inline const QString kBioenergyDescription =
    QStringLiteral("The bio-energy your agent costs to make.");

inline QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The PickList, the agent block's list, is chosen from only: it shows words
// beside each block's code and reads as the code.
enum class Kind {
    CommandStrip,
    Frame,
    StatusBar,
    Label,
    TextBox,
    CheckBox,
    DropDown,
    PickList,
    Picture
};
enum class Placement { Window, Frame };
enum class Entries { None, FileExtensions, ImageExtensions, Bioenergy };

// One control of the window as designed. Window-level controls come before
// the frame's own, so that the frame exists when its controls are made.
struct ControlDesign {
    QString name;
    Kind kind;
    Placement placement = Placement::Frame;
    TwipsRect rect{};
    int tab_index = -1;
    // Caption, text or shown text at start-up.
    QString text = {};
    Entries entries = Entries::None;
    bool read_only = false;
    bool button_face = false;
    // The control's Tag: the hint shown while the pointer moves over it.
    QString hint = {};
    // A control that shows another control's Tag instead of its own.
    QString hint_from = {};
    CheckValue check = CheckValue::Clear;
    // What assistive technology calls the control, and what it says of it:
    // the description is the hint the control shows, or one in its voice.
    QString accessible_name = {};
    QString description = {};
    // A label's box: the label names it for assistive technology.
    QString buddy = {};
    // A label whose text breaks into lines.
    bool word_wrap = false;
    // The control's text is one of the values that choose the picture.
    bool feeds_picture = false;
};

// "prefix" followed by the slot number, e.g. check_File_3.
QString SlotName(const char* prefix, int slot);

// The window's controls in creation order.
std::vector<ControlDesign> ControlTable();

// A fresh control as designed, with its start-up content; without name,
// parent or place.
QWidget* MakeControl(const ControlDesign& design);

// Gives the control its accessible name and description.
void Describe(QWidget& control, const ControlDesign& design);

// The read-only script extension and the extension lists look like the
// window's background, not like fields to fill in.
void UseButtonFace(QWidget& control);

// Whether the control takes part in the keyboard focus order.
bool TakesFocus(Kind kind);

// The window's font: the toolkit's default family at the layout's size (grown
// as the layout is by a larger system font), or smaller until every label
// fits. Set before the controls are made, so that
// they start with it.
QFont FittingFont(const QFont& default_font, const std::vector<ControlDesign>& table);

}  // namespace ormel::ui::frmAW_design
