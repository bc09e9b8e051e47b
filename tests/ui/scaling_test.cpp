// At 16 points (16/9 of the 9 the windows were laid out for) each window and control keeps its
// place, every edge scaled (nothing overlaps anew), with a grown font and room for its text.
#include "support/ui_windows.h"
#include "ui/frmLoad/frmLoad.h"

namespace ormel::test {

using Places = QMap<QString, std::tuple<QRect, int, bool>>;  // place, font pixels, text fits

static Places PlacesAt(const QFont& font) {
    QApplication::setFont(font);
    ShownMainWindow form;
    Places places;
    for (QWidget* window :
         QWidgetList{form.get(), form.Compile(), ui::frmLoad::ShowFor(*form.get())})
        for (QWidget* c :
             window->findChildren<QWidget*>(QRegularExpression("^(?!qt_).")) + QWidgetList{window})
            places[c->objectName()] = {c->isWindow() ? c->rect() : c->geometry(),
                                       c->fontInfo().pixelSize(),
                                       c->fontMetrics().height() <= c->height()};
    ui::frmCompileIt::CloseIfOpen();
    delete ui::frmLoad::Current();
    return places;
}

class ScalingTest : public WindowTest {
    Q_OBJECT

  private slots:
    void larger_text_grows_every_window() {
        const QFont standard = QApplication::font();
        const Places after = PlacesAt(QFont(standard.family(), 16)), before = PlacesAt(standard);
        const auto grown = [](int edge) { return qRound(edge * 16.0 / 9); };
        for (const QString& name : before.keys()) {
            const auto [r, pixels, fits] = before[name];
            const auto [grown_r, grown_pixels, grown_fits] = after[name];
            QCOMPARE(grown_r, QRect(QPoint(grown(r.left()), grown(r.top())),
                                    QPoint(grown(r.right() + 1) - 1, grown(r.bottom() + 1) - 1)));
            QVERIFY2(grown_pixels * 10 >= pixels * 16 && fits && grown_fits, qPrintable(name));
        }
    }
};

ORMEL_REGISTER_UI_TEST(ScalingTest);

}  // namespace ormel::test

#include "scaling_test.moc"
