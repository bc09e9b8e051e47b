// The picture beside the form: the pixels of a small .s16 and .c16 as the
// author's values choose them, and an animation that moves on at each tick
// of its timer.
#include <QAccessible>
#include <QLabel>

#include "support/temp_folder.h"
#include "support/ui_windows.h"
#include "ui/controls/picture_panel.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;

// 2 x 2, 5-6-5: red, transparent / green, grey (16, 32, 16 of 31, 63, 31).
const std::string kStill(
    "\1\0\0\0\1\0"
    "\16\0\0\0\2\0\2\0"
    "\0\xF8\0\0\xE0\7\x10\x84",
    22);
// Image 0, 2 x 1: transparent, white; image 1, 1 x 1: red.
const std::string kTwoImages(
    "\3\0\0\0\2\0"
    "\26\0\0\0\2\0\1\0"
    "\40\0\0\0\1\0\1\0"
    "\2\0\3\0\xFF\xFF\0\0\0\0"
    "\3\0\0\xF8\0\0\0\0",
    40);
constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kGrey = 0xFF848284, kWhite = 0xFFFFFFFF;

// The panel as drawn on screen, and where its image's first coloured pixel
// (top-left first) lies.
QPoint FirstPixel(const QImage& drawn, QRgb colour) {
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixel(x, y) == colour) return {x, y};
    return {-1, -1};
}

}  // namespace

class PictureTest : public WindowTest {
    Q_OBJECT

  private slots:
    void shows_the_chosen_image_and_plays_an_animation() {
        TempFolder program;
        fs::create_directories(program.path() / "Lamp");
        WriteBytes(program.path() / "Lamp" / "still.s16", kStill);
        WriteBytes(program.path() / "Lamp" / "two.c16", kTwoImages);
        ShownMainWindow window;
        window->SetBuildEnvironment({ToUtf8(program.path()), "", ""});
        auto* panel = window.Find<ui::PicturePanel>("picPicture");
        auto* line = window.Find<QLabel>("lblPicture");

        window.Type("field_Name", "Lamp");
        window.Type("field_Image", "still");
        window.Type("field_Image_Ext", ".s16");
        QTRY_COMPARE(line->text(), "still.s16: image 0 of 1, 2 \u00d7 2");
        const QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(panel);
        QCOMPARE(seen->role(), QAccessible::Graphic);
        QCOMPARE(seen->text(QAccessible::Name) + ": " + seen->text(QAccessible::Description),
                 "Picture: " + line->text());
        const QImage drawn = panel->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QPoint red = FirstPixel(drawn, kRed);
        QVERIFY(red.x() >= 0);
        QCOMPARE(drawn.pixel(red + QPoint(0, 1)), kGreen);
        QCOMPARE(drawn.pixel(red + QPoint(1, 1)), kGrey);
        // The transparent pixel shows the window's background.
        QCOMPARE(drawn.pixel(red + QPoint(1, 0)), drawn.pixel(0, 0));
        QVERIFY(!panel->AnimationTimer().isActive());

        window.Type("field_Image", "two");
        window.Type("field_Image_Ext", ".c16");
        window.Type("field_Animation", "0 1 255");
        QTRY_COMPARE(line->text(), "two.c16: images 0, 1 of 2 in turn, up to 2 \u00d7 1");
        QVERIFY(panel->AnimationTimer().isActive());
        QCOMPARE(panel->AnimationTimer().interval(), 100);
        const QRgb frames[] = {kWhite, kRed, kWhite};
        for (const QRgb colour : frames) {
            const QImage image = panel->ShownImage();
            QCOMPARE(image.pixel(image.width() - 1, 0), colour);
            if (image.width() == 2) QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QTimerEvent tick(panel->AnimationTimer().timerId());
            QApplication::sendEvent(&panel->AnimationTimer(), &tick);
        }
    }
};

ORMEL_REGISTER_UI_TEST(PictureTest);

}  // namespace ormel::test

#include "picture_test.moc"
