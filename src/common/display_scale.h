// The scale a window is shown at: its DPI over the 96 of 100 %. Every length of
// the program's geometry is written for 100 % and goes through one rule here on
// its way to a window's pixels, so the frames, tabs and labels of a window at
// 150 % are all one and a half times as large and still meet where they meet.
// Platform-free.
#pragma once

namespace ovn {

class DisplayScale {
public:
    static constexpr int kBaseDpi = 96;    // 100 %
    static constexpr int kMaxDpi = 960;    // 1000 %: nothing the system reports goes past it

    constexpr DisplayScale() = default;
    // A DPI outside 1..960 (an unset or corrupt reading) is taken as 96.
    constexpr explicit DisplayScale(int dpi) : m_dpi(dpi > 0 && dpi <= kMaxDpi ? dpi : kBaseDpi) {}

    constexpr int Dpi() const { return m_dpi; }
    constexpr int Percent() const { return Px(100); }
    constexpr bool IsBase() const { return m_dpi == kBaseDpi; }

    // A length or coordinate at 100 % in this scale's pixels: times DPI / 96,
    // rounded half away from zero (the system's MulDiv rounds the same way, so
    // what it scales and what we scale agree). A rectangle is scaled by its
    // edges, never by its size, so pieces that touch at 100 % touch at any scale.
    constexpr int Px(int length) const {
        const long long n = static_cast<long long>(length) * m_dpi;
        const long long q = (n < 0 ? n - kBaseDpi / 2 : n + kBaseDpi / 2) / kBaseDpi;
        return static_cast<int>(q);
    }
    // The width of the span [left, left + width) at 100 %, scaled by its edges.
    constexpr int Span(int left, int width) const { return Px(left + width) - Px(left); }
    // A length made for another DPI (a font the system made for its own DPI)
    // at this scale, by the same rounding; a DPI of 0 or less leaves it as it is.
    constexpr int FromDpi(int length, int fromDpi) const {
        if (fromDpi <= 0)
            return length;
        const long long n = static_cast<long long>(length) * m_dpi;
        return static_cast<int>((n < 0 ? n - fromDpi / 2 : n + fromDpi / 2) / fromDpi);
    }

    constexpr bool operator==(const DisplayScale&) const = default;

private:
    int m_dpi = kBaseDpi;
};

}  // namespace ovn
