#include "base/ui/user_settings.h"

namespace ostrel {

std::unique_ptr<QSettings> UserSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Ostrel"), QStringLiteral("ostrel"));
}

bool LinkAgainChosen() {
    return UserSettings()->value(QStringLiteral("link/again"), false).toBool();
}

void SetLinkAgainChosen(bool chosen) {
    UserSettings()->setValue(QStringLiteral("link/again"), chosen);
}

} // namespace ostrel
