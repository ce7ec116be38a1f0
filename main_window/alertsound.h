#pragma once

#include <memory>

// The low-time warning's sound. One seam, so that tests can count the warnings and the platform
// sound can change without touching the clock.
class AlertSound
{
public:
    virtual ~AlertSound() = default;
    virtual void play() = 0;
};

// The desktop's standard short alert, through the toolkit's beep.
std::unique_ptr<AlertSound> makeSystemAlertSound();
