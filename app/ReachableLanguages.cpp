#include "app/ReachableLanguages.h"

#include "app/CheckListBox.h"
#include "run/ServiceQuery.h"
#include "run/ServiceStarter.h"

#include <QTimer>

namespace {

const char* const UnreachableHint
    = "The translation service cannot take a text to this language and back from the home "
      "language: it needs a LibreTranslate server (see Help > Contents).";

} // namespace

ReachableLanguages::ReachableLanguages(TCheckListBox& list, QObject* parent)
    : QObject(parent), list(list), query(new ServiceQuery(this)), retryTimer(new QTimer(this))
{
    retryTimer->setSingleShot(true);
    connect(retryTimer, &QTimer::timeout, this, [this] { Refresh(); });
}

void ReachableLanguages::Watch(std::function<std::string()> urlOfService, std::function<int()> home)
{
    url = std::move(urlOfService);
    homeRow = std::move(home);
    Refresh();
}

void ReachableLanguages::Refresh()
{
    if (url
        && query->Get(url(), "/languages", [this](const ServiceAnswer& answer) { Take(answer); }))
        retryTimer->stop();
}

void ReachableLanguages::Take(const ServiceAnswer& answer)
{
    pairs = answer.listener == ServiceListener::Answering && answer.status == 200
        ? ParseLanguagePairs(answer.body)
        : std::nullopt;
    ShowMarks();
    // A service on this machine may come up at any time; another host is
    // not asked over and over.
    if (!pairs && IsLoopbackAddress(url()))
        retryTimer->start(RetryInterval);
}

void ReachableLanguages::ShowMarks()
{
    std::array<bool, LanguageCount> greyed {};
    if (pairs && homeRow) {
        const auto reachable = ReachableRows(*pairs, homeRow());
        for (std::size_t row = 0; row < greyed.size(); ++row)
            greyed[row] = !reachable[row];
    }
    const QString hint = QString::fromUtf8(UnreachableHint);
    for (int row = 0; row < list.Count() && row < LanguageCount; ++row)
        list.SetGreyed(row, greyed[static_cast<std::size_t>(row)], hint);
}
