// A set of enumeration members stored as a bit mask, the bit of a member being its
// ordinal. The stored width is fixed per set type because the masks are stored with
// the owner form and some reach the engines bit for bit.
#pragma once

#include <initializer_list>
#include <type_traits>

namespace zipbuilder {

template <typename Enum, typename Bits>
class EnumSet {
  static_assert(std::is_enum_v<Enum>);
  static_assert(std::is_unsigned_v<Bits>);

 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<Enum> members) {
    for (Enum member : members) {
      Include(member);
    }
  }

  // Bits beyond the last member are kept as they came; nothing reads them.
  [[nodiscard]] static constexpr EnumSet FromBits(Bits bits) {
    EnumSet set;
    set.bits_ = bits;
    return set;
  }
  [[nodiscard]] constexpr Bits ToBits() const { return bits_; }

  [[nodiscard]] constexpr bool Contains(Enum member) const { return (bits_ & BitOf(member)) != 0; }
  [[nodiscard]] constexpr bool Empty() const { return bits_ == 0; }

  constexpr EnumSet& Include(Enum member) {
    bits_ = static_cast<Bits>(bits_ | BitOf(member));
    return *this;
  }
  constexpr EnumSet& Exclude(Enum member) {
    bits_ = static_cast<Bits>(bits_ & ~BitOf(member));
    return *this;
  }

  friend constexpr bool operator==(EnumSet, EnumSet) = default;

 private:
  [[nodiscard]] static constexpr Bits BitOf(Enum member) {
    return static_cast<Bits>(Bits{1} << static_cast<unsigned>(member));
  }

  Bits bits_ = 0;
};

}  // namespace zipbuilder
