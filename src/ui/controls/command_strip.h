// A row of tabs used as command buttons.
//
// Unlike QTabBar, which always keeps one tab current, the strip can show no
// selected tab at all: a click (or Space/Enter on the tab with the keyboard
// focus) selects a tab and reports clicked(); the owner runs the command and
// deselects the strip again. The captions are drawn in full, blanks
// included: the strip shrinks its font until every tab fits its width.
//
// Assistive technology sees the tabs as buttons named by their captions
// without the blanks, each with the action "Press" that does what a click
// does, and hears of the keyboard focus moving from tab to tab.
#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace ormel::ui {

class CommandStrip : public QWidget {
    Q_OBJECT

  public:
    explicit CommandStrip(QWidget* parent = nullptr);

    // description: what the tab's command does, for assistive technology.
    void AddTab(const QString& caption, const QString& description = {});
    int Count() const { return static_cast<int>(captions_.size()); }
    QString TabText(int index) const;
    QString TabDescription(int index) const { return descriptions_.at(index); }
    void SetTabText(int index, const QString& caption);

    // -1 while no tab is selected.
    int SelectedIndex() const { return selected_; }
    // The caption of the selected tab; empty while none is selected.
    QString SelectedCaption() const;
    void DeselectAll();
    // Selects the tab and reports clicked(), as a click on it does.
    void Press(int index);
    // The tab that Space and Enter press while the strip has the focus.
    int FocusTab() const { return focus_tab_; }

    QRect TabRect(int index) const;
    // The font the captions are drawn in, after shrinking to fit.
    QFont TabFont() const { return tab_font_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    int TabAt(const QPoint& pos) const;
    int WidthNeeded(const QFont& font) const;
    void Relayout();
    void MoveFocusTab(int index);
    void ReportFocusTab();

    QStringList captions_;
    QStringList descriptions_;
    std::vector<QRect> rects_;
    QFont tab_font_;
    int selected_ = -1;
    int focus_tab_ = 0;
};

}  // namespace ormel::ui
