#include "ui/frmAW/frmAW.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QStatusBar>
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "ui/controls/accessible_items.h"
#include "ui/controls/command_strip.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/interval_timer.h"
#include "ui/controls/picture_panel.h"
#include "ui/controls/slot_check_box.h"
#include "ui/event_pump.h"
#include "ui/frmAW/frmAW_design.h"
#include "ui/frmCompileIt/frmCompileIt.h"
#include "ui/frmLoad/frmLoad.h"
#include "ui/message_box.h"

// The icons are compiled into the library; a static library needs its
// resources registered by hand, once. Q_INIT_RESOURCE must be used outside
// any namespace.
static void LoadResources() {
    [[maybe_unused]] static const bool loaded = [] {
        Q_INIT_RESOURCE(ormel);
        return true;
    }();
}

namespace ormel::ui {

using namespace frmAW_design;

namespace {

std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

const QString kCaption = QStringLiteral("Ormel Compiler");
const QString kNameCaptionSuffix = QStringLiteral(".agent - Compile");
constexpr const char* kTagProperty = "Tag";

const QString kNewCaption = QStringLiteral("New");
// The blanks belong to the caption: the click handler compares all of it.
const QString kCompileCaption = QStringLiteral("            Compile           ");
const QString kHelpCaption = QStringLiteral("Help");

// The program's icon at every size drawn for it (resources/ormel.qrc holds
// nothing else under :/ormel), so that the title bar, the task bar and the
// window switcher each show one made for their size. PNGs rather than the
// scalable drawing: a static Qt for Windows has no SVG support. Each is read
// as a PNG, without detection: QIcon::addFile, and even QPixmap given "PNG",
// load every image plugin (GIF, ICO, JPEG, SVG, with their libraries) to ask
// it about the format. No name filter either: QDir matches one with a
// regular expression, which maps the PCRE library and its JIT.
QIcon ProgramIcon() {
    QIcon icon;
    for (const QFileInfo& file : QDir(":/ormel").entryInfoList(QDir::Files)) {
        QImageReader png(file.filePath(), "PNG");
        png.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(png.read()));
    }
    return icon;
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
    } else if (auto* pick = qobject_cast<QComboBox*>(&control)) {
        const int entry = pick->findData(text);
        if (entry < 0) throw std::invalid_argument("no entry " + text.toStdString());
        pick->setCurrentIndex(entry);
    } else {
        throw std::logic_error("control " + control.objectName().toStdString() + " shows no text");
    }
}

// The command strip's tabs, left to right, with the command each runs.
struct Command {
    QString caption;
    void (frmAW::*run)();
    QString description;  // for assistive technology
};

