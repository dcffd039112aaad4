// Base of the library's non-visual components: a QObject that knows when it
// is being destroyed, so that work still in flight on other threads can
// leave it alone.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>

using TObject = QObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TacComponent : public QObject {
    Q_OBJECT
public:
    explicit TacComponent(QObject* owner = nullptr) : QObject(owner) { }

    // True from the start of the destructor of the most derived class.
    bool IsDestroying() const { return destroying_.load(); }

protected:
    // Every destructor that still has work to stop calls this first.
    void MarkDestroying() { destroying_.store(true); }

private:
    std::atomic<bool> destroying_ { false };
};
