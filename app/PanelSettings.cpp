#include "app/PanelSettings.h"

#include "serial/SettingsStore.h"

#include <array>

namespace veld::app {

namespace {
constexpr auto kTraffic = u"Traffic";
constexpr std::array<QStringView, 4> kPlaceKeys{u"Left", u"Top", u"Width", u"Height"};
} // namespace

std::optional<QRect> storedTrafficPlace() {
    std::array<int, 4> values{};
    for (std::size_t i = 0; i < kPlaceKeys.size(); ++i) {
        bool ok = false;
        values[i] =
            serial::SettingsStore::read(kTraffic, kPlaceKeys[i], QString()).trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    const QRect place(values[0], values[1], values[2], values[3]);
    return place.isEmpty() ? std::nullopt : std::optional(place);
}

bool storeTrafficPlace(const QRect& place) {
    const std::array<int, 4> values{place.x(), place.y(), place.width(), place.height()};
    bool stored = true;
    for (std::size_t i = 0; i < kPlaceKeys.size(); ++i)
        stored =
            serial::SettingsStore::write(kTraffic, kPlaceKeys[i], QString::number(values[i])) &&
            stored;
    return stored;
}

serial::SettingsStore::StoredPort startingPort(const cli::PortChoice& choice) {
    using Kind = cli::PortChoice::Kind;
    if (choice.kind == Kind::Stored)
        return serial::SettingsStore::storedPort();
    if (choice.kind == Kind::Path)
        return {};
    return {QString::number(choice.comNumber), choice.comNumber}; // for this run, not stored
}

} // namespace veld::app
