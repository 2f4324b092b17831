#include "host/platform/win32/FileCalls.h"

#include <utility>

namespace skarvel::filecalls {
namespace {

FaultHook& Hook() {
  static FaultHook hook;
  return hook;
}

}  // namespace

void SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

bool Faulted(const char* call, const char* path, const char* other) {
  const FaultHook& hook = Hook();
  if (!hook) return false;
  const DWORD error = hook(call, path, other);
  if (error == 0) return false;
  SetLastError(error);
  return true;
}

}  // namespace skarvel::filecalls
