#include "player/component/device_output.h"

#include "player/component/sdl_output.h"
#ifdef MELVORA_PULSE_OUTPUT
#include "player/component/pulse_output.h"
#endif

std::unique_ptr<AudioOutput> makeDeviceOutput(std::shared_ptr<OutputTarget> target)
{
#ifdef MELVORA_PULSE_OUTPUT
    if (auto pulse = std::make_unique<PulseOutput>(std::move(target)); pulse->isAvailable())
        return pulse;
#endif
    if (auto sdl = std::make_unique<SdlOutput>(); sdl->isAvailable())
        return sdl;
    return nullptr;
}

QList<OutputDevice> deviceOutputs()
{
#ifdef MELVORA_PULSE_OUTPUT
    return PulseOutput::sinks();
#else
    return {};
#endif
}
