#include "ui/frmAW/frmAW.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>
#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "ui/controls/command_strip.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/interval_timer.h"
#include "ui/controls/slot_check_box.h"
#include "ui/event_pump.h"
#include "ui/frmCompileIt/frmCompileIt.h"
#include "ui/frmLoad/frmLoad.h"
#include "ui/message_box.h"
#include "ui/twips.h"

// The icon is compiled into the library; a static library needs its
// resources registered by hand, once. Q_INIT_RESOURCE must be used outside
// any namespace.
static void LoadResources() {
    [[maybe_unused]] static const bool loaded = [] {
        Q_INIT_RESOURCE(ormel);
        return true;
    }();
}

namespace ormel::ui {

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

// The client area, in twips.
constexpr int kClientWidth = 3135;
constexpr int kClientHeight = 5550;

// The layout was drawn for an 8-point font at 96 dots per inch (11 pixels).
// The toolkit's default family is used at that size, or smaller where the
// family runs wider, until every label fits.
constexpr int kFontPixelSize = 11;
constexpr int kSmallestFontPixelSize = 7;

const QString kCaption = QStringLiteral("Ormel Compiler");
const QString kUntitledCaption = QStringLiteral("untitled.agent");
const QString kNameCaptionSuffix = QStringLiteral(".agent - Compile");
const QString kWelcomeHint = QStringLiteral("Welcome to Ormel 1.0!");
constexpr const char* kTagProperty = "Tag";

const QString kNewCaption = QStringLiteral("New");
// The blanks belong to the caption: the click handler compares all of it.
const QString kCompileCaption = QStringLiteral("            Compile           ");
const QString kHelpCaption = QStringLiteral("Help");

enum class Kind { CommandStrip, Frame, StatusBar, Label, TextBox, CheckBox, DropDown };
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
};

QString SlotName(const char* prefix, int slot) {
    return QString::fromLatin1(prefix) + QString::number(slot);
}

