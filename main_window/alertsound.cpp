#include "alertsound.h"

#include <QApplication>

namespace {
class SystemBeep final : public AlertSound
{
public:
    void play() override { QApplication::beep(); }
};
} // namespace

std::unique_ptr<AlertSound> makeSystemAlertSound()
{
    return std::make_unique<SystemBeep>();
}
