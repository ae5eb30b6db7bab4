// A global of the program (the request form while it is shown, the menu's
// tabbed host) that in web mode belongs to each session: on a thread
// working for a web session it is kept in that session's instance registry,
// everywhere else in the desktop's own slot. Two sessions never see each
// other's forms through it.
#pragma once

#include <cstddef>
#include <memory>

#include "orvane/server/Orvane.Session.h"
#include "vexlo/Vexlo.Instance.h"

namespace app {

template <class T>
class TSessionGlobal {
 public:
  T* operator->() const { return Get(); }
  operator T*() const { return Get(); }
  TSessionGlobal& operator=(T* AValue) {
    vexlo::TVexloInstance* registry = Registry();
    if (!orvane::CurrentOrvaneSession()) {
      FDesktop = AValue;
    } else if (registry) {
      // The registry forgets an object that is freed (free notification).
      registry->RemoveClass(&T::StaticClass());
      if (AValue) registry->CreateInstanceComponent(AValue);
    }
    return *this;
  }
  bool operator==(std::nullptr_t) const { return Get() == nullptr; }
  bool operator!=(std::nullptr_t) const { return Get() != nullptr; }

 private:
  static vexlo::TVexloInstance* Registry() {
    orvane::IOrvaneSession* session = orvane::CurrentOrvaneSession();
    if (!session) return nullptr;
    return dynamic_cast<vexlo::TVexloInstance*>(session->GetVexloInstance().get());
  }
  T* Get() const {
    if (!orvane::CurrentOrvaneSession()) return FDesktop;
    vexlo::TVexloInstance* registry = Registry();
    return registry ? static_cast<T*>(registry->GetInstance(&T::StaticClass())) : nullptr;
  }
  T* FDesktop = nullptr;
};

}  // namespace app
