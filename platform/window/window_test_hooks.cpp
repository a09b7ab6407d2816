// The stand-in's hooks for tests: the call observer, injected failures, the reset.
#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace plat::window {
namespace {

std::function<void(std::string_view)> g_observer;  // receives state-changing calls, or empty
Failures g_failures;                               // calls made to fail

}  // namespace

namespace internal {

void Trace(std::string_view call) {
  if (g_observer) g_observer(call);
}

const Failures& CurrentFailures() { return g_failures; }

}  // namespace internal

void SetCallObserver(std::function<void(std::string_view)> observer) { g_observer = std::move(observer); }

void InjectFailures(const Failures& failures) { g_failures = failures; }

void ResetWindowStandIn() {
  g_observer = nullptr;
  g_failures = Failures{};
  internal::ResetWindows();
  internal::ResetQueue();
  internal::ResetEvents();
  internal::ResetCursor();
  internal::ResetCom();
  internal::ResetRegions();
  internal::ResetInstanceLockOverride();
}

}  // namespace plat::window
