// The agent's picture in the main window (offscreen) with a sprite file of
// several MB: 400 images of 120 x 100, as .s16 and as .c16.
//
//   QT_QPA_PLATFORM=offscreen ./build/bench/bench/picture_bench
//
// FieldChangeToShown: from the animation field's change to the panel having
// painted the newly chosen image, each iteration another image, the settle
// timer's wait included (manual time). Refresh: the panel following a new
// choice at once (header kept, one image decoded). Counters: how much the
// resident memory and its peak grow when the window, shown without a
// picture, shows the file's first image (the peak is reset before), beside
// the file's size and one image's (48 KB); they should follow the image, not
// the file.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/sprite_writer.h"
#include "support/temp_folder.h"
#include "ui/controls/picture_panel.h"
#include "ui/frmAW/frmAW.h"

namespace {

namespace fs = std::filesystem;
using ormel::test::SpriteImage;

constexpr int kImages = 400, kWidth = 120, kHeight = 100;

// Kilobytes of the process's resident set ("VmRSS") or its peak ("VmHWM").
long StatusKib(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(key + ":")) return std::stol(line.substr(key.size() + 1));
    return 0;
}

// Each image its own pattern, with a transparent corner so that .c16 lines
// hold runs of both kinds.
std::vector<SpriteImage> Images() {
    std::vector<SpriteImage> images;
    for (int i = 0; i < kImages; ++i) {
        SpriteImage image{kWidth, kHeight, {}};
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                image.pixels.push_back(
                    x + y < 30 ? 0 : static_cast<std::uint16_t>((x * 7 + y * 13 + i * 31) | 1));
        images.push_back(std::move(image));
    }
    return images;
}

// The program folder with Big/big.s16 and Big/big.c16.
const fs::path& ProgramFolder() {
    static const ormel::test::TempFolder folder;
    static const bool written = [] {
        fs::create_directories(folder.path() / "Big");
        const std::vector<SpriteImage> images = Images();
        ormel::test::WriteBytes(folder.path() / "Big" / "big.s16",
                                ormel::test::SpriteBytes(false, images));
        ormel::test::WriteBytes(folder.path() / "Big" / "big.c16",
                                ormel::test::SpriteBytes(true, images));
        return true;
    }();
    (void)written;
    return folder.path();
}

// Notes the panel's paints.
class PaintWatch : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

// Gives the heap's free memory back and forgets the peak of the resident
// set, so that VmRSS and VmHWM measure what is allocated from now.
void ResetPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The main window shown without a picture, then with the file's first image;
// the memory that showing it took.
struct Window {
    explicit Window(const char* ext) {
        window->SetBuildEnvironment({ProgramFolder().string(), "", ""});
        window->findChild<QLineEdit*>("field_Name")->setText("Big");
        window->findChild<QComboBox*>("field_Image_Ext")->lineEdit()->setText(ext);
        window->show();
        panel->Refresh();
        QApplication::processEvents();
        ResetPeak();
        const long rss_before = StatusKib("VmRSS"), peak_before = StatusKib("VmHWM");
        window->findChild<QLineEdit*>("field_Image")->setText("big");
        panel->Refresh();
        QApplication::processEvents();
        rss_growth = StatusKib("VmRSS") - rss_before;
        peak_growth = StatusKib("VmHWM") - peak_before;
        panel->installEventFilter(&watch);
    }
    ~Window() { delete window; }

    void Report(benchmark::State& state, const char* ext) const {
        const fs::path file = ProgramFolder() / "Big" / (std::string("big") + ext);
        state.counters["file_KiB"] = static_cast<double>(fs::file_size(file)) / 1024;
        state.counters["rss_growth_KiB"] = static_cast<double>(rss_growth);
        state.counters["peak_growth_KiB"] = static_cast<double>(peak_growth);
    }

    long rss_growth = 0;
    long peak_growth = 0;

    ormel::ui::frmAW* window = new ormel::ui::frmAW;
    ormel::ui::PicturePanel* panel = window->findChild<ormel::ui::PicturePanel*>("picPicture");
    QLineEdit* animation = window->findChild<QLineEdit*>("field_Animation");
    PaintWatch watch;
};

void FieldChangeToShown(benchmark::State& state, const char* ext) {
    Window w(ext);
    int image = 0;
    for (auto _ : state) {
        image = (image + 37) % kImages;
        const QString expected = QString::number(image);
        QElapsedTimer clock;
        clock.start();
        w.animation->setText(expected);
        const int paints = w.watch.paints;
        while (!(w.panel->Line().contains("image " + expected + " ") && w.watch.paints > paints))
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }
    w.Report(state, ext);
}

void Refresh(benchmark::State& state, const char* ext) {
    Window w(ext);
    int image = 0;
    for (auto _ : state) {
        image = (image + 37) % kImages;
        {
            const QSignalBlocker quiet(w.animation);
            w.animation->setText(QString::number(image));
        }
        w.panel->Refresh();
    }
    w.Report(state, ext);
}

BENCHMARK_CAPTURE(FieldChangeToShown, s16, ".s16")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FieldChangeToShown, c16, ".c16")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Refresh, s16, ".s16")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Refresh, c16, ".c16")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ProgramFolder();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