// The window's controls: name, kind, where, left/top/width/height in twips,
// tab index, start-up content, and hint (Tag). The contents that New puts
// back come from the core's form defaults.
std::vector<ControlDesign> ControlTable() {
    const FormDefaults& d = kFormDefaults;
    const Placement window = Placement::Window;
    // clang-format off
    std::vector<ControlDesign> table{
        {.name = "tsButtons", .kind = Kind::CommandStrip, .placement = window, .rect = {0, 120, 3135, 375}, .tab_index = 2},
        {.name = "frEdit", .kind = Kind::Frame, .placement = window, .rect = {0, 480, 3135, 4695}, .tab_index = 1, .text = kUntitledCaption},
        {.name = "statBar", .kind = Kind::StatusBar, .placement = window, .rect = {0, 5190, 3135, 360}, .tab_index = 0, .text = kWelcomeHint},
        {.name = "Label1", .kind = Kind::Label, .rect = {120, 240, 1575, 255}, .tab_index = 33, .text = "Name:"},
        {.name = "field_Name", .kind = Kind::TextBox, .rect = {720, 240, 2295, 285}, .tab_index = 27, .text = FromView(d.name),
         .hint = "The name of you agent."},
        {.name = "field_COS_File", .kind = Kind::TextBox, .rect = {120, 600, 1815, 285}, .tab_index = 26, .text = FromView(d.cos_file),
         .hint = "The name of your .cos file."},
        {.name = "field_COS_Ext", .kind = Kind::TextBox, .rect = {2040, 600, 975, 285}, .tab_index = 25, .text = FromView(kCosExt),
         .read_only = true, .button_face = true, .hint = ".COS means script. You can't change this!"},
    };
    // clang-format on

    // The six slot rows, 360 twips apart. Slot 1's name box holds the hint
    // that all six name boxes show.
    constexpr std::array<int, kSlotCount> kCheckTabIndex{28, 22, 20, 18, 16, 14};
    constexpr std::array<int, kSlotCount> kFileTabIndex{24, 21, 19, 17, 15, 13};
    constexpr std::array<int, kSlotCount> kExtTabIndex{23, 7, 6, 5, 4, 3};
    const QString slot_hint = "The name of an extra file, like a sound or image.";
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const auto row = static_cast<size_t>(slot - 1);
        const int top = 960 + 360 * (slot - 1);
        // clang-format off
        table.push_back({.name = SlotName("check_File_", slot), .kind = Kind::CheckBox, .rect = {120, top, 255, 255},
                         .tab_index = kCheckTabIndex[row], .check = kSlotCheckedAtStart[row]});
        table.push_back({.name = SlotName("field_File_", slot), .kind = Kind::TextBox, .rect = {480, top, 1455, 315},
                         .tab_index = kFileTabIndex[row], .text = FromView(d.file),
                         .hint = slot == 1 ? slot_hint : QString(), .hint_from = slot == 1 ? QString() : SlotName("field_File_", 1)});
        table.push_back({.name = SlotName("field_File_Ext_", slot), .kind = Kind::DropDown, .rect = {2040, top, 975, 315},
                         .tab_index = kExtTabIndex[row], .text = FromView(d.file_ext), .entries = Entries::FileExtensions,
                         .button_face = true});
        // clang-format on
    }

    // clang-format off
    const std::vector<ControlDesign> rest{
        {.name = "Label7", .kind = Kind::Label, .rect = {120, 3120, 855, 255}, .tab_index = 30, .text = "Image:"},
        {.name = "field_Image", .kind = Kind::TextBox, .rect = {720, 3120, 1215, 315}, .tab_index = 10, .text = FromView(d.image),
         .hint = "The name of an image used for the Creator."},
        {.name = "field_Image_Ext", .kind = Kind::DropDown, .rect = {2040, 3120, 975, 315}, .tab_index = 8, .text = FromView(d.image_ext),
         .entries = Entries::ImageExtensions, .button_face = true},
        {.name = "Label5", .kind = Kind::Label, .rect = {120, 3480, 855, 255}, .tab_index = 32, .text = "Animation:"},
        {.name = "Label6", .kind = Kind::Label, .rect = {2040, 3480, 1335, 255}, .tab_index = 31, .text = "Bioenergy:"},
        {.name = "field_Animation", .kind = Kind::TextBox, .rect = {120, 3720, 1815, 285}, .tab_index = 12, .text = FromView(d.animation),
         .hint = "An animation string for the Creator."},
        {.name = "field_Bioenergy", .kind = Kind::DropDown, .rect = {2040, 3720, 975, 315}, .tab_index = 11, .text = FromView(d.bioenergy),
         .entries = Entries::Bioenergy},
        {.name = "Label8", .kind = Kind::Label, .rect = {120, 4080, 1575, 255}, .tab_index = 29, .text = "Remove Script:"},
        {.name = "field_Remove_Script", .kind = Kind::TextBox, .rect = {120, 4320, 2895, 285}, .tab_index = 9,
         .text = FromView(d.remove_script), .hint = "A script to remove your agent."},
    };
    // clang-format on
    table.insert(table.end(), rest.begin(), rest.end());
    return table;
}

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

// The read-only script extension and the extension lists look like the
// window's background, not like fields to fill in.
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
        case Kind::Label:
            return new QLabel(design.text);
        case Kind::TextBox: {
            auto* box = new QLineEdit(design.text);
            box->setReadOnly(design.read_only);
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
    }
    throw std::logic_error("unknown control kind");
}

bool TakesFocus(Kind kind) {
    return kind == Kind::CommandStrip || kind == Kind::TextBox || kind == Kind::CheckBox ||
           kind == Kind::DropDown;
}

