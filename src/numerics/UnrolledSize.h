// Chooses the compiled size of a kernel templated on its matrix order.
#pragma once

#include <type_traits>

// kernel(std::integral_constant<int, Q>{}) with Q = q for the common orders 2 to 5,
// whose loops the compiler unrolls, else with Q = 0 (the order read at run time).
template <typename Kernel>
auto WithUnrolledSize(int q, const Kernel& kernel) {
  switch (q) {
    case 2: return kernel(std::integral_constant<int, 2>{});
    case 3: return kernel(std::integral_constant<int, 3>{});
    case 4: return kernel(std::integral_constant<int, 4>{});
    case 5: return kernel(std::integral_constant<int, 5>{});
    default: return kernel(std::integral_constant<int, 0>{});
  }
}
