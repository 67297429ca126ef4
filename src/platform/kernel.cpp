#include "platform/kernel.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace platform {
namespace {

std::mt19937_64& Generator() {
    static std::mt19937_64 generator;
    return generator;
}

void RealRandomize() {
    auto now = std::chrono::system_clock::now().time_since_epoch().count();
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    Seed(static_cast<std::uint64_t>(now) ^ (static_cast<std::uint64_t>(ticks) << 1));
}

double RealRnd() {
    // 53 random bits scaled into [0, 1): never 1.0, unlike some canonical helpers.
    return static_cast<double>(Generator()() >> 11) * 0x1.0p-53;
}

void RealEnd() {
    std::fflush(nullptr);
    std::exit(0);
}

}  // namespace

KernelCalls& Kernel() {
    static KernelCalls calls{RealRandomize, RealRnd, RealEnd};
    return calls;
}

void Randomize() {
    Kernel().randomize();
}
void Seed(std::uint64_t n) {
    Generator().seed(n);
}
double Rnd() {
    return Kernel().rnd();
}

int RandomBelow(int n) {
    return static_cast<int>(std::floor(n * Rnd()));
}

void End() {
    Kernel().end();
}

}  // namespace platform
