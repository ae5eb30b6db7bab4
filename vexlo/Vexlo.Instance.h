// The registry of form and data-module instances: at most one instance per
// exact class. One global registry (owned by the application) and one per web
// session.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "orvane/server/Orvane.Interfaces.h"
#include "platform/ui/Forms.h"

namespace vexlo {

class IVexloInstance {
 public:
  virtual ~IVexloInstance() = default;
  virtual std::shared_ptr<orvane::IOrvaneSession> GetOrvaneSession() = 0;
};

// A web session holds its registry as an orvane::IOrvaneVexloInstance.
class TVexloInstance : public IVexloInstance, public orvane::IOrvaneVexloInstance {
 public:
  explicit TVexloInstance(core::TComponent* AOwner);
  // Frees the dictionary only; the registered instances stay alive.
  ~TVexloInstance() override;

  // Constructs a form (or data module, or any creatable class) with the
  // registry's owner, or an explicit one, and registers it.
  core::TComponent* CreateInstance(core::TComponentClass AClass);
  core::TComponent* CreateInstance(core::TComponentClass AClass, core::TComponent* AOwner);
  template <class T>
  T* CreateInstance() {
    return static_cast<T*>(CreateInstance(&T::StaticClass()));
  }
  // Registers an existing form or data module.
  void CreateInstance(core::TComponent* AObject) { AddInstace(AObject); }
  void AddInstace(core::TComponent* AObject);
  // Registers under the object's class unless that class is already a key.
  void CreateInstanceComponent(core::TComponent* AObject);

  // The instance of exactly that class, or nil.
  core::TComponent* GetInstance(core::TComponentClass AClass) const;
  template <class T>
  T* GetInstance() const {
    return static_cast<T*>(GetInstance(&T::StaticClass()));
  }
  core::TComponent* GetInstanceByObjectName(const std::string& AName) const;
  static std::string FixInstanceObjectName(const core::TComponent* AObject);

  // Removes the key of the form's class; the form is not freed.
  void RemoveInstance(const core::TComponent* AForm);
  void RemoveClass(core::TComponentClass AClass);
  // Frees the instance of the class (errors swallowed) and removes its key.
  void DestroyInstance(core::TComponentClass AClass);
  void DestroyAllInstances();

  bool IsVexloContext() const { return false; }
  std::shared_ptr<orvane::IOrvaneSession> GetOrvaneSession() override { return FOrvaneSession; }
  void SetOrvaneSession(std::shared_ptr<orvane::IOrvaneSession> ASession) {
    FOrvaneSession = std::move(ASession);
  }
  core::TComponent* Owner() const { return FOwner; }
  int Count() const { return static_cast<int>(FObjectInstance.size()); }

 private:
  class TWatcher;
  void Register(core::TComponent* AObject);
  // Keyed by exact class, in registration order.
  std::vector<std::pair<core::TComponentClass, core::TComponent*>> FObjectInstance;
  std::shared_ptr<orvane::IOrvaneSession> FOrvaneSession;
  std::unique_ptr<TWatcher> FWatcher;
  core::TComponent* FOwner;
};

// The application's registry; the desktop flow never registers in it.
TVexloInstance& GlobalVexloInstance();

}  // namespace vexlo