// The command strip reports no errors: a step that fails is skipped, and the
// handler goes on with the next one.
template <class Step>
void SkipIfFails(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

// Shows a text in a control as the program's own change (no edit events).
void ShowText(QWidget& control, const QString& text) {
    if (auto* frame = qobject_cast<QGroupBox*>(&control)) {
        frame->setTitle(text);
    } else if (auto* list = qobject_cast<EditableList*>(&control)) {
        list->SetText(text);
    } else if (auto* box = qobject_cast<QLineEdit*>(&control)) {
        box->setText(text);
    } else {
        throw std::logic_error("control " + control.objectName().toStdString() + " shows no text");
    }
}

// The pixels a label's text can use: up to the first control of the same
// parent that covers the label on its right (the name and image labels run
// under their boxes).
int LabelRoom(const ControlDesign& label, const std::vector<ControlDesign>& table) {
    const QRect area = ToPixels(label.rect);
    int right = area.right() + 1;
    for (const ControlDesign& other : table) {
        const QRect other_area = ToPixels(other.rect);
        if (other.placement == label.placement && other_area.x() > area.x() &&
            other_area.intersects(area)) {
            right = std::min(right, other_area.x());
        }
    }
    return right - area.x();
}

bool LabelsFit(const std::vector<ControlDesign>& table, const QFont& font) {
    const QFontMetrics metrics(font);
    return std::all_of(table.begin(), table.end(), [&](const ControlDesign& design) {
        return design.kind != Kind::Label ||
               metrics.horizontalAdvance(design.text) <= LabelRoom(design, table);
    });
}

// The window's font: the toolkit's default family at the layout's size, or
// smaller until every label fits. Set before the controls are made, so that
// they start with it.
QFont FittingFont(const QFont& default_font, const std::vector<ControlDesign>& table) {
    QFont font = default_font;
    font.setPixelSize(kFontPixelSize);
    while (!LabelsFit(table, font) && font.pixelSize() > kSmallestFontPixelSize) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

// The command strip's tabs, left to right, with the command each runs.
struct Command {
    QString caption;
    void (frmAW::*run)();
};

const std::array<Command, 3>& Commands() {
    static const std::array<Command, 3> commands{{
        {kNewCaption, &frmAW::NewCommand},
        {kCompileCaption, &frmAW::CompileCommand},
        {kHelpCaption, &frmAW::HelpCommand},
    }};
    return commands;
}

}  // namespace

// One slot row of the window, read as a FileSlot.
class frmAW::SlotView final : public FileSlot {
  public:
    SlotView(int number, SlotCheckBox& check, QLineEdit& file, EditableList& ext)
        : number_(number), check_(check), file_(file), ext_(ext) {}

    CheckValue Check() const override { return check_.Value(); }
    std::string File() const override { return ToUtf8(file_.text()); }
    std::string File_Ext() const override { return ToUtf8(ext_.Text()); }
    std::optional<int> ChosenCategory() const override { return ext_.ChosenCode(); }
    int Number() const override { return number_; }

    QLineEdit& FileBox() const { return file_; }
    EditableList& ExtList() const { return ext_; }

  private:
    int number_;
    SlotCheckBox& check_;
    QLineEdit& file_;
    EditableList& ext_;
};

// What the build needs of the window: the form, the completion flag, the
// progress window, the event pump, the message box and the build timer.
class frmAW::Host final : public BuildHost {
  public:
    explicit Host(frmAW& window) : window_(window) {}

    const AgentDescription& Description() const override { return window_; }
    bool LoadFinished() const override { return window_.LoadFinished; }
    void SetLoadFinished(bool finished) override { window_.LoadFinished = finished; }
    void ShowProgressWindow() override { window_.ShowProgressWindow(); }
    void PumpEvents(std::chrono::milliseconds max_wait) override { ui::PumpEvents(max_wait); }
    void ShowMessage(const std::string& text, const std::string& detail) override {
        window_.message_presenter_(&window_, QString::fromStdString(text),
                                   QString::fromStdString(detail));
    }
    void SetCompileTimerInterval(int milliseconds) override {
        window_.SetCompileTimerInterval(milliseconds);
    }
    void SetBusy(bool busy) override {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    }

  private:
    frmAW& window_;
};

struct frmAW::ResetStep {
    QWidget* control;
    QString text;
};

frmAW::frmAW(QWidget* parent) : QWidget(parent) {
    LoadResources();
    setObjectName("frmAW");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    setWindowIcon(QIcon(":/ormel/ormel.png"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(ToPixels(kClientWidth, kClientHeight));

    setFont(FittingFont(QApplication::font(this), ControlTable()));
    CreateControls();
    FindControls();
    SetTabOrder();

    for (const Command& command : Commands()) tsButtons_->AddTab(command.caption);
    connect(tsButtons_, &CommandStrip::clicked, this, &frmAW::tsButtons_Click);
    connect(field_Name_, &QLineEdit::textEdited, this, &frmAW::field_Name_Change);

    tmrCompileIt_ = new IntervalTimer(this);
    tmrCompileIt_->setObjectName("tmrCompileIt");
    connect(tmrCompileIt_, &IntervalTimer::Tick, this, &frmAW::tmrCompileIt_Timer);
    help_launchers_ = SystemHelpLaunchers();
    message_presenter_ = [](QWidget* owner, const QString& text, const QString& detail) {
        ui::ShowMessage(owner, text, detail);
    };

    tsButtons_->setFocus();
}

frmAW::~frmAW() = default;

void frmAW::CreateControls() {
    QWidget* frame = nullptr;
    for (const ControlDesign& design : ControlTable()) {
        QWidget* control = MakeControl(design);
        control->setObjectName(design.name);
        control->setParent(design.placement == Placement::Window ? this : frame);
        control->setGeometry(ToPixels(design.rect));
        if (design.button_face) UseButtonFace(*control);
        if (design.kind == Kind::Frame) frame = control;
        if (TakesFocus(design.kind)) tab_stops_.emplace_back(design.tab_index, control);

        if (!design.hint.isEmpty()) control->setProperty(kTagProperty, design.hint);
        if (!design.hint.isEmpty() || !design.hint_from.isEmpty()) {
            const QWidget* holder =
                design.hint_from.isEmpty() ? control : Find<QWidget>(design.hint_from);
            hint_holders_.insert(control, holder);
            control->setMouseTracking(true);
            control->installEventFilter(this);
        }
    }
    frame->setMouseTracking(true);
    frame->installEventFilter(this);
}

template <class Control>
Control* frmAW::Find(const QString& name) const {
    auto* control = findChild<Control*>(name);
    if (!control) throw std::logic_error("the window has no control " + name.toStdString());
    return control;
}

void frmAW::FindControls() {
    tsButtons_ = Find<CommandStrip>("tsButtons");
    frEdit_ = Find<QGroupBox>("frEdit");
    statBar_ = Find<QStatusBar>("statBar");
    field_Name_ = Find<QLineEdit>("field_Name");
    field_COS_File_ = Find<QLineEdit>("field_COS_File");
    field_Image_ = Find<QLineEdit>("field_Image");
    field_Image_Ext_ = Find<EditableList>("field_Image_Ext");
    field_Animation_ = Find<QLineEdit>("field_Animation");
    field_Bioenergy_ = Find<EditableList>("field_Bioenergy");
    field_Remove_Script_ = Find<QLineEdit>("field_Remove_Script");
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        slots_.at(static_cast<size_t>(slot - 1)) =
            std::make_unique<SlotView>(slot, *Find<SlotCheckBox>(SlotName("check_File_", slot)),
                                       *Find<QLineEdit>(SlotName("field_File_", slot)),
                                       *Find<EditableList>(SlotName("field_File_Ext_", slot)));
    }
}

// Keyboard focus runs through the controls in ascending tab index.
void frmAW::SetTabOrder() {
    std::sort(tab_stops_.begin(), tab_stops_.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < tab_stops_.size(); ++i) {
        QWidget::setTabOrder(tab_stops_[i - 1].second, tab_stops_[i].second);
    }
}

std::string frmAW::Name() const {
    return ToUtf8(field_Name_->text());
}
std::string frmAW::COS_File() const {
    return ToUtf8(field_COS_File_->text());
}

const FileSlot& frmAW::Files(int n) const {
    if (n < 1 || n > kSlotCount) throw std::out_of_range("no file slot " + std::to_string(n));
    return *slots_.at(static_cast<size_t>(n - 1));
}

std::string frmAW::Image() const {
    return ToUtf8(field_Image_->text());
}
std::string frmAW::Image_Ext() const {
    return ToUtf8(field_Image_Ext_->Text());
}
std::string frmAW::Animation() const {
    return ToUtf8(field_Animation_->text());
}
std::string frmAW::Bioenergy() const {
    return ToUtf8(field_Bioenergy_->Text());
}
std::string frmAW::Remove_Script() const {
    return ToUtf8(field_Remove_Script_->text());
}

void frmAW::SetCompileTimerInterval(int ms) {
    tmrCompileIt_->SetInterval(ms);
}
int frmAW::CompileTimerInterval() const {
    return tmrCompileIt_->Interval();
}
void frmAW::SetBuildRun(BuildRun run) {
    build_run_ = std::move(run);
}
void frmAW::SetBuildEnvironment(BuildEnvironment environment) {
    build_environment_ = std::move(environment);
}
void frmAW::SetMessagePresenter(MessagePresenter presenter) {
    message_presenter_ = std::move(presenter);
}
void frmAW::SetHelpLaunchers(HelpLaunchers launchers) {
    help_launchers_ = std::move(launchers);
}
void frmAW::ShowProgressWindow() {
    frmLoad::ShowFor(*this);
}

QString frmAW::HintText() const {
    return statBar_->currentMessage();
}

void frmAW::SetHint(const QString& text) {
    if (text.isEmpty()) {
        statBar_->clearMessage();
    } else {
        statBar_->showMessage(text);
    }
}

// The pointer over a control with a hint shows that hint; over the frame's
// bare background it empties the hint line. Everything else leaves it.
bool frmAW::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseMove) return QWidget::eventFilter(watched, event);
    if (watched == frEdit_) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (frEdit_->childAt(pos) == nullptr) SetHint(QString());
    } else if (const QWidget* holder = hint_holders_.value(watched)) {
        SetHint(holder->property(kTagProperty).toString());
    }
    return QWidget::eventFilter(watched, event);
}

