#pragma once

#include <memory>

class AudioOutput;

// The system's sound output: the sound server's own protocol where the
// program was built with it and a server answers, SDL's audio otherwise.
// Null when there is no sound at all. Made and used on the playback thread.
std::unique_ptr<AudioOutput> makeDeviceOutput();
