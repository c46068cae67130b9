#pragma once

#include "player/component/output_target.h"

#include <memory>

class AudioOutput;

// The system's sound output: the sound server's own protocol where the
// program was built with it and a server answers, SDL's audio otherwise.
// Null when there is no sound at all. Made and used on the playback thread.
// The server's output plays on the target's wanted sink (none: the default).
std::unique_ptr<AudioOutput> makeDeviceOutput(std::shared_ptr<OutputTarget> target = {});

// The outputs the sound server offers, by name and description; none without
// a server. Asks the server and waits for its answer.
QList<OutputDevice> deviceOutputs();
