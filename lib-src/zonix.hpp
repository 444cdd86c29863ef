// zonix for C++: the owning handles over the C records (zonixhandles.hpp,
// zonixlp_handles.hpp)
// and, but in the library's own exact objects, whose records are rational,
// double, exact and auto arithmetic: convert(), row_query() and
// solve_lp(), exact results as mpq_class (zonixarith.hpp).
#ifndef ZONIX_HPP
#define ZONIX_HPP

#include "zonixhandles.hpp"
#include "zonixlp_handles.hpp"
#ifndef ZONIX_EXACT
#include "zonixarith.hpp"
#endif

#endif  // ZONIX_HPP
