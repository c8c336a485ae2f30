// Each window's own message numbers (and timer ids) are listed in one table
// beside their definitions; a table whose numbers are not all different does
// not compile, so a new message cannot quietly take the number of another that
// the same window already answers.
#pragma once
#include <cstddef>

namespace ovn {

template <typename Number, std::size_t N>
constexpr bool AllDifferent(const Number (&numbers)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t j = i + 1; j < N; ++j)
            if (numbers[i] == numbers[j])
                return false;
    return true;
}

}  // namespace ovn
