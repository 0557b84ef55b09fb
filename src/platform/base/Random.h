// The class library's random generator: a 32-bit linear congruential generator.
#pragma once

#include <cstdint>

// The generator's state; set it directly for a reproducible sequence.
extern uint32_t RandSeed;

// Seeds the generator from the low 32 bits of a nanosecond clock.
void Randomize();

// The clock Randomize reads (nanoseconds); tests install their own for reproducible
// runs, null restores the system clock.
using RandomizeClock = uint64_t (*)();
void SetRandomizeClock(RandomizeClock clock);

// Steps the seed (seed = seed x 134775813 + 1 modulo 2^32) and returns the upper 32 bits
// of the unsigned 64-bit product seed x n: a number in 0 .. n-1 for n > 0.
int Random(int n);
