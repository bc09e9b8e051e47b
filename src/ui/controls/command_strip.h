// A row of tabs used as command buttons.
//
// Unlike QTabBar, which always keeps one tab current, the strip can show no
// selected tab at all: a click (or Space/Enter on the tab with the keyboard
// focus) selects a tab and reports clicked(); the owner runs the command and
// deselects the strip again. The captions are drawn in full, blanks
// included: the strip shrinks its font until every tab fits its width.
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

    void AddTab(const QString& caption);
    int Count() const { return static_cast<int>(captions_.size()); }
    QString TabText(int index) const;
    void SetTabText(int index, const QString& caption);

    // -1 while no tab is selected.
    int SelectedIndex() const { return selected_; }
    // The caption of the selected tab; empty while none is selected.
    QString SelectedCaption() const;
    void DeselectAll();

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
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    int TabAt(const QPoint& pos) const;
    int WidthNeeded(const QFont& font) const;
    void Relayout();
    void Select(int index);

    QStringList captions_;
    std::vector<QRect> rects_;
    QFont tab_font_;
    int selected_ = -1;
    int focus_tab_ = 0;
};

}  // namespace ormel::ui
