#pragma once

#include "player/component/output_target.h"

#include <QList>

#include <memory>

class AudioOutput;

// The system's sound output: the sound server's own protocol where the
// program was built with it and a server answers, SDL's audio otherwise.
// Null when there is no sound at all. Made and used on the playback thread.
// Either plays on the target's wanted output (none: the default).
std::unique_ptr<AudioOutput> makeDeviceOutput(std::shared_ptr<OutputTarget> target = {});

// The outputs on offer, by name and description: the sound server's sinks,
// or where none answers, the devices SDL lists. Asks the system and waits for
// its answer.
QList<OutputDevice> deviceOutputs();
