#include "PlaybackClock.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

class QtPlaybackTimer final : public PlaybackTimer {
public:
    QtPlaybackTimer(QObject* owner, const QString& name, std::function<void()> timeout)
        : timer_(new QTimer(owner)) {
        timer_->setObjectName(name);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, std::move(timeout));
    }
    ~QtPlaybackTimer() override { delete timer_.data(); }
    QtPlaybackTimer(const QtPlaybackTimer&) = delete;
    QtPlaybackTimer& operator=(const QtPlaybackTimer&) = delete;

    void start(int intervalMs) override {
        if (timer_) {
            timer_->start(intervalMs);
        }
    }
    void stop() override {
        if (timer_) {
            timer_->stop();
        }
    }
    bool isActive() const override { return timer_ && timer_->isActive(); }
    int interval() const override { return timer_ ? timer_->interval() : 0; }

private:
    // Gone with its owner when the owner goes first.
    QPointer<QTimer> timer_;
};

}  // namespace

std::unique_ptr<PlaybackTimer> QtTimerSource::createTimer(const QString& name,
                                                          std::function<void()> timeout) {
    return std::make_unique<QtPlaybackTimer>(owner_, name, std::move(timeout));
}

class VirtualClock::Timer final : public PlaybackTimer {
public:
    Timer(VirtualClock* clock, std::function<void()> timeout)
        : clock_(clock), timers_(clock->timers_), timeout_(std::move(timeout)) {
        timers_->push_back(this);
    }
    ~Timer() override { std::erase(*timers_, this); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void start(int intervalMs) override {
        interval_ = std::max(0, intervalMs);
        // A clock already gone has no time to run in.
        if (timers_.use_count() > 1 && clock_ != nullptr) {
            due_ = clock_->now_ + interval_;
            order_ = ++clock_->starts_;
            active_ = true;
        }
    }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    int interval() const override { return interval_; }

    VirtualClock* clock_;
    std::shared_ptr<std::vector<Timer*>> timers_;
    std::function<void()> timeout_;
    int interval_ = 0;
    qint64 due_ = 0;
    quint64 order_ = 0;
    bool active_ = false;
};

VirtualClock::VirtualClock() : timers_(std::make_shared<std::vector<Timer*>>()) {}

VirtualClock::~VirtualClock() {
    for (Timer* timer : *timers_) {
        timer->clock_ = nullptr;
        timer->active_ = false;
    }
}

std::unique_ptr<PlaybackTimer> VirtualClock::createTimer(const QString&,
                                                         std::function<void()> timeout) {
    return std::make_unique<Timer>(this, std::move(timeout));
}

VirtualClock::Timer* VirtualClock::nextDue(qint64 until) const {
    Timer* next = nullptr;
    for (Timer* timer : *timers_) {
        if (timer->active_ && timer->due_ <= until &&
            (next == nullptr || timer->due_ < next->due_ ||
             (timer->due_ == next->due_ && timer->order_ < next->order_))) {
            next = timer;
        }
    }
    return next;
}

void VirtualClock::advance(qint64 milliseconds) {
    const qint64 until = now_ + milliseconds;
    while (Timer* timer = nextDue(until)) {
        now_ = timer->due_;
        // Due again one interval on, as a repeating timer is; at least a
        // millisecond on, so that a zero interval cannot stop time.
        timer->due_ = now_ + std::max(1, timer->interval_);
        timer->order_ = ++starts_;
        timer->timeout_();
    }
    now_ = until;
}

bool VirtualClock::advanceUntil(const std::function<bool()>& condition, qint64 limit) {
    const qint64 until = now_ + limit;
    while (!condition()) {
        Timer* timer = nextDue(until);
        if (timer == nullptr) {
            now_ = until;
            return condition();
        }
        advance(timer->due_ - now_);
    }
    return true;
}
