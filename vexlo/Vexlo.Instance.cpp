#include "vexlo/Vexlo.Instance.h"

#include <algorithm>
#include <cctype>

#include "vexlo/Vexlo.Forms.h"

namespace vexlo {

// Hears of the destruction of registered objects, so that no entry is left
// pointing at a freed object (a form of a session registry is freed while the
// registry lives on).
class TVexloInstance::TWatcher : public core::TComponent {
 public:
  explicit TWatcher(TVexloInstance& ARegistry) : FRegistry(ARegistry) {}

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override {
    core::TComponent::Notification(AComponent, AOperation);
    if (AOperation != core::TOperation::opRemove) return;
    auto& list = FRegistry.FObjectInstance;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const auto& e) { return e.second == AComponent; }),
               list.end());
  }

 private:
  TVexloInstance& FRegistry;
};

TVexloInstance::TVexloInstance(core::TComponent* AOwner)
    : FWatcher(std::make_unique<TWatcher>(*this)), FOwner(AOwner) {}

TVexloInstance::~TVexloInstance() = default;

void TVexloInstance::Register(core::TComponent* AObject) {
  if (!AObject) return;
  core::TComponentClass cls = &AObject->ClassType();
  if (GetInstance(cls)) return;  // the first instance of a class stays
  FObjectInstance.emplace_back(cls, AObject);
  FWatcher->FreeNotification(AObject);
}

core::TComponent* TVexloInstance::CreateInstance(core::TComponentClass AClass) {
  return CreateInstance(AClass, FOwner);
}

core::TComponent* TVexloInstance::CreateInstance(core::TComponentClass AClass,
                                                 core::TComponent* AOwner) {
  core::TComponent* obj = AClass->Create(AOwner);
  try {
    // Forms and data modules fire OnCreate once they are whole.
    obj->AfterConstruction();
  } catch (...) {
    obj->Free();
    throw;
  }
  AddInstace(obj);
  return obj;
}

void TVexloInstance::AddInstace(core::TComponent* AObject) {
  if (auto* form = dynamic_cast<TVexloForm*>(AObject)) form->SetUsedVexloInstance(true);
  Register(AObject);
}

void TVexloInstance::CreateInstanceComponent(core::TComponent* AObject) {
  Register(AObject);
}

core::TComponent* TVexloInstance::GetInstance(core::TComponentClass AClass) const {
  for (const auto& [cls, obj] : FObjectInstance)
    if (cls == AClass) return obj;
  return nullptr;
}

std::string TVexloInstance::FixInstanceObjectName(const core::TComponent* AObject) {
  if (!AObject) return "";
  const std::string& name = AObject->Name();
  std::string base = AObject->ClassName().substr(1);
  std::string suffix = name.size() > base.size() ? name.substr(base.size()) : "";
  if (!suffix.empty() && suffix.front() == '_' &&
      std::isdigit(static_cast<unsigned char>(suffix.back())))
    return base;
  return name;
}

core::TComponent* TVexloInstance::GetInstanceByObjectName(const std::string& AName) const {
  for (const auto& entry : FObjectInstance)
    if (core::SameText(entry.second->Name(), AName)) return entry.second;
  for (const auto& entry : FObjectInstance)
    if (core::SameText(FixInstanceObjectName(entry.second), AName)) return entry.second;
  return nullptr;
}

void TVexloInstance::RemoveClass(core::TComponentClass AClass) {
  FObjectInstance.erase(std::remove_if(FObjectInstance.begin(), FObjectInstance.end(),
                                       [&](const auto& e) { return e.first == AClass; }),
                        FObjectInstance.end());
}

void TVexloInstance::RemoveInstance(const core::TComponent* AForm) {
  if (AForm) RemoveClass(&AForm->ClassType());
}

void TVexloInstance::DestroyInstance(core::TComponentClass AClass) {
  core::TComponent* obj = GetInstance(AClass);
  if (!obj) return;
  // Drop the key first: the object's destructor must find nothing to remove.
  RemoveClass(AClass);
  try {
    if (auto* form = dynamic_cast<TVexloForm*>(obj)) {
      form->SetUsedVexloInstance(false);
      form->Free();
    } else if (auto* other = dynamic_cast<ui::TCustomForm*>(obj)) {
      other->Hide();
      other->Free();
    } else {
      obj->Free();
    }
  } catch (...) {
    // Errors while freeing an instance are swallowed; the key is gone anyway.
  }
}

void TVexloInstance::DestroyAllInstances() {
  while (!FObjectInstance.empty()) DestroyInstance(FObjectInstance.back().first);
}

TVexloInstance& GlobalVexloInstance() {
  static TVexloInstance instance(ui::Application);
  return instance;
}

}  // namespace vexlo
