#pragma once
// What every test of an operation starts from: a temporary folder, the
// program-wide state with its registry inside that folder, and a scripted window.
#include <gtest/gtest.h>

#include "archive/AppState.h"
#include "support/ScratchRegistry.h"
#include "support/ScriptedWorkbench.h"
#include "support/TempDir.h"

namespace skarvel::test {

class OperationTest : public ::testing::Test {
 protected:
  TempDir dir;
  AppState state{test::ScratchRegistry(dir)};
  ScriptedWorkbench bench;
};

}  // namespace skarvel::test
