#include "player/component/device_output.h"

#include "player/component/sdl_output.h"
#ifdef MELVORA_PULSE_OUTPUT
#include "player/component/pulse_output.h"
#endif

std::unique_ptr<AudioOutput> makeDeviceOutput(std::shared_ptr<OutputTarget> target)
{
#ifdef MELVORA_PULSE_OUTPUT
    if (auto pulse = std::make_unique<PulseOutput>(target); pulse->isAvailable())
        return pulse;
#endif
    if (auto sdl = std::make_unique<SdlOutput>(std::move(target)); sdl->isAvailable())
        return sdl;
    return nullptr;
}

QList<OutputDevice> deviceOutputs()
{
#ifdef MELVORA_PULSE_OUTPUT
    // The server's sinks, where the sound goes through it.
    if (QList<OutputDevice> sinks = PulseOutput::sinks(); !sinks.isEmpty())
        return sinks;
#endif
    return SdlOutput::devices();
}
