#include "ui/controls/picture_panel.h"

#include <QPainter>
#include <cstring>

#include "ui/controls/accessible_items.h"

namespace ormel::ui {

namespace {

QImage ToQImage(const sprite::Image& image) {
    QImage picture(image.width, image.height, QImage::Format_ARGB32);
    const auto row_bytes = static_cast<std::size_t>(image.width) * sizeof(std::uint32_t);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(picture.scanLine(y),
                    image.argb.data() + static_cast<std::size_t>(y) * image.width, row_bytes);
    }
    return picture;
}

// The image's own size where it fits, else the largest of its proportions
// that does; centred.
QRect PlaceIn(const QRect& area, const QSize& image) {
    const QSize size = image.width() <= area.width() && image.height() <= area.height()
                           ? image
                           : image.scaled(area.size(), Qt::KeepAspectRatio);
    QRect place(QPoint(), size);
    place.moveCenter(area.center());
    return place;
}

}  // namespace

PicturePanel::PicturePanel(QWidget* parent) : QWidget(parent) {
    UseAccessible<PicturePanel, RoleAccessible<QAccessible::Graphic>>();
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &PicturePanel::Refresh);
    animation_.setInterval(kFrameMs);
    connect(&animation_, &QTimer::timeout, this, &PicturePanel::ShowNextFrame);
}

void PicturePanel::SetFields(std::function<PictureFields()> fields) {
    fields_ = std::move(fields);
}

void PicturePanel::FieldsChanged() {
    settle_.start();
}

void PicturePanel::Refresh() {
    settle_.stop();
    if (!fields_) return;
    const PictureFields fields = fields_();
    const Picture picture = ChoosePicture(fields, files_);
    // The same frames of the same file play on undisturbed.
    const bool same = picture.file == file_ && picture.images == images_;
    QString line = QString::fromStdString(picture.line);
    try {
        Decode(picture);
    } catch (const sprite::SpriteError& damaged) {
        line = QString::fromStdString(
            DamagedImageLine(fields.image + fields.image_ext, damaged.what()));
        Decode(Picture{});
    }
    SetLine(line);
    if (same) return;
    animation_.stop();
    frame_ = 0;
    if (frames_.size() > 1) animation_.start();
    update();
}

// Decodes the chosen frames unless the same frames of the same file are
// decoded already.
void PicturePanel::Decode(const Picture& picture) {
    if (picture.file == file_ && picture.images == images_) return;
    frames_.clear();
    file_.reset();
    images_.clear();
    std::vector<QImage> frames;
    for (int image : picture.images) frames.push_back(ToQImage(picture.file->Read(image)));
    frames_ = std::move(frames);
    file_ = picture.file;
    images_ = picture.images;
}

void PicturePanel::ShowNextFrame() {
    if (frames_.empty()) return;
    frame_ = (frame_ + 1) % frames_.size();
    update();
}

QImage PicturePanel::ShownImage() const {
    return frames_.empty() ? QImage() : frames_[frame_];
}

void PicturePanel::SetLine(const QString& line) {
    if (line == line_) return;
    line_ = line;
    setAccessibleDescription(line);
    emit LineChanged(line);
}

void PicturePanel::paintEvent(QPaintEvent*) {
    const QImage image = ShownImage();
    if (image.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(PlaceIn(rect(), image.size()), image);
}

}  // namespace ormel::ui
