// The one instance of a window that exists at most once and is destroyed
// when it closes, so that each showing starts from its design contents.
#pragma once

#include <QPointer>
#include <QWidget>
#include <utility>

namespace ormel::ui {

template <class Window>
class SingleWindow {
  public:
    // The open window, or null. A closed window whose deletion is still
    // pending is no longer the open one.
    Window* Open() const { return window_; }

    // Shows the open window, or one made by create() when none is open; the
    // window made is deleted when it closes. Returns the window shown.
    template <class Create>
    Window* Show(Create&& create) {
        if (!window_) {
            window_ = std::forward<Create>(create)();
            window_->setAttribute(Qt::WA_DeleteOnClose);
        }
        window_->show();
        return window_;
    }

    // For the window's own close event: from here on a showing makes a fresh
    // window.
    void Closed(const QWidget* window) {
        if (window_ == window) window_ = nullptr;
    }

    // Closes the open window and deletes it at once, not later.
    void CloseAndDelete() {
        const QPointer<Window> window = window_;
        if (!window) return;
        window->close();
        delete window.data();
    }

  private:
    QPointer<Window> window_;
};

}  // namespace ormel::ui
