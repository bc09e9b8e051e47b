// A timer driven by its interval alone: a positive interval (in ms) arms it
// and it ticks every interval from then on; interval 0 stops it, so that it
// does not tick at all (a QTimer with interval 0 would tick continuously).
//
// A held timer does not tick, and wakes nobody, whatever its interval; its
// interval still reads and sets as usual, and once released it ticks again
// if the interval is then positive.
#pragma once

#include <QObject>
#include <QTimer>

namespace ormel::ui {

class IntervalTimer : public QObject {
    Q_OBJECT

  public:
    explicit IntervalTimer(QObject* parent = nullptr);

    int Interval() const { return interval_; }
    // Positive: (re)arms the timer, the next tick comes ms from now.
    // 0: stops it. Negative intervals are refused with std::out_of_range.
    void SetInterval(int ms);
    bool Armed() const { return timer_.isActive(); }

    void Hold();
    void Release();
    bool Held() const { return held_; }

    // Holds the timer for as long as it lives.
    class HoldScope {
      public:
        explicit HoldScope(IntervalTimer& timer) : timer_(timer) { timer_.Hold(); }
        ~HoldScope() { timer_.Release(); }
        HoldScope(const HoldScope&) = delete;
        HoldScope& operator=(const HoldScope&) = delete;

      private:
        IntervalTimer& timer_;
    };

  signals:
    void Tick();

  private:
    QTimer timer_;
    int interval_ = 0;
    bool held_ = false;
};

}  // namespace ormel::ui
