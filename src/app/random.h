#pragma once

#include <cstdint>
#include <random>

namespace seewolf {

// The program's one pseudo-random generator: seeded once from the clock in main, by a fixed
// value in tests, and passed to whatever draws.
class Random {
  public:
    explicit Random(std::uint64_t seed) : m_engine(seed) {}

    // Seed taken from the clock.
    static std::uint64_t ClockSeed();

    // Uniform whole number from 0 to n - 1; 0 when n is 0 or less.
    int Next(int n);

    // Uniform real in [0, 1).
    double NextReal();

  private:
    std::mt19937_64 m_engine;
};

}  // namespace seewolf