// Only the author's own edits of the name reach here (textEdited), never the
// program's changes, so New leaves "untitled.agent" in place.
void frmAW::field_Name_Change(const QString& text) {
    frEdit_->setTitle(text + kNameCaptionSuffix);
}

void frmAW::tsButtons_Click() {
    QString caption;
    SkipIfFails([&] { caption = tsButtons_->SelectedCaption(); });
    // The whole caption, blanks and case included, picks the command.
    for (const Command& command : Commands()) {
        if (caption == command.caption) {
            SkipIfFails([&] { (this->*command.run)(); });
            break;
        }
    }
    tsButtons_->DeselectAll();
}

std::vector<frmAW::ResetStep> frmAW::NewCommandSteps() const {
    const FormDefaults& d = kFormDefaults;
    std::vector<ResetStep> steps{
        {frEdit_, kUntitledCaption},
        {field_Name_, FromView(d.name)},
        {field_COS_File_, FromView(d.cos_file)},
    };
    for (const auto& slot : slots_) steps.push_back({&slot->FileBox(), FromView(d.file)});
    for (const auto& slot : slots_) steps.push_back({&slot->ExtList(), FromView(d.file_ext)});
    steps.insert(steps.end(), {
                                  {field_Image_, FromView(d.image)},
                                  {field_Image_Ext_, FromView(d.image_ext)},
                                  {field_Animation_, FromView(d.animation)},
                                  {field_Bioenergy_, FromView(d.bioenergy)},
                                  {field_Remove_Script_, FromView(d.remove_script)},
                              });
    return steps;
}

