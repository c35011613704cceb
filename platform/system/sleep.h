#pragma once
#include <cstdint>

// Blocks the calling thread for the given number of milliseconds.
void Sleep(std::uint32_t milliseconds);
