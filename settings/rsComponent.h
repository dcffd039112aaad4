// The base of every part of the settings chain, the events the parts raise
// and the way one part attaches to another.
#pragma once

#include <functional>
#include <string>

// Base of every part of the settings chain; Sender of their events. A part
// is linked to others by address, so it is never copied.
class TrsComponent {
public:
    TrsComponent() = default;
    virtual ~TrsComponent() = default;
    TrsComponent(const TrsComponent&) = delete;
    TrsComponent& operator=(const TrsComponent&) = delete;
    std::string Name;
};

using TrsNotifyEvent = std::function<void(TrsComponent* Sender)>;
using TrsStorageKeyEvent = std::function<void(TrsComponent* Sender, const std::string& Key)>;
using TrsStorageDataProgressEvent = std::function<void(TrsComponent* Sender, int Percent)>;

inline void CallEvent(const TrsNotifyEvent& event, TrsComponent* sender)
{
    if (event)
        event(sender);
}

// Points link at next: the old part is detached first, the new one attached
// after; linking the part already linked changes nothing.
template <typename Part, typename Detach, typename Attach>
void Relink(Part*& link, Part* next, Detach detach, Attach attach)
{
    if (link == next)
        return;
    if (link)
        detach(link);
    link = next;
    if (link)
        attach(link);
}

// Runs work, then finish, which runs as well when work raises; the error
// then goes on once finish is done.
template <typename Work, typename Finish> void RunThenFinish(Work work, Finish finish)
{
    try {
        work();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}
