// The agent's picture as the game shows it in its lists: the image that the
// form's values choose, at its own size where it fits and otherwise scaled
// down with its proportions kept, centred, transparent pixels showing the
// window's background. An animation of several frames plays at ten frames a
// second, starting again at the end.
//
// Changes of the form's values are gathered by a short single-shot timer, so
// that typing never waits for the file: the sprite file's header stays open
// while the file is unchanged, and only the frames shown are decoded, once
// for as long as the choice stays the same.
//
// Assistive technology sees an image named "Picture" whose description is
// the line that says what is shown, or why nothing is.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "agent/agent_picture.h"

namespace ormel::ui {

class PicturePanel : public QWidget {
    Q_OBJECT

  public:
    // How long changes are gathered before the picture follows them, and how
    // long each frame of an animation shows.
    static constexpr int kSettleMs = 30;
    static constexpr int kFrameMs = 100;

    explicit PicturePanel(QWidget* parent = nullptr);

    // Where the form's values come from.
    void SetFields(std::function<PictureFields()> fields);

    // A value changed: the picture follows once the changes settle.
    void FieldsChanged();
    // Follows the form's values now.
    void Refresh();

    // What is shown, or why nothing is.
    QString Line() const { return line_; }
    // The image shown now; null when nothing is.
    QImage ShownImage() const;
    // Shows the animation's next frame every kFrameMs while it plays.
    QTimer& AnimationTimer() { return animation_; }

  signals:
    void LineChanged(const QString& line);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void ShowNextFrame();
    void SetLine(const QString& line);
    void Decode(const Picture& picture);

    std::function<PictureFields()> fields_;
    SpriteFileCache files_;
    QTimer settle_;
    QTimer animation_;
    // The shown file and images, whose frames are decoded.
    std::shared_ptr<const sprite::SpriteFile> file_;
    std::vector<int> images_;
    std::vector<QImage> frames_;
    std::size_t frame_ = 0;
    QString line_;
};

}  // namespace ormel::ui
