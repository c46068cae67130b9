#include "player/component/device_output.h"

#include "player/component/sdl_output.h"
#ifdef MELVORA_PULSE_OUTPUT
#include "player/component/pulse_output.h"
#endif

std::unique_ptr<AudioOutput> makeDeviceOutput()
{
#ifdef MELVORA_PULSE_OUTPUT
    if (auto pulse = std::make_unique<PulseOutput>(); pulse->isAvailable())
        return pulse;
#endif
    if (auto sdl = std::make_unique<SdlOutput>(); sdl->isAvailable())
        return sdl;
    return nullptr;
}
