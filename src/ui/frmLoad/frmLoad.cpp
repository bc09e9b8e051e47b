#include "ui/frmLoad/frmLoad.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <stdexcept>
#include <string>

#include "ui/controls/accessible_items.h"
#include "ui/frmAW/frmAW.h"
#include "ui/single_window.h"
#include "ui/twips.h"

namespace ormel::ui {

namespace {

constexpr int kClientWidth = 2295;
constexpr int kClientHeight = 735;
constexpr TwipsRect kBarRect{120, 360, 2055, 255};
constexpr TwipsRect kLabelRect{120, 120, 2295, 255};
constexpr std::chrono::milliseconds kDesignTickInterval{100};
constexpr int kSteps = 10;
const QString kCompiling = QStringLiteral("Compiling...");

std::chrono::milliseconds& TickIntervalSetting() {
    static std::chrono::milliseconds interval = kDesignTickInterval;
    return interval;
}

SingleWindow<frmLoad>& TheWindow() {
    static SingleWindow<frmLoad> window;
    return window;
}

}  // namespace

frmLoad* frmLoad::ShowFor(frmAW& main) {
    return TheWindow().Show([&] {
        auto* window = new frmLoad(main);
        window->CentreOnScreen();
        return window;
    });
}

frmLoad* frmLoad::Current() {
    return TheWindow().Open();
}

void frmLoad::SetTickInterval(std::chrono::milliseconds interval) {
    if (interval.count() <= 0) {
        throw std::out_of_range("tick interval " + std::to_string(interval.count()) +
                                " ms is not positive");
    }
    TickIntervalSetting() = interval;
}

std::chrono::milliseconds frmLoad::TickInterval() {
    return TickIntervalSetting();
}

frmLoad::frmLoad(frmAW& main) : main_(&main) {
    // An alert to assistive technology: a screen reader announces it as it
    // appears, named by its label, and the bar's value as it moves.
    UseAccessible<frmLoad, RoleAccessible<QAccessible::AlertMessage>>();
    setObjectName("frmLoad");
    // No title bar, no close box, no task-bar entry.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    // The fixed dialog frame, drawn inside the client area.
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setFixedSize(ToPixels(kClientWidth, kClientHeight));

    tmrLoad_ = new QTimer(this);
    tmrLoad_->setObjectName("tmrLoad");
    tmrLoad_->setInterval(TickIntervalSetting());
    connect(tmrLoad_, &QTimer::timeout, this, &frmLoad::tmrLoad_Timer);

    pbrLoad_ = new QProgressBar(this);
    pbrLoad_->setObjectName("pbrLoad");
    pbrLoad_->setGeometry(ToPixels(kBarRect));
    pbrLoad_->setRange(0, kSteps);
    pbrLoad_->setValue(0);
    pbrLoad_->setTextVisible(false);
    pbrLoad_->setAccessibleName(kCompiling);
    pbrLoad_->setAccessibleDescription("How far the wait for the package builder has come.");

    setAccessibleName(kCompiling);
    lbl1_ = new QLabel(kCompiling, this);
    lbl1_->setObjectName("lbl1");
    lbl1_->setGeometry(ToPixels(kLabelRect));
    // The bar covers the label where they overlap (a pixel row), as a control
    // covers a caption drawn on its window. Left out there, the label is not
    // drawn again, its text laid out anew, each time a tick repaints the bar.
    const QRect covered = pbrLoad_->geometry().translated(-lbl1_->pos());
    lbl1_->setMask(QRegion(lbl1_->rect()).subtracted(covered));
}

void frmLoad::CentreOnScreen() {
    QScreen* screen = main_ && main_->screen() ? main_->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = rect();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

// The timer runs from the moment the window is shown.
void frmLoad::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    if (!tmrLoad_->isActive()) tmrLoad_->start();
}

void frmLoad::tmrLoad_Timer() {
    pbrLoad_->setValue(pbrLoad_->value() + 1);
    if (pbrLoad_->value() == kSteps) {
        if (main_) main_->LoadFinished = true;
        close();
    }
}

void frmLoad::closeEvent(QCloseEvent* event) {
    tmrLoad_->stop();
    TheWindow().Closed(this);
    if (main_) main_->LoadFinished = true;
    event->accept();
}

}  // namespace ormel::ui
