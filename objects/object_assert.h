// The precondition checks of the object interface.
//
// A caller that breaks a documented precondition (closing a logfile object
// that is not open, asking for header information that was never read) has a
// fault of its own that no result code could report: the program stops with
// the assertion report every part of the system uses.
#pragma once

namespace tarn::objects_detail {

[[noreturn]] void AssertionFailure(const char* expression, unsigned line, const char* file);

}  // namespace tarn::objects_detail

#define TARN_OBJECT_ASSERT(expression)                                                     \
  ((expression) ? static_cast<void>(0)                                                     \
                : ::tarn::objects_detail::AssertionFailure(#expression, __LINE__, __FILE__))
