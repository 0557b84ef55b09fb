// Running out of memory on demand in the GUI tests: the next nothrow allocation
// of a given size fails, as it does when memory runs out.
#pragma once

#include <cstddef>

void FailNextNothrowAllocation(std::size_t size);
