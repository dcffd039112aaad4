#include "run/ServiceLanguages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool Translates(const LanguagePairs& pairs, const std::string& from, const std::string& to)
{
    const auto targets = pairs.find(from);
    return targets != pairs.end() && targets->second.count(to) > 0;
}

} // namespace

std::optional<LanguagePairs> ParseLanguagePairs(const std::string& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    const QJsonValue pairsValue = document.object().value(QStringLiteral("pairs"));
    if (error.error != QJsonParseError::NoError || !pairsValue.isObject())
        return std::nullopt;
    LanguagePairs pairs;
    const QJsonObject object = pairsValue.toObject();
    for (auto source = object.begin(); source != object.end(); ++source) {
        std::set<std::string>& targets = pairs[source.key().toStdString()];
        for (const QJsonValue target : source.value().toArray())
            targets.insert(target.toString().toStdString());
    }
    return pairs;
}

std::array<bool, LanguageCount> ReachableRows(const LanguagePairs& pairs, int homeRow)
{
    const std::string home = HomeLanguageCode(homeRow);
    std::array<bool, LanguageCount> reachable {};
    for (std::size_t row = 0; row < reachable.size(); ++row) {
        const std::string code = LanguageCodes[row];
        reachable[row]
            = code == home || (Translates(pairs, home, code) && Translates(pairs, code, home));
    }
    return reachable;
}
