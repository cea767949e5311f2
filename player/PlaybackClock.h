#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

class QObject;

// The timers the playback engine runs on. The program uses Qt's timers;
// tests and benchmarks use a virtual clock that plays a minute of movie in
// a millisecond, never sleeping.
class PlaybackTimer {
public:
    virtual ~PlaybackTimer() = default;
    // (Re)starts the timer: it fires every intervalMs until stopped.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;
};

class TimerSource {
public:
    virtual ~TimerSource() = default;
    // A stopped timer calling `timeout` at each tick. `name` names it where
    // the timers are objects that tests and benchmarks can find.
    virtual std::unique_ptr<PlaybackTimer> createTimer(const QString& name,
                                                       std::function<void()> timeout) = 0;
};

// Qt's precise timers, children of `owner` under their names.
class QtTimerSource final : public TimerSource {
public:
    explicit QtTimerSource(QObject* owner) : owner_(owner) {}
    std::unique_ptr<PlaybackTimer> createTimer(const QString& name,
                                               std::function<void()> timeout) override;

private:
    QObject* owner_;
};

// Time that passes only when told. Timers due at the same moment fire in
// the order they were started.
class VirtualClock final : public TimerSource {
public:
    VirtualClock();
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    std::unique_ptr<PlaybackTimer> createTimer(const QString& name,
                                               std::function<void()> timeout) override;

    // Milliseconds since the clock was made.
    qint64 now() const { return now_; }
    // Lets `milliseconds` pass, firing every tick due on the way.
    void advance(qint64 milliseconds);
    // Lets time pass tick by tick until `condition` holds, at most `limit`
    // milliseconds; true when it held.
    bool advanceUntil(const std::function<bool()>& condition, qint64 limit);

private:
    class Timer;
    // The earliest active timer due at or before `until`, or nullptr.
    Timer* nextDue(qint64 until) const;

    qint64 now_ = 0;
    quint64 starts_ = 0;
    // Shared with the timers, so that a timer outliving the clock is harmless.
    std::shared_ptr<std::vector<Timer*>> timers_;
};
