// The component core shared by the toolkit model and the data layer:
// components with owners and names, free notification, class information with
// published-property tables, string lists and the silent-abort exception.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace core {

class TComponent;

using TNotifyEvent = std::function<void(TComponent* Sender)>;

// Ends an event handler without a message: the standard exception report
// ignores it.
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};
[[noreturn]] void Abort();

// A general failure of the toolkit with a message meant for the user.
class EToolkitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ASCII case-insensitive comparison, used for component and property names.
bool SameText(std::string_view a, std::string_view b);

// ---------------------------------------------------------------------------
// Published properties

enum class TPropKind { Bool, Integer, Float, String, Enum, Component };

// A property value. Enumerations travel as their ordinal in the Integer slot;
// the TPropInfo says which enumeration type it is.
using TPropValue = std::variant<std::monostate, bool, int64_t, double, std::string, TComponent*>;

struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::String;
  std::string TypeName;  // "Boolean", "Integer", "String", "TAlign", ...
  std::function<TPropValue(const TComponent&)> Get;
  std::function<void(TComponent&, const TPropValue&)> Set;  // empty when read-only
};

class TClassInfo;
using TComponentClass = const TClassInfo*;

// Run-time class information: the name, the parent class, a factory for
// classes constructible from an owner, and the class's own published
// properties. Instances are function-local statics, one per class.
class TClassInfo {
 public:
  using TFactory = std::function<TComponent*(TComponent* AOwner)>;

  TClassInfo(std::string AName, const TClassInfo* AParent, TFactory AFactory);

  const std::string& ClassName() const { return FName; }
  const TClassInfo* ClassParent() const { return FParent; }
  bool InheritsFrom(const TClassInfo* AClass) const;
  // Creates an instance with the given owner; throws for abstract classes.
  TComponent* Create(TComponent* AOwner) const;
  bool CanCreate() const { return static_cast<bool>(FFactory); }

  // Registers a published property of this class.
  TClassInfo& AddProperty(TPropInfo AInfo);
  // Every published property, the ancestors' first; a redeclared name
  // replaces the ancestor's entry.
  std::vector<const TPropInfo*> Properties() const;
  const TPropInfo* FindProperty(std::string_view AName) const;

 private:
  std::string FName;
  const TClassInfo* FParent;
  TFactory FFactory;
  std::vector<TPropInfo> FOwn;
};

// Builds the factory for a class constructible from an owner.
template <class T>
TClassInfo::TFactory FactoryOf() {
  if constexpr (std::is_constructible_v<T, TComponent*> && !std::is_abstract_v<T>) {
    return [](TComponent* AOwner) -> TComponent* { return new T(AOwner); };
  } else {
    return nullptr;
  }
}

// Declares the class-information accessors inside a component class.
#define CORE_DECLARE_CLASS()                             \
 public:                                                 \
  static const ::core::TClassInfo& StaticClass();        \
  const ::core::TClassInfo& ClassType() const override { \
    return StaticClass();                                \
  }

// Typed helpers for property tables.
template <class T, class V>
TPropInfo MakeProp(std::string AName, TPropKind AKind, std::string ATypeName,
                   std::function<V(const T&)> AGet, std::function<void(T&, V)> ASet) {
  TPropInfo info;
  info.Name = std::move(AName);
  info.Kind = AKind;
  info.TypeName = std::move(ATypeName);
  info.Get = [AGet](const TComponent& c) -> TPropValue {
    V v = AGet(static_cast<const T&>(c));
    if constexpr (std::is_enum_v<V>) {
      return static_cast<int64_t>(v);
    } else if constexpr (std::is_same_v<V, bool>) {
      return v;
    } else if constexpr (std::is_integral_v<V>) {
      return static_cast<int64_t>(v);
    } else if constexpr (std::is_floating_point_v<V>) {
      return static_cast<double>(v);
    } else if constexpr (std::is_pointer_v<V>) {
      return static_cast<TComponent*>(v);
    } else {
      return std::string(v);
    }
  };
  if (ASet) {
    info.Set = [ASet](TComponent& c, const TPropValue& pv) {
      T& obj = static_cast<T&>(c);
      if constexpr (std::is_enum_v<V>) {
        ASet(obj, static_cast<V>(std::get<int64_t>(pv)));
      } else if constexpr (std::is_same_v<V, bool>) {
        ASet(obj, std::get<bool>(pv));
      } else if constexpr (std::is_integral_v<V>) {
        ASet(obj, static_cast<V>(std::get<int64_t>(pv)));
      } else if constexpr (std::is_floating_point_v<V>) {
        ASet(obj, static_cast<V>(std::get<double>(pv)));
      } else if constexpr (std::is_pointer_v<V>) {
        ASet(obj, dynamic_cast<V>(std::get<TComponent*>(pv)));
      } else {
        ASet(obj, std::get<std::string>(pv));
      }
    };
  }
  return info;
}

