#pragma once

// Silences the log categories of Qt's audio back end (every category whose
// name starts with "qt.multimedia"): debug, info, warning and critical lines.
// Having no sound, or losing it, is a normal case for the player (it then
// plays silently), so the back end's reports about it are noise.
//
// Works through QLoggingCategory::installFilter and chains the filter that was
// installed before, so every other category keeps its rules. Call it once from
// main(), or from a test; later calls do nothing.
//
// Not silenced: what the back end prints without a category (qWarning in the
// default category), which cannot be told apart from the program's own lines
// by category. With Qt 6.4's PulseAudio back end that is
// "PulseAudioService: pa_context_connect() failed" and "No audio device
// detected" when there is no sound server, and "Stream error: Connection
// terminated" when the server goes away during playback.
void quietAudioBackendLogs();
