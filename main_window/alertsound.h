#pragma once

#include <memory>

// The low-time warning's sound. One seam, so that tests can count the warnings and the platform
// sound can change without touching the clock. It is also the program's only platform-specific
// code: everything else builds wherever Qt does.
class AlertSound
{
public:
    virtual ~AlertSound() = default;
    virtual void play() = 0;
};

// The desktop's standard short alert. Where the freedesktop sound theme can be played (libcanberra
// found at build time) it is the theme's "bell" event, played through the desktop's sound server;
// elsewhere, and whenever that sound cannot be started, it is the toolkit's beep. play() returns
// at once: the sound is mixed and played by the sound server while the clock goes on.
std::unique_ptr<AlertSound> makeSystemAlertSound();
