#pragma once
// The code of the IoError an action raises (0 for none), checked to carry the
// table's text for that code.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host/Errors.h"

namespace skarvel::test {

inline int IoErrorCodeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const IoError& error) {
    EXPECT_EQ(std::string(error.what()), IoError::TextFor(error.code()));
    return error.code();
  }
  return 0;
}

}  // namespace skarvel::test
