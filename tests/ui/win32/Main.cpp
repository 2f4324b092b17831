// The windows' tests run on the thread that creates them, with the common
// controls and the shell's objects ready, as Skarvel.exe starts.
#include <gtest/gtest.h>

#include "ui/win32/controls/WinApi.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const int status = RUN_ALL_TESTS();
  OleUninitialize();
  return status;
}
