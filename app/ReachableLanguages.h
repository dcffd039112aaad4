// The language checklist's marks for what the running translation service
// can do: names it cannot reach from the home language and back are drawn
// greyed, with a tool-tip saying why, and can still be ticked. The service
// is asked off the window's thread: when watching starts, every few seconds
// while no service on this machine answers, and again when asked to refresh
// (after a run). With no service answering, the list has no marks.
#pragma once

#include "run/ServiceLanguages.h"

#include <QObject>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

class QTimer;
class ServiceQuery;
class TCheckListBox;
struct ServiceAnswer;

class ReachableLanguages : public QObject {
public:
    ReachableLanguages(TCheckListBox& list, QObject* parent);

    // Starts asking the service at url, which is read again for every
    // question; homeRow gives the home language's row.
    void Watch(std::function<std::string()> url, std::function<int()> homeRow);
    // Asks again now, unless a question is still out or watching has not
    // started.
    void Refresh();
    // Marks the list from the last answer, for the home language as it is now.
    void ShowMarks();
    // Whether a service answered the last question with its language list.
    bool Known() const { return pairs.has_value(); }

    // How long it waits before asking again while no service answers.
    std::chrono::milliseconds RetryInterval { 3000 };

private:
    void Take(const ServiceAnswer& answer);

    TCheckListBox& list;
    ServiceQuery* query;
    QTimer* retryTimer;
    std::function<std::string()> url;
    std::function<int()> homeRow;
    std::optional<LanguagePairs> pairs;
};
