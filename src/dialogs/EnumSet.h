#pragma once
// A set of enumeration values held as a bit mask: bit n stands for the value
// with ordinal n.
#include <initializer_list>

namespace hg {

template <typename E, typename Bits> class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> values) {
        for (E value : values)
            bits_ = static_cast<Bits>(bits_ | Bit(value));
    }
    static constexpr EnumSet FromMask(Bits mask) {
        EnumSet set;
        set.bits_ = mask;
        return set;
    }

    constexpr Bits Mask() const { return bits_; }
    constexpr bool Contains(E value) const { return (bits_ & Bit(value)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr void Include(E value) { bits_ = static_cast<Bits>(bits_ | Bit(value)); }
    constexpr void Exclude(E value) { bits_ = static_cast<Bits>(bits_ & ~Bit(value)); }
    constexpr void Set(E value, bool on) { on ? Include(value) : Exclude(value); }

    friend constexpr bool operator==(EnumSet, EnumSet) = default;

private:
    static constexpr Bits Bit(E value) { return static_cast<Bits>(Bits{1} << static_cast<unsigned>(value)); }

    Bits bits_ = 0;
};

} // namespace hg