void frmAW::NewCommand() {
    for (const ResetStep& step : NewCommandSteps()) {
        SkipIfFails([&] { ShowText(*step.control, step.text); });
    }
}

void frmAW::CompileCommand() {
    // The dialog has no owner and may outlive the window by a moment.
    QPointer<frmAW> window(this);
    frmCompileIt::ShowSingle([window] {
        if (window) window->SetCompileTimerInterval(1);
    });
}

void frmAW::HelpCommand() {
    OpenHelpPage(help_launchers_);
}

// Closing the window during a build would leave the staged copies beside the
// builder: the build finishes first (its report and clean-up, or its failure
// message), then the window closes. The dialog goes with the window, so that
// no build can start for a window that is gone.
void frmAW::closeEvent(QCloseEvent* event) {
    if (build_running_) {
        close_after_build_ = true;
        event->ignore();
        return;
    }
    frmCompileIt::CloseIfOpen();
    QWidget::closeEvent(event);
}

// A tick that falls due while a build is still running (the build pumps
// events while it waits) starts no second build: builds never nest.
void frmAW::tmrCompileIt_Timer() {
    if (build_running_) return;
    {
        build_running_ = true;
        struct Done {
            bool& running;
            ~Done() { running = false; }
        } done{build_running_};
        RunBuild();
    }
    if (close_after_build_) close();
}

void frmAW::RunBuild() {
    if (build_run_) {
        build_run_(*this);
        return;
    }
    Host host(*this);
    ormel::RunBuild(host, AgentBuild, [this] {
        return build_environment_ ? *build_environment_ : BuildEnvironment::ForThisProgram();
    });
}

}  // namespace ormel::ui
