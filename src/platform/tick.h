#pragma once

#include <cstdint>

namespace zorvia {

// Milliseconds of a steady clock, taken as unsigned 32 bits: differences of
// two readings are taken modulo 2^32, so a wrap between them still gives the
// true interval.
std::uint32_t GetTickCount32();

// Tests replace the clock to check elapsed-time texts.
using TickSource = std::uint32_t (*)();
void SetTickSourceForTesting(TickSource source);  // nullptr restores the clock

}  // namespace zorvia
