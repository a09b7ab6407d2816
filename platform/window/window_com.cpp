// COM: nothing to start on this system, so only the count of starts is kept.
#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace plat::window {
namespace {

int g_com_count = 0;  // ComInitialize calls not yet undone

}  // namespace

namespace internal {

void ResetCom() { g_com_count = 0; }

}  // namespace internal

int32_t ComInitialize() {
  if (internal::CurrentFailures().com_initialize) return kComFailed;
  internal::Trace("ComInitialize");
  return ++g_com_count == 1 ? kComOk : kComAlready;
}

void ComUninitialize() {
  if (g_com_count == 0) return;
  --g_com_count;
  internal::Trace("ComUninitialize");
}

int ComInitCount() { return g_com_count; }

}  // namespace plat::window
