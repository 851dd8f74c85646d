#include "app/random.h"

#include <chrono>

namespace seewolf {

std::uint64_t Random::ClockSeed() {
    return static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

int Random::Next(int n) {
    if (n <= 0) {
        return 0;
    }
    // Rejection keeps every outcome equally likely.
    const std::uint64_t range = static_cast<std::uint64_t>(n);
    const std::uint64_t limit = m_engine.max() - (m_engine.max() % range);
    std::uint64_t draw = m_engine();
    while (draw >= limit) {
        draw = m_engine();
    }
    return static_cast<int>(draw % range);
}

double Random::NextReal() {
    // 53 random bits give every representable step of [0, 1).
    return static_cast<double>(m_engine() >> 11) * 0x1.0p-53;
}

}  // namespace seewolf
