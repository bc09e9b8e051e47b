// Opening an agent in the main window: the file dialog, a file dropped on the
// window, the question whether to put the agent's files into its folder, and
// the messages that tell what the form could not hold or what Compile will
// still need. The form itself is filled by ShowOpened.
#include "ui/frmAW/frmAW.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "platform/paths.h"
#include "ui/controls/picture_panel.h"

namespace ormel::ui {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// One line for each, marked, so that a line the box wraps still reads as one.
QString JoinLines(const std::vector<std::string>& lines) {
    QStringList joined;
    for (const std::string& line : lines) joined << QStringLiteral("\u2022 ") + FromUtf8(line);
    return joined.join('\n');
}

// The one file a drag carries from the file manager, if it carries one.
std::optional<QString> DraggedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1) return std::nullopt;
    const QUrl url = data->urls().front();
    if (!url.isLocalFile()) return std::nullopt;
    return url.toLocalFile();
}

const QString kOpenCaption = QStringLiteral("Open an agent");
const QString kOpenFilter =
    QStringLiteral("Packages (*.agent *.agents);;Source documents (*.txt *.ps);;All files (*)");

std::vector<std::string> BroughtNames(const AgentOpening& opening) {
    std::vector<std::string> names;
    for (const FileToBring& file : opening.to_bring) names.push_back(file.name);
    return names;
}

// The needed files that bringing has put into the agent folder leave the list.
void DropBrought(std::vector<std::string>& needed, const AgentOpening& opening) {
    for (const FileToBring& file : opening.to_bring)
        std::erase(needed, JoinPath({opening.agent->name, file.name}));
}

}  // namespace

frmAW::FileChooser frmAW::SystemFileChooser() {
    return [](QWidget* owner, const QString& folder) {
        return QFileDialog::getOpenFileName(owner, kOpenCaption, folder, kOpenFilter);
    };
}

// The folder that holds PRAY.exe and the agent folders; empty when the
// system cannot tell it, so that no agent folder is found.
std::string frmAW::ProgramFolder() const {
    if (build_environment_) return build_environment_->program_folder;
    try {
        return BuildEnvironment::ForThisProgram().program_folder;
    } catch (const std::exception&) {
        return {};
    }
}

void frmAW::OpenCommand() {
    const QString path = file_chooser_(this, FromUtf8(ProgramFolder()));
    if (!path.isEmpty()) OpenAgentFile(path);
}

void frmAW::OpenAgentFile(const QString& path) {
    const AgentOpening opening = OpenAgent(path.toStdString(), ProgramFolder());
    const QString file = QFileInfo(path).fileName();
    if (!opening.agent) {
        message_presenter_(this, QStringLiteral("The form cannot hold %1:").arg(file),
                           JoinLines(opening.refusal));
        return;
    }
    ShowOpened(*opening.agent);
    std::vector<std::string> needed = opening.missing;
    const bool brought = OfferToBring(opening, file);
    if (brought) DropBrought(needed, opening);
    if (opening.script_unknown && !(brought && !opening.brought_cos_file.empty()))
        needed.push_back("the script: no .cos file in " + opening.agent->name +
                         " holds the package's script (a package does not keep the script's "
                         "file name); put it there and type its name beside .cos");
    if (!needed.empty())
        message_presenter_(this,
                           QStringLiteral("%1 is open. Compile will need these files, which the "
                                          "agent folder does not hold yet:")
                               .arg(file),
                           JoinLines(needed));
}

// Asks whether to put the files that Compile needs, and the package holds or
// the document has beside it, into the agent folder, and does so on Yes: all
// of them or none. A file there that differs is never replaced, so then it
// only says so. True when the files were brought.
bool frmAW::OfferToBring(const AgentOpening& opening, const QString& file) {
    const QString folder = FromUtf8(opening.agent->name);
    if (!opening.differing.empty()) {
        message_presenter_(this,
                           QStringLiteral("%1 is open. Its files are not put into the folder %2, "
                                          "as these files there differ from those of %1; nothing "
                                          "is written:")
                               .arg(file, folder),
                           JoinLines(opening.differing));
        return false;
    }
    if (opening.to_bring.empty()) return false;
    const QString question = QStringLiteral(
                                 "%1 is open. Put these files, which Compile needs, "
                                 "into the folder %2?")
                                 .arg(file, folder);
    if (!question_presenter_(this, question, JoinLines(BroughtNames(opening)))) return false;
    try {
        BringFiles(opening, ProgramFolder());
    } catch (const std::exception& error) {
        message_presenter_(this,
                           QStringLiteral("The files were not put into the folder %1:").arg(folder),
                           JoinLines({error.what()}));
        return false;
    }
    if (!opening.brought_cos_file.empty())
        field_COS_File_->setText(FromUtf8(opening.brought_cos_file));
    // The picture looked while the question was open, before its sprite
    // file was there.
    picPicture_->FieldsChanged();
    return true;
}

bool frmAW::TakeFileDrop(QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const std::optional<QString> file = DraggedFile(drop->mimeData());
    if (!file) return false;
    drop->acceptProposedAction();
    if (type == QEvent::Drop) OpenAgentFile(*file);
    return true;
}

void frmAW::dragEnterEvent(QDragEnterEvent* event) {
    TakeFileDrop(event);
}
void frmAW::dragMoveEvent(QDragMoveEvent* event) {
    TakeFileDrop(event);
}
void frmAW::dropEvent(QDropEvent* event) {
    TakeFileDrop(event);
}

}  // namespace ormel::ui