// Shorthand for a property read and written through a getter and a setter.
#define CORE_PROP(T, V, NAME, KIND, TYPE, GETTER, SETTER)                           \
  ::core::MakeProp<T, V>(                                                           \
      NAME, KIND, TYPE, [](const T& o) -> V { return static_cast<V>(o.GETTER()); }, \
      [](T& o, V v) { o.SETTER(v); })
#define CORE_PROP_RO(T, V, NAME, KIND, TYPE, GETTER) \
  ::core::MakeProp<T, V>(                            \
      NAME, KIND, TYPE, [](const T& o) -> V { return static_cast<V>(o.GETTER()); }, nullptr)

// ---------------------------------------------------------------------------
// Components

enum class TOperation { opInsert, opRemove };

// A named object in an ownership tree. Deleting a component deletes the
// components it owns, takes it out of its owner and tells every component that
// asked for free notification, so no reference to it is left dangling.
class TComponent {
 public:
  explicit TComponent(TComponent* AOwner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  static const TClassInfo& StaticClass();
  virtual const TClassInfo& ClassType() const { return StaticClass(); }
  const std::string& ClassName() const { return ClassType().ClassName(); }
  bool InheritsFrom(const TClassInfo& AClass) const { return ClassType().InheritsFrom(&AClass); }

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  // Names are unique among an owner's components (ignoring case); an empty
  // name is always allowed.
  virtual void SetName(const std::string& AName);

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int AIndex) const { return FComponents.at(AIndex); }
  int ComponentIndex() const;
  TComponent* FindComponent(std::string_view AName) const;

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);

  // Asks to be told (through Notification with opRemove) when AComponent is
  // destroyed. The request is mutual, as in the toolkit: each side is told
  // of the other's destruction.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Construction and destruction hooks. core::Create calls AfterConstruction
  // once the object is complete (forms and data modules fire OnCreate there);
  // Free and the owner's DestroyComponents call BeforeDestruction while the
  // whole object still exists (OnDestroy fires there).
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() { FDestroying = true; }
  // BeforeDestruction followed by delete.
  void Free();

  bool Destroying() const { return FDestroying; }
  // Called by subclasses' destructors before they tear down their own state,
  // so that notifications sent during destruction see the flag.
  void BeginDestroy() { FDestroying = true; }

  // Published properties by name (ignoring case).
  TPropValue GetPropValue(std::string_view AName) const;
  void SetPropValue(std::string_view AName, const TPropValue& AValue);
  bool HasProperty(std::string_view AName) const;

  intptr_t Tag = 0;

 protected:
  virtual void Notification(TComponent* AComponent, TOperation AOperation);
  // Frees the owned components now (used by destructors that must free their
  // children before their own members go away).
  void DestroyComponents();

 private:
  void RemoveNotification(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  std::string FName;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  bool FDestroying = false;
};

// Creates a component the way the toolkit does: construct with the owner, then
// AfterConstruction. Use it for forms and data modules.
template <class T>
T* Create(TComponent* AOwner) {
  T* obj = new T(AOwner);
  try {
    obj->AfterConstruction();
  } catch (...) {
    obj->Free();
    throw;
  }
  return obj;
}

// Frees the component (BeforeDestruction, then delete) and clears the pointer.
template <class T>
void FreeAndNil(T*& AComponent) {
  T* obj = AComponent;
  AComponent = nullptr;
  if (obj) obj->Free();
}

// Returns AComponent cast to T or nullptr.
template <class T>
T* As(TComponent* AComponent) {
  return dynamic_cast<T*>(AComponent);
}

// ---------------------------------------------------------------------------
// String lists

class TStrings {
 public:
  TStrings() = default;
  TStrings(std::initializer_list<std::string> ALines) : FLines(ALines) {}

  int Count() const { return static_cast<int>(FLines.size()); }
  const std::string& operator[](int AIndex) const { return FLines.at(AIndex); }
  const std::string& Strings(int AIndex) const { return FLines.at(AIndex); }
  void SetStrings(int AIndex, const std::string& AValue);
  int Add(const std::string& ALine);
  void Insert(int AIndex, const std::string& ALine);
  void Delete(int AIndex);
  void Clear();
  int IndexOf(std::string_view ALine) const;  // ignoring ASCII case, -1 when absent
  // The lines joined, each followed by a line break.
  std::string Text() const;
  // Replaces the lines with those of AText (split at \n, \r\n or \r).
  void SetText(std::string_view AText);
  void Assign(const TStrings& AOther);
  const std::vector<std::string>& Lines() const { return FLines; }

  // Called after every change.
  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  std::vector<std::string> FLines;
};

}  // namespace core
