#pragma once

namespace varne {

// Truncates toward zero like a C cast to int, but defined for every input: values beyond the
// int range give the nearest limit and NaN gives 0. Report values come from the tester
// unchecked, so any float may arrive.
int truncateToInt(double value);

} // namespace varne
