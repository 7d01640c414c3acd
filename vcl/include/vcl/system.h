// The framework's basic types: integer aliases, enumerations with name tables, sets.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "win32/scope.h"

namespace vcl {

using win32::ScopedValue;
using win32::ScopeExit;

using Integer = int32_t;
using Byte = uint8_t;
using Word = uint16_t;
using Cardinal = uint32_t;
using Int64 = int64_t;
using LongInt = int32_t;

// Every streamable enumeration declares its value names next to it, in value order:
//   enum class TAlign : uint8_t { alNone, alTop };
//   VCL_ENUM_NAMES(TAlign, "alNone", "alTop")
// The names are found by argument-dependent lookup of EnumNames(E{}).
// The type's own name is found the same way, through EnumTypeName(E{}).
#define VCL_ENUM_NAMES(Enum, ...)                                               \
    [[maybe_unused]] inline std::span<const std::string_view> EnumNames(Enum) { \
        static constexpr std::string_view names[] = {__VA_ARGS__};              \
        return names;                                                           \
    }                                                                           \
    [[maybe_unused]] inline std::string_view EnumTypeName(Enum) {               \
        return #Enum;                                                           \
    }

template <typename E>
concept NamedEnum = std::is_enum_v<E> && requires(E e) {
    { EnumNames(e) } -> std::convertible_to<std::span<const std::string_view>>;
};

template <NamedEnum E>
std::span<const std::string_view> EnumNamesOf() {
    return EnumNames(E{});
}

// The declared name of an enumeration type ("TAlign").
template <NamedEnum E>
std::string_view EnumTypeNameOf() {
    return EnumTypeName(E{});
}

// The name of an enumeration value; empty for a value outside the table.
template <NamedEnum E>
std::string_view EnumName(E value) {
    auto names = EnumNamesOf<E>();
    auto index = static_cast<size_t>(value);
    return index < names.size() ? names[index] : std::string_view{};
}

// Case-insensitive lookup of a value by name, as identifiers in form files are matched.
std::optional<size_t> FindEnumName(std::span<const std::string_view> names, std::string_view name);

template <NamedEnum E>
std::optional<E> EnumValue(std::string_view name) {
    auto index = FindEnumName(EnumNamesOf<E>(), name);
    if (!index) return std::nullopt;
    return static_cast<E>(*index);
}

// The bits of a set of up to 256 elements, as the streaming layer handles every set type.
struct SetBits {
    std::array<uint64_t, 4> words{};

    bool Contains(size_t bit) const { return bit < 256 && (words[bit / 64] >> (bit % 64)) & 1; }
    void Include(size_t bit) {
        if (bit < 256) words[bit / 64] |= uint64_t{1} << (bit % 64);
    }
    void Exclude(size_t bit) {
        if (bit < 256) words[bit / 64] &= ~(uint64_t{1} << (bit % 64));
    }
    bool Empty() const { return (words[0] | words[1] | words[2] | words[3]) == 0; }
    friend bool operator==(const SetBits&, const SetBits&) = default;
};

// A set of enumeration values, the framework's `set of E`.
template <typename E>
requires std::is_enum_v<E>
class Set {
public:
    constexpr Set() = default;
    constexpr Set(std::initializer_list<E> values) {
        for (E value : values)
            Include(value);
    }

    constexpr bool Contains(E value) const {
        auto bit = Bit(value);
        return (bits_[bit / 64] >> (bit % 64)) & 1;
    }
    constexpr Set& Include(E value) {
        auto bit = Bit(value);
        bits_[bit / 64] |= uint64_t{1} << (bit % 64);
        return *this;
    }
    constexpr Set& Exclude(E value) {
        auto bit = Bit(value);
        bits_[bit / 64] &= ~(uint64_t{1} << (bit % 64));
        return *this;
    }
    constexpr bool Empty() const {
        for (auto word : bits_)
            if (word) return false;
        return true;
    }

    constexpr Set operator+(const Set& other) const {
        Set result;
        for (size_t i = 0; i < kWords; ++i)
            result.bits_[i] = bits_[i] | other.bits_[i];
        return result;
    }
    constexpr Set operator-(const Set& other) const {
        Set result;
        for (size_t i = 0; i < kWords; ++i)
            result.bits_[i] = bits_[i] & ~other.bits_[i];
        return result;
    }
    constexpr Set operator*(const Set& other) const {
        Set result;
        for (size_t i = 0; i < kWords; ++i)
            result.bits_[i] = bits_[i] & other.bits_[i];
        return result;
    }
    constexpr Set& operator+=(const Set& other) { return *this = *this + other; }
    constexpr Set& operator-=(const Set& other) { return *this = *this - other; }
    constexpr Set& operator*=(const Set& other) { return *this = *this * other; }
    // Subset test, the framework's `<=`.
    constexpr bool operator<=(const Set& other) const { return (*this - other).Empty(); }
    friend constexpr bool operator==(const Set&, const Set&) = default;

    SetBits Bits() const {
        SetBits result;
        for (size_t i = 0; i < kWords; ++i)
            result.words[i] = bits_[i];
        return result;
    }
    static Set FromBits(const SetBits& bits) {
        Set result;
        for (size_t i = 0; i < kWords; ++i)
            result.bits_[i] = bits.words[i];
        return result;
    }

private:
    using Underlying = std::underlying_type_t<E>;
    static_assert(sizeof(Underlying) == 1, "set elements are byte-sized enumerations");
    static constexpr size_t kWords = 4;
    static constexpr size_t Bit(E value) { return static_cast<uint8_t>(value); }

    std::array<uint64_t, kWords> bits_{};
};

// ---------------------------------------------------------------------------------------------
// Arithmetic

// Rounds halves to even: Round(2.5) == 2, Round(3.5) == 4. NaN, infinities and values outside
// Int64 raise EInvalidOp.
Int64 Round(double value);
// Towards zero, with the same errors as Round.
Int64 Trunc(double value);
// The fraction and the whole part, both with the sign of the value; NaN and infinities raise EInvalidOp.
double Frac(double value);
double Int(double value);
// a * b / c on a 64-bit product, rounded half away from zero; -1 when c is 0 or the result
// does not fit in an Integer.
Integer MulDiv(Integer a, Integer b, Integer c);

// The process-wide pseudo-random sequence: seed = seed * 134775813 + 1 (mod 2^32).
Cardinal RandSeed();
void SetRandSeed(Cardinal seed);
// 0 <= result < range for a positive range; 0 for 0; range <= result <= 0 for a negative range.
Integer Random(Integer range);
// 0 <= result < 1.
double Random();
// Seeds from the tick count of the platform clock.
void Randomize();

// Ends the program at once with `exitCode`: exit procedures run (the platform leaves the shared
// desktop, streams are flushed), but no form or component is freed.
[[noreturn]] void Halt(Integer exitCode = 0);

}  // namespace vcl