const std::array<Command, 3>& Commands() {
    static const std::array<Command, 3> commands{{
        {kNewCaption, &frmAW::NewCommand, "Empty the form for a new agent."},
        {kCompileCaption, &frmAW::CompileCommand, "Make your agent's package."},
        {kHelpCaption, &frmAW::HelpCommand, "Open the help page."},
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

    SlotCheckBox& CheckBox() const { return check_; }
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
    // The notifier's first activation is the event that ends PumpEvents; it
    // is then switched off, as the descriptor stays readable.
    bool WakeWhenReadable(std::optional<int> descriptor) override {
        end_notifier_.reset();
        if (!descriptor) return false;
        end_notifier_ = std::make_unique<QSocketNotifier>(*descriptor, QSocketNotifier::Read);
        QObject::connect(end_notifier_.get(), &QSocketNotifier::activated,
                         [notifier = end_notifier_.get()] { notifier->setEnabled(false); });
        return true;
    }
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
    std::unique_ptr<QSocketNotifier> end_notifier_;
};

struct frmAW::ResetStep {
    QWidget* control;
    QString text;
};

frmAW::frmAW(QWidget* parent) : QWidget(parent) {
    // A frame to assistive technology, named by its caption.
    UseAccessible<frmAW, RoleAccessible<QAccessible::Window>>();
    LoadResources();
    setObjectName("frmAW");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(ToPixels(kClientWidth, kClientHeight));

    setFont(FittingFont(QApplication::font(this), ControlTable()));
    CreateControls();
    FindControls();
    SetTabOrder();

    for (const Command& command : Commands())
        tsButtons_->AddTab(command.caption, command.description);
    connect(tsButtons_, &CommandStrip::clicked, this, &frmAW::tsButtons_Click);
    connect(field_Name_, &QLineEdit::textChanged, this, &frmAW::field_Name_Change);
    connect(field_Block_, &QComboBox::currentIndexChanged, this, &frmAW::field_Block_Change);
    ConnectPicture();

    tmrCompileIt_ = new IntervalTimer(this);
    tmrCompileIt_->setObjectName("tmrCompileIt");
    connect(tmrCompileIt_, &IntervalTimer::Tick, this, &frmAW::tmrCompileIt_Timer);
    help_launchers_ = SystemHelpLaunchers();
    message_presenter_ = [](QWidget* owner, const QString& text, const QString& detail) {
        ui::ShowMessage(owner, text, detail);
    };
    question_presenter_ = [](QWidget* owner, const QString& text, const QString& detail) {
        return ui::AskYesNo(owner, text, detail);
    };
    file_chooser_ = SystemFileChooser();
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this,
            &frmAW::OpenCommand);
    // A file dropped on any control opens it, rather than its path landing
    // in a text box.
    setAcceptDrops(true);
    for (QWidget* control : findChildren<QWidget*>()) control->installEventFilter(this);

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
        Describe(*control, design);
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
    QWidget* form_frame = Find<QWidget>("frEdit");
    form_frame->setMouseTracking(true);
    form_frame->installEventFilter(this);
    for (const ControlDesign& design : ControlTable()) {
        if (!design.buddy.isEmpty())
            Find<QLabel>(design.name)->setBuddy(Find<QWidget>(design.buddy));
    }
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
    field_Block_ = Find<QComboBox>("field_Block");
    field_Description_ = Find<QLineEdit>("field_Description");
    field_First_Image_ = Find<QLineEdit>("field_First_Image");
    picPicture_ = Find<PicturePanel>("picPicture");
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        slots_.at(static_cast<size_t>(slot - 1)) =
            std::make_unique<SlotView>(slot, *Find<SlotCheckBox>(SlotName("check_File_", slot)),
                                       *Find<QLineEdit>(SlotName("field_File_", slot)),
                                       *Find<EditableList>(SlotName("field_File_Ext_", slot)));
    }
}

// The picture follows every control whose text is one of its values, as the
// author types it or the program sets it, and shows its line in lblPicture.
void frmAW::ConnectPicture() {
    picPicture_->SetFields([this] {
        return PictureFields{.program_folder = ProgramFolder(),
                             .name = Name(),
                             .image = Image(),
                             .image_ext = Image_Ext(),
                             .first_image = First_Image(),
                             .animation = Animation()};
    });
    connect(picPicture_, &PicturePanel::LineChanged, Find<QLabel>("lblPicture"), &QLabel::setText);
    for (const ControlDesign& design : ControlTable()) {
        if (!design.feeds_picture) continue;
        QWidget* control = Find<QWidget>(design.name);
        if (auto* list = qobject_cast<QComboBox*>(control)) control = list->lineEdit();
        auto* box = qobject_cast<QLineEdit*>(control);
        if (!box)
            throw std::logic_error(design.name.toStdString() + " has no text for the picture");
        connect(box, &QLineEdit::textChanged, picPicture_, &PicturePanel::FieldsChanged);
    }
    picPicture_->Refresh();
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
std::string frmAW::Block() const {
    return ToUtf8(field_Block_->currentData().toString());
}
std::string frmAW::Description() const {
    return ToUtf8(field_Description_->text());
}
std::string frmAW::First_Image() const {
    return ToUtf8(field_First_Image_->text());
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
void frmAW::SetQuestionPresenter(QuestionPresenter presenter) {
    question_presenter_ = std::move(presenter);
}
void frmAW::SetFileChooser(FileChooser chooser) {
    file_chooser_ = std::move(chooser);
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

// The pointer over a control with a hint, or the keyboard focus moving into
// one, shows that hint; the pointer over the frame's bare background empties
// the hint line. Everything else leaves it. Where the window system gives a
// disabled control no pointer moves, the frame finds it under the pointer.
bool frmAW::eventFilter(QObject* watched, QEvent* event) {
    if (TakeFileDrop(event)) return true;
    const bool pointer = event->type() == QEvent::MouseMove;
    if (!pointer && event->type() != QEvent::FocusIn) return QWidget::eventFilter(watched, event);
    if (const QWidget* holder = hint_holders_.value(watched)) {
        SetHint(holder->property(kTagProperty).toString());
    } else if (pointer && watched == frEdit_) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QWidget* under = frEdit_->childAt(pos);
        if (under == nullptr) SetHint(QString());
        const QWidget* disabled_holder = hint_holders_.value(under);
        if (disabled_holder && !under->isEnabled())
            SetHint(disabled_holder->property(kTagProperty).toString());
    }
    return QWidget::eventFilter(watched, event);
}

// The later edition's agents have no bio-energy value: its box is disabled
// while DSAG is chosen, and says why.
void frmAW::field_Block_Change() {
    const bool bioenergy = Block() != kAgentBlockEntries[1];
    field_Bioenergy_->setEnabled(bioenergy);
    const QString why = bioenergy ? QString() : kNoBioenergyHint;
    field_Bioenergy_->setToolTip(why);
    field_Bioenergy_->setProperty(kTagProperty, why);
    for (QWidget* box : std::array<QWidget*, 2>{field_Bioenergy_, field_Bioenergy_->lineEdit()}) {
        box->setAccessibleDescription(bioenergy ? kBioenergyDescription : why);
        box->setMouseTracking(true);
        if (bioenergy) hint_holders_.remove(box);
        if (!bioenergy) hint_holders_.insert(box, field_Bioenergy_);
    }
}

// The author's edits of the name reach here, typed or made through assistive
// technology; New's change does not, so it leaves "untitled.agent" in place.
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
                                  {field_Block_, FromView(d.block)},
                                  {field_Description_, FromView(d.description)},
                                  {field_First_Image_, FromView(d.first_image)},
                              });
    return steps;
}

