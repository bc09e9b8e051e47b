// Start-up time and peak memory of the program's main window, each measured
// beside a bare Qt window of the same size in the same run.
//
//   ormel_startup_bench [runs]   runs each kind of window `runs` times (20),
//                                in turn, and prints medians and ratios
//   ormel_startup_bench --bare   one start of a bare QWidget window
//   ormel_startup_bench --label  the bare window with one line of text, for
//                                reference: the first text pays for setting
//                                up the fonts, which the bare window never does
//   ormel_startup_bench --main   one start of the main window frmAW
//
// Start-up is the time from just before the process is spawned to the
// moment the window has been exposed and painted for the first time (the
// child prints CLOCK_MONOTONIC then, and quits). Peak memory is the child's
// maximum resident set size as wait4() reports it. The windows use the
// platform of the environment: QT_QPA_PLATFORM=offscreen, or an X server.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/frmAW/frmAW.h"

extern char** environ;

namespace {

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// Prints the time once the window has been exposed and the exposure (with
// its first paint) has been handled, then quits.
class ReportWhenShown : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && window && window->isExposed() && !reported_) {
            reported_ = true;
            QTimer::singleShot(0, [] {
                std::printf("%lld\n", MonotonicNs());
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return false;
    }

  private:
    bool reported_ = false;
};

enum class Kind { Bare, Label, Main };

int ShowOnce(Kind kind, int argc, char** argv) {
    QApplication app(argc, argv);
    // quit() closes the windows, and the main window deletes itself then.
    QPointer<QWidget> window;
    if (kind == Kind::Main) {
        window = new ormel::ui::frmAW;
    } else {
        window = new QWidget;
        window->setWindowTitle("Ormel Compiler");
        window->setFixedSize(418, 370);
        if (kind == Kind::Label) new QLabel("Welcome to Ormel 1.0!", window);
    }
    ReportWhenShown report;
    window->winId();  // creates the native window, so that its events can be watched
    window->windowHandle()->installEventFilter(&report);
    window->show();
    const int code = QApplication::exec();
    delete window.data();
    return code;
}

struct Sample {
    double ms;
    long max_rss_kb;
};

Sample Spawn(const char* self, const char* mode) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* child_argv[] = {const_cast<char*>(self), const_cast<char*>(mode), nullptr};
    pid_t pid = 0;
    const long long start = MonotonicNs();
    const int failed = posix_spawn(&pid, self, &actions, nullptr, child_argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (failed != 0)
        throw std::runtime_error(std::string("cannot start: ") + std::strerror(failed));

    std::string text;
    char buffer[64];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    close(out[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        text.empty()) {
        throw std::runtime_error(std::string("the ") + mode + " window did not start cleanly");
    }
    return {static_cast<double>(std::stoll(text) - start) / 1e6, usage.ru_maxrss};
}

template <class T>
T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int Drive(const char* self, int runs) {
    struct Series {
        const char* title;
        const char* mode;
        std::vector<double> ms;
        std::vector<long> kb;
    };
    std::vector<Series> series{
        {"bare QWidget", "--bare", {}, {}},
        {"+ one label", "--label", {}, {}},
        {"frmAW", "--main", {}, {}},
    };
    // In turn, so that a slow phase of the machine hits all alike.
    for (int run = 0; run < runs; ++run) {
        for (Series& s : series) {
            const Sample sample = Spawn(self, s.mode);
            s.ms.push_back(sample.ms);
            s.kb.push_back(sample.max_rss_kb);
        }
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("platform: %s, %d runs each, medians\n",
                platform ? platform : (std::getenv("DISPLAY") ? "xcb" : "default"), runs);
    std::printf("%-14s %12s %14s %10s %10s\n", "window", "start-up ms", "peak RSS KiB", "time/bare",
                "RSS/bare");
    const double bare_ms = Median(series.front().ms);
    const auto bare_kb = static_cast<double>(Median(series.front().kb));
    for (const Series& s : series) {
        std::printf("%-14s %12.1f %14ld %10.2f %10.2f\n", s.title, Median(s.ms), Median(s.kb),
                    Median(s.ms) / bare_ms, static_cast<double>(Median(s.kb)) / bare_kb);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc > 1 && std::strcmp(argv[1], "--bare") == 0)
            return ShowOnce(Kind::Bare, argc, argv);
        if (argc > 1 && std::strcmp(argv[1], "--label") == 0) {
            return ShowOnce(Kind::Label, argc, argv);
        }
        if (argc > 1 && std::strcmp(argv[1], "--main") == 0)
            return ShowOnce(Kind::Main, argc, argv);
        const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
        return Drive("/proc/self/exe", runs);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ormel_startup_bench: %s\n", error.what());
        return 1;
    }
}
