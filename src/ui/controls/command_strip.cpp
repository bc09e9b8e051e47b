#include "ui/controls/command_strip.h"

#include <QAccessibleEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStyleOptionTabBarBase>
#include <QStylePainter>
#include <QTabBar>
#include <algorithm>
#include <stdexcept>

#include "ui/controls/accessible_items.h"

namespace ormel::ui {

namespace {

// Blank pixels on either side of a caption inside its tab.
constexpr int kCaptionPadding = 4;
// The smallest font the strip shrinks to before it gives up shrinking.
constexpr int kSmallestPixelSize = 6;
// The height of the line under the tabs.
constexpr int kBaseHeight = 2;

int PixelSize(const QFont& font) {
    return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
}

QStyleOptionTab::TabPosition PositionOf(int index, int count) {
    if (count == 1) return QStyleOptionTab::OnlyOneTab;
    if (index == 0) return QStyleOptionTab::Beginning;
    if (index == count - 1) return QStyleOptionTab::End;
    return QStyleOptionTab::Middle;
}

// The strip as a tool bar of buttons, the one with the keyboard focus
// focused while the strip has it.
class CommandStripAccessible final : public ItemsAccessible {
  public:
    explicit CommandStripAccessible(CommandStrip* strip)
        : ItemsAccessible(strip, QAccessible::ToolBar, QAccessible::Button) {}

    int ItemCount() const override { return Strip().Count(); }
    QString ItemName(int index) const override { return Strip().TabText(index).trimmed(); }
    QString ItemDescription(int index) const override { return Strip().TabDescription(index); }
    QRect ItemRect(int index) const override { return Strip().TabRect(index); }
    QAccessible::State ItemState(int index) const override {
        QAccessible::State state;
        state.focusable = true;
        state.focused = Strip().hasFocus() && Strip().FocusTab() == index;
        return state;
    }
    void PressItem(int index) override { Strip().Press(index); }
    QAccessibleInterface* focusChild() const override {
        return Strip().hasFocus() ? Item(Strip().FocusTab()) : nullptr;
    }

  private:
    CommandStrip& Strip() const { return *static_cast<CommandStrip*>(widget()); }
};

}  // namespace

CommandStrip::CommandStrip(QWidget* parent) : QWidget(parent) {
    UseAccessible<CommandStrip, CommandStripAccessible>();
    setFocusPolicy(Qt::StrongFocus);
    Relayout();
}

void CommandStrip::AddTab(const QString& caption, const QString& description) {
    captions_.append(caption);
    descriptions_.append(description);
    Relayout();
}

QString CommandStrip::TabText(int index) const {
    return captions_.at(index);
}

void CommandStrip::SetTabText(int index, const QString& caption) {
    if (index < 0 || index >= Count()) throw std::out_of_range("no such tab");
    captions_[index] = caption;
    Relayout();
}

QString CommandStrip::SelectedCaption() const {
    return selected_ >= 0 ? captions_.at(selected_) : QString();
}

void CommandStrip::DeselectAll() {
    selected_ = -1;
    update();
}

QRect CommandStrip::TabRect(int index) const {
    return rects_.at(static_cast<size_t>(index));
}

int CommandStrip::WidthNeeded(const QFont& font) const {
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString& caption : captions_) {
        width += metrics.horizontalAdvance(caption) + 2 * kCaptionPadding;
    }
    return width;
}

void CommandStrip::Relayout() {
    tab_font_ = font();
    tab_font_.setPixelSize(PixelSize(tab_font_));
    while (WidthNeeded(tab_font_) > width() && tab_font_.pixelSize() > kSmallestPixelSize) {
        tab_font_.setPixelSize(tab_font_.pixelSize() - 1);
    }
    const QFontMetrics metrics(tab_font_);
    rects_.clear();
    int left = 0;
    for (const QString& caption : captions_) {
        const int tab_width = metrics.horizontalAdvance(caption) + 2 * kCaptionPadding;
        rects_.emplace_back(left, 0, tab_width, height() - kBaseHeight + 1);
        left += tab_width;
    }
    update();
}

QSize CommandStrip::sizeHint() const {
    const QFontMetrics metrics(font());
    return {WidthNeeded(font()), metrics.height() + 2 * kCaptionPadding + kBaseHeight};
}

QSize CommandStrip::minimumSizeHint() const {
    return sizeHint();
}

int CommandStrip::TabAt(const QPoint& pos) const {
    for (int i = 0; i < Count(); ++i) {
        if (TabRect(i).contains(pos)) return i;
    }
    return -1;
}

void CommandStrip::Press(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("no such tab");
    selected_ = index;
    focus_tab_ = index;
    update();
    emit clicked();
}

void CommandStrip::MoveFocusTab(int index) {
    focus_tab_ = std::clamp(index, 0, Count() - 1);
    update();
    ReportFocusTab();
}

// Assistive technology hears which tab has the focus: after the strip's own
// focus event, when the strip takes the focus, and at each move.
void CommandStrip::ReportFocusTab() {
    if (!hasFocus()) return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(focus_tab_);
    QAccessible::updateAccessibility(&event);
}

void CommandStrip::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);

    QStyleOptionTabBarBase base;
    base.initFrom(this);
    base.shape = QTabBar::RoundedNorth;
    base.rect = QRect(0, height() - kBaseHeight, width(), kBaseHeight);
    if (Count() > 0) base.tabBarRect = TabRect(0).united(TabRect(Count() - 1));
    if (selected_ >= 0) base.selectedTabRect = TabRect(selected_);
    painter.drawPrimitive(QStyle::PE_FrameTabBarBase, base);

    painter.setFont(tab_font_);
    for (int i = 0; i < Count(); ++i) {
        QStyleOptionTab tab;
        tab.initFrom(this);
        tab.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
        if (i == selected_) tab.state |= QStyle::State_Selected;
        tab.shape = QTabBar::RoundedNorth;
        tab.rect = TabRect(i);
        tab.position = PositionOf(i, Count());
        tab.selectedPosition = QStyleOptionTab::NotAdjacent;
        painter.drawControl(QStyle::CE_TabBarTabShape, tab);

        QRect text_rect = tab.rect;
        if (i != selected_) {
            text_rect.translate(
                0, style()->pixelMetric(QStyle::PM_TabBarTabShiftVertical, &tab, this));
        }
        painter.drawItemText(text_rect, Qt::AlignCenter, palette(), isEnabled(), captions_.at(i),
                             QPalette::WindowText);
        if (hasFocus() && i == focus_tab_) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = text_rect.adjusted(2, 3, -2, -2);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
}

void CommandStrip::mousePressEvent(QMouseEvent* event) {
    const int index = event->button() == Qt::LeftButton ? TabAt(event->position().toPoint()) : -1;
    if (index < 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    Press(index);
}

void CommandStrip::keyPressEvent(QKeyEvent* event) {
    if (Count() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Left:
            MoveFocusTab(focus_tab_ - 1);
            return;
        case Qt::Key_Right:
            MoveFocusTab(focus_tab_ + 1);
            return;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Press(focus_tab_);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void CommandStrip::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    QMetaObject::invokeMethod(this, &CommandStrip::ReportFocusTab, Qt::QueuedConnection);
}

void CommandStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void CommandStrip::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) Relayout();
}

}  // namespace ormel::ui
