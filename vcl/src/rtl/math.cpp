#include <atomic>
#include <cmath>

#include "vcl/system.h"
#include "vcl/sysutils.h"
#include "win32/kernel.h"

namespace vcl {

namespace {

[[noreturn]] void InvalidOp() {
    throw EInvalidOp("Invalid floating point operation");
}

// Whole values that convert to Int64: [-2^63, 2^63).
Int64 ToInt64(double whole) {
    if (!(whole >= -9223372036854775808.0 && whole < 9223372036854775808.0)) InvalidOp();
    return static_cast<Int64>(whole);
}

std::atomic<Cardinal> randSeed{0};

Cardinal NextSeed() {
    Cardinal seed = randSeed.load(std::memory_order_relaxed);
    Cardinal next;
    do {
        next = seed * 134775813u + 1u;
    } while (!randSeed.compare_exchange_weak(seed, next, std::memory_order_relaxed));
    return next;
}

}  // namespace

Int64 Round(double value) {
    if (!std::isfinite(value)) InvalidOp();
    // The default rounding mode rounds halves to even.
    return ToInt64(std::nearbyint(value));
}

Int64 Trunc(double value) {
    if (!std::isfinite(value)) InvalidOp();
    return ToInt64(std::trunc(value));
}

double Int(double value) {
    if (!std::isfinite(value)) InvalidOp();
    return std::trunc(value);
}

double Frac(double value) {
    if (!std::isfinite(value)) InvalidOp();
    return value - std::trunc(value);
}

Integer MulDiv(Integer a, Integer b, Integer c) {
    if (c == 0) return -1;
    const Int64 product = Int64{a} * b;
    const uint64_t magnitude =
        product < 0 ? 0 - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
    const uint64_t divisor = c < 0 ? 0 - static_cast<uint64_t>(Int64{c}) : static_cast<uint64_t>(c);
    uint64_t quotient = magnitude / divisor;
    if ((magnitude % divisor) * 2 >= divisor) ++quotient;
    const bool negative = (product < 0) != (c < 0);
    if (negative ? quotient > 0x80000000u : quotient > 0x7FFFFFFFu) return -1;
    return negative ? static_cast<Integer>(-static_cast<Int64>(quotient)) : static_cast<Integer>(quotient);
}

Cardinal RandSeed() {
    return randSeed.load(std::memory_order_relaxed);
}
void SetRandSeed(Cardinal seed) {
    randSeed.store(seed, std::memory_order_relaxed);
}

Integer Random(Integer range) {
    const Int64 scaled = static_cast<Int64>(NextSeed()) * range;
    return static_cast<Integer>(scaled >> 32);
}

double Random() {
    return NextSeed() * (1.0 / 4294967296.0);
}

void Randomize() {
    SetRandSeed(win32::GetTickCount());
}

}  // namespace vcl
