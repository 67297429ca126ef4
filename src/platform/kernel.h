#pragma once
// The kernel-like calls the game makes: the random generator and ending the
// program. Each goes through a replaceable slot so that a test can script the
// numbers and see the end instead of exiting.

#include <cstdint>
#include <functional>

namespace platform {

struct KernelCalls {
    std::function<void()> randomize;
    std::function<double()> rnd;
    std::function<void()> end;
};

// The calls in use; they start out as the real ones.
KernelCalls& Kernel();

// Seeds the random generator from the clock.
void Randomize();
// Seeds the real random generator with n: the same n gives the same numbers on every
// machine, for games that must be played again exactly. Rnd() must be the real one.
void Seed(std::uint64_t n);
// The next uniform random number in [0, 1).
double Rnd();
// A whole number below n drawn from Rnd(): floor(n * r).
int RandomBelow(int n);
// Ends the program at once with exit status 0; the work registered with std::atexit runs.
void End();

}  // namespace platform
