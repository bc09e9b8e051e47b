// The main window: the form that holds one agent's description, the command
// strip, the hint line, and the state through which a build is started
// (tmrCompileIt) and its wait is ended (LoadFinished).
//
// The window is the agent description: every read answers from the widgets
// at the moment of the call, nothing is copied.
#pragma once

#include <QHash>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "agent/agent_description.h"
#include "agent/agent_opening.h"
#include "agent/build_run.h"
#include "ui/help.h"
#include "ui/message_box.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QStatusBar;

namespace ormel::ui {

class CommandStrip;
class EditableList;
class IntervalTimer;
class PicturePanel;
class SlotCheckBox;

class frmAW : public QWidget, public AgentDescription {
    Q_OBJECT

  public:
    // Replaces the build that a tick of tmrCompileIt runs, for tests of the
    // timer alone. It must set the timer's interval back to 0 when it ends,
    // or the timer ticks again.
    using BuildRun = std::function<void(frmAW&)>;

    explicit frmAW(QWidget* parent = nullptr);
    ~frmAW() override;

    // False at start. The build sets it false before it shows the progress
    // window and waits until the progress window sets it true.
    bool LoadFinished = false;

    // The agent description, read from the widgets.
    std::string Name() const override;
    std::string COS_File() const override;
    const FileSlot& Files(int n) const override;
    std::string Image() const override;
    std::string Image_Ext() const override;
    std::string Animation() const override;
    std::string Bioenergy() const override;
    std::string Remove_Script() const override;
    std::string Block() const override;
    std::string Description() const override;
    std::string First_Image() const override;

    // tmrCompileIt: a positive interval arms it, 0 stops it.
    void SetCompileTimerInterval(int ms);
    int CompileTimerInterval() const;
    void SetBuildRun(BuildRun run);
    // Where the build works: the program's own folder, worked out when a
    // build starts, unless a test puts a temporary one in its place.
    void SetBuildEnvironment(BuildEnvironment environment);
    // How the window shows its messages: in the real message box unless a
    // test records them instead.
    void SetMessagePresenter(MessagePresenter presenter);
    // How the window asks a yes-or-no question: in the real message box
    // unless a test answers it.
    void SetQuestionPresenter(QuestionPresenter presenter);
    // Shows the progress window frmLoad, modeless; returns at once.
    void ShowProgressWindow();
    // True from a tick of tmrCompileIt until its build has ended.
    bool BuildRunning() const;

    // The handles of the latest build (AgentFSO, AgentFileName, AgentFile),
    // kept until the next build replaces them.
    BuildHandles AgentBuild;

    // The text of the hint line.
    QString HintText() const;

    // The command strip's click handler: runs the command whose caption
    // matches the selected tab exactly, then deselects every tab. No error
    // escapes it.
    void tsButtons_Click();
    // Resets the form for a new agent; the check boxes keep their state.
    void NewCommand();
    // Shows the compile confirmation dialog, whose OK arms tmrCompileIt.
    void CompileCommand();
    // Opens the help page in a browser.
    void HelpCommand();
    // Ctrl+O: asks for a package or source document, starting in the program
    // folder, and opens it.
    void OpenCommand();
    // Fills the form from a package (.agent, .agents) or a source document
    // (.txt), replacing what it holds as New does, without asking. A file the
    // form cannot hold is refused in a message that lists what does not fit,
    // and the form stays as it was. Files that Compile will need and that the
    // agent folder lacks are named in a message. Those the package holds, or
    // that lie beside the document, the window offers to put into the agent
    // folder: all of them when the author says yes, nothing otherwise, and
    // nothing while a file there differs from its namesake.
    void OpenAgentFile(const QString& path);
    // How Ctrl+O asks for the file: the file dialog unless a test answers.
    using FileChooser = std::function<QString(QWidget* owner, const QString& folder)>;
    void SetFileChooser(FileChooser chooser);
    // The system's file dialog, starting in the given folder.
    static FileChooser SystemFileChooser();
    // How the Help command starts a browser; tests start nothing.
    void SetHelpLaunchers(HelpLaunchers launchers);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A file dropped anywhere on the window opens it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    class SlotView;
    class Host;
    struct ResetStep;

    void CreateControls();
    void FindControls();
    void SetTabOrder();
    template <class Control>
    Control* Find(const QString& name) const;
    std::vector<ResetStep> NewCommandSteps() const;
    void SetHint(const QString& text);
    void field_Name_Change(const QString& text);
    void tmrCompileIt_Timer();
    void RunBuild();
    std::string ProgramFolder() const;
    bool TakeFileDrop(QEvent* event);
    void ShowOpened(const OpenedAgent& agent);
    bool OfferToBring(const AgentOpening& opening, const QString& file);
    void field_Block_Change();
    void ConnectPicture();

    CommandStrip* tsButtons_ = nullptr;
    QGroupBox* frEdit_ = nullptr;
    QStatusBar* statBar_ = nullptr;
    QLineEdit* field_Name_ = nullptr;
    QLineEdit* field_COS_File_ = nullptr;
    QLineEdit* field_Image_ = nullptr;
    EditableList* field_Image_Ext_ = nullptr;
    QLineEdit* field_Animation_ = nullptr;
    EditableList* field_Bioenergy_ = nullptr;
    QLineEdit* field_Remove_Script_ = nullptr;
    QComboBox* field_Block_ = nullptr;
    QLineEdit* field_Description_ = nullptr;
    QLineEdit* field_First_Image_ = nullptr;
    std::array<std::unique_ptr<SlotView>, kSlotCount> slots_;
    PicturePanel* picPicture_ = nullptr;
    IntervalTimer* tmrCompileIt_ = nullptr;

    // For each control with a hint: the control whose Tag holds its text.
    QHash<const QObject*, const QWidget*> hint_holders_;
    // (tab index, control), for the focus order.
    std::vector<std::pair<int, QWidget*>> tab_stops_;

    BuildRun build_run_;
    std::optional<BuildEnvironment> build_environment_;
    HelpLaunchers help_launchers_;
    MessagePresenter message_presenter_;
    QuestionPresenter question_presenter_;
    FileChooser file_chooser_;
    // The author closed the window during a build: it closes once the build
    // has reported and cleaned up.
    bool close_after_build_ = false;
};

}  // namespace ormel::ui
