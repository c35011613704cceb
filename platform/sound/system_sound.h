#pragma once
// The phone's named system sounds. Only "MouseClick" exists: a short click of the program's
// own, click.wav beside the executable.
#include <cstdint>

// Plays the named sound to its end and then returns (flags 0, no module: the only way the
// program calls it). False, at once and without sound, for another name, a module, other
// flags, a missing click file, or no audio device.
bool PlaySoundW(const char16_t* sound, const void* module, std::uint32_t flags);