void frmAW::NewCommand() {
    // Emptying the name is the program's change: the caption stays.
    const QSignalBlocker quiet(field_Name_);
    for (const ResetStep& step : NewCommandSteps()) {
        SkipIfFails([&] { ShowText(*step.control, step.text); });
    }
    // The name's change was silent.
    picPicture_->FieldsChanged();
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

// Styles draw the focus only in a window that has seen the keyboard move it,
// and showing a window forgets that: the strip's focus at start-up was drawn
// only after the first key. The focus the window starts with is the
// keyboard's too, so it is drawn from the first frame.
void frmAW::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    setAttribute(Qt::WA_KeyboardFocusChange);
}

// Every field as the author would have typed and picked it; the caption
// follows the name as it does when the author types it.
void frmAW::ShowOpened(const OpenedAgent& agent) {
    ShowText(*field_Name_, FromUtf8(agent.name));
    ShowText(*field_COS_File_, FromUtf8(agent.cos_file));
    for (std::size_t n = 0; n < slots_.size(); ++n) {
        const OpenedRow& row = agent.rows.at(n);
        slots_[n]->CheckBox().SetValue(row.used ? CheckValue::Checked : CheckValue::Clear);
        ShowText(slots_[n]->FileBox(), FromUtf8(row.file));
        slots_[n]->ExtList().SetText({});
        if (row.entry) slots_[n]->ExtList().Choose(*row.entry);
    }
    ShowText(*field_Image_, FromUtf8(agent.image));
    ShowText(*field_Image_Ext_, FromUtf8(agent.image_ext));
    ShowText(*field_Animation_, FromUtf8(agent.animation));
    ShowText(*field_Bioenergy_, FromUtf8(agent.bioenergy));
    ShowText(*field_Remove_Script_, FromUtf8(agent.remove_script));
    ShowText(*field_Block_, FromUtf8(agent.block));
    ShowText(*field_Description_, FromUtf8(agent.description));
    ShowText(*field_First_Image_, FromUtf8(agent.first_image));
    frEdit_->setTitle(FromUtf8(agent.name) + kNameCaptionSuffix);
    // Also when every value stays as it was: the agent folder may hold
    // another sprite file now.
    picPicture_->FieldsChanged();
}

// Closing the window during a build would leave the staged copies beside the
// builder: the build finishes first (its report and clean-up, or its failure
// message), then the window closes. The dialog goes with the window, so that
// no build can start for a window that is gone.
void frmAW::closeEvent(QCloseEvent* event) {
    if (BuildRunning()) {
        close_after_build_ = true;
        event->ignore();
        return;
    }
    frmCompileIt::CloseIfOpen();
    QWidget::closeEvent(event);
}

// The timer is held for the whole build: it keeps its interval of 1 until
// the build sets it to 0, but it neither ticks nor wakes the event loop while
// the build pumps events in its wait, even when another OK arms it again.
// That builds never nest is the build run's own guard.
void frmAW::tmrCompileIt_Timer() {
    {
        const IntervalTimer::HoldScope hold(*tmrCompileIt_);
        RunBuild();
    }
    if (close_after_build_) close();
}

bool frmAW::BuildRunning() const {
    return tmrCompileIt_->Held();
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
