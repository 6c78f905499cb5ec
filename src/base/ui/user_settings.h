#pragma once
// The user's choices beyond the configuration file (the recorder's start and
// stop conditions, linking again after a replug): Qt's settings in the XDG
// configuration folder ($XDG_CONFIG_HOME/Ostrel/ostrel.ini). The
// configuration file QVRDL.ini is not touched by them.

#include <QSettings>

#include <memory>

namespace ostrel {

std::unique_ptr<QSettings> UserSettings();

// "Link again when the cable returns": a lost link comes back by itself and
// a running recording goes on (off at first).
bool LinkAgainChosen();
void SetLinkAgainChosen(bool chosen);

} // namespace ostrel
