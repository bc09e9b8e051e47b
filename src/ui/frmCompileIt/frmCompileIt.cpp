#include "ui/frmCompileIt/frmCompileIt.h"

#include <utility>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>

#include "ui/controls/accessible_items.h"
#include "ui/single_window.h"
#include "ui/twips.h"

namespace ormel::ui {

namespace {

constexpr int kClientWidth = 3855;
constexpr int kClientHeight = 3135;

// The controls' places in the client area, in twips, in creation order.
struct Placement {
    const char* name;
    TwipsRect rect;
};

constexpr Placement kPlacements[] = {
    {"btnCancel", {1920, 2520, 1815, 495}},
    {"btnOK", {120, 2520, 1815, 495}},
    {"Text1", {120, 120, 3615, 2295}},
};

void PlaceControls(QWidget* window) {
    for (const Placement& place : kPlacements) {
        window->findChild<QWidget*>(place.name, Qt::FindDirectChildrenOnly)
            ->setGeometry(ToPixels(place.rect));
    }
}

QPushButton* MakeButton(QWidget* window, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, window);
    button->setObjectName(name);
    // Neither button answers Enter.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// What assistive technology says of the dialog's controls.
void DescribeControls(QPushButton& ok, QPushButton& cancel, QTextEdit& text) {
    ok.setAccessibleDescription("Compile your agent now.");
    cancel.setAccessibleDescription("Go back to the form without compiling.");
    text.setAccessibleName("Checklist");
    text.setAccessibleDescription("What has to be in place before you compile.");
}

// The box has no scroll bars, so the whole checklist must fit in it. The
// toolkit's default font is kept when it fits; a larger desktop font is
// stepped down in half points until the wrapped text fits the box.
// The text is drawn antialiased, from the font's outlines: at the small sizes
// it may be stepped down to, a font's hand-made small-size glyphs can lose
// strokes and be wider than measured (Wine's Tahoma at 9 and 10 pixels drops
// the stems of "l" and "r" and clips the line's end).
void FitFontToBox(QTextEdit* box) {
    constexpr qreal kStep = 0.5;
    constexpr qreal kSmallest = 6.0;
    box->ensurePolished();
    const QRect room = box->contentsRect();
    QTextDocument probe;
    probe.setDocumentMargin(box->document()->documentMargin());
    probe.setDefaultTextOption(box->document()->defaultTextOption());
    probe.setPlainText(box->toPlainText());
    probe.setTextWidth(room.width());
    QFont font = box->font();
    font.setStyleStrategy(QFont::PreferAntialias);
    probe.setDefaultFont(font);
    while (probe.size().height() > room.height() && font.pointSizeF() - kStep >= kSmallest) {
        font.setPointSizeF(font.pointSizeF() - kStep);
        probe.setDefaultFont(font);
    }
    box->setFont(font);
}

QTextEdit* MakeChecklistBox(QWidget* window) {
    auto* box = new QTextEdit(window);
    box->setObjectName("Text1");
    box->setReadOnly(true);
    box->setAcceptRichText(false);
    // Read-only, but the author can still move through and select the text.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setTabChangesFocus(true);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QTextEdit::WidgetWidth);
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setPlainText(frmCompileIt::kChecklist);
    return box;
}

SingleWindow<frmCompileIt>& TheDialog() {
    static SingleWindow<frmCompileIt> dialog;
    return dialog;
}

}  // namespace

const QString frmCompileIt::kChecklist = QStringLiteral(
    "Make sure the following are true. If not, click \r\n"
    "cancel.\r\n"
    "\r\n"
    "* All files needed are in a folder with the name of your agent.\r\n"
    "\r\n"
    "* The folder is in the directory where ormel.exe is.\r\n"
    "\r\n"
    "* Filename fields used have a check next to them.\r\n"
    "\r\n"
    "* All other fields are filled out.\r\n");

frmCompileIt::frmCompileIt(std::function<void()> onOk)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      onOk_(std::move(onOk)) {
    // A dialog to assistive technology, named by its caption.
    UseAccessible<frmCompileIt, RoleAccessible<QAccessible::Dialog>>();
    setObjectName("frmCompileIt");
    setWindowTitle("Compile?");
    setFixedSize(ToPixels(kClientWidth, kClientHeight));

    auto* cancel = MakeButton(this, "btnCancel", "Cancel");
    auto* ok = MakeButton(this, "btnOK", "OK");
    auto* text = MakeChecklistBox(this);
    PlaceControls(this);
    FitFontToBox(text);
    DescribeControls(*ok, *cancel, *text);

    setTabOrder(text, ok);
    setTabOrder(ok, cancel);
    text->setFocus();

    connect(ok, &QPushButton::clicked, this, &frmCompileIt::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
}

frmCompileIt* frmCompileIt::ShowSingle(std::function<void()> onOk) {
    frmCompileIt* dialog = TheDialog().Show([&] { return new frmCompileIt(std::move(onOk)); });
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

frmCompileIt* frmCompileIt::Instance() {
    return TheDialog().Open();
}

void frmCompileIt::CloseIfOpen() {
    TheDialog().CloseAndDelete();
}

// OK arms the build first and then closes the dialog; the build starts on a
// later timer tick, when the dialog is already gone.
void frmCompileIt::OnOk() {
    if (onOk_) onOk_();
    close();
}

// A closed dialog is no longer the open one, even while its deletion is still
// pending, so the next showing creates a fresh dialog.
void frmCompileIt::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) TheDialog().Closed(this);
}

// Enter and Escape do nothing here: no default button, no cancel key.
void frmCompileIt::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace ormel::ui
