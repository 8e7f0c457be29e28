#pragma once

#include <QString>

#include <functional>

namespace device {

// Shows an interactive health check (CheckHealth level 3) to the user: the program installs a
// dialog; without one the check runs as the external one and only reports in CheckHealthText.
using InteractiveCheckPresenter = std::function<void(const QString& title, const QString& report)>;
void setInteractiveCheckPresenter(InteractiveCheckPresenter presenter);
void presentInteractiveCheck(const QString& title, const QString& report);

// Sounds the host's bell for a drawer left open (WaitForDrawerClose); nothing when none is set.
using DrawerBeeper = std::function<void(int frequencyHz, int durationMs)>;
void setDrawerBeeper(DrawerBeeper beeper);
void soundDrawerBeeper(int frequencyHz, int durationMs);

} // namespace device
