#include "platform/core/Classes.h"

#include <algorithm>

namespace core {

void Abort() {
  throw EAbort();
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------

TClassInfo::TClassInfo(std::string AName, const TClassInfo* AParent, TFactory AFactory)
    : FName(std::move(AName)), FParent(AParent), FFactory(std::move(AFactory)) {}

bool TClassInfo::InheritsFrom(const TClassInfo* AClass) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    if (c == AClass) return true;
  return false;
}

TComponent* TClassInfo::Create(TComponent* AOwner) const {
  if (!FFactory) throw EToolkitError("A classe " + FName + " não pode ser criada diretamente");
  return FFactory(AOwner);
}

TClassInfo& TClassInfo::AddProperty(TPropInfo AInfo) {
  FOwn.push_back(std::move(AInfo));
  return *this;
}

std::vector<const TPropInfo*> TClassInfo::Properties() const {
  std::vector<const TPropInfo*> result;
  if (FParent) result = FParent->Properties();
  for (const TPropInfo& p : FOwn) {
    auto it = std::find_if(result.begin(), result.end(),
                           [&](const TPropInfo* q) { return SameText(q->Name, p.Name); });
    if (it != result.end())
      *it = &p;
    else
      result.push_back(&p);
  }
  return result;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view AName) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    for (const TPropInfo& p : c->FOwn)
      if (SameText(p.Name, AName)) return &p;
  return nullptr;
}

// ---------------------------------------------------------------------------

const TClassInfo& TComponent::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TComponent", nullptr, FactoryOf<TComponent>());
    c.AddProperty(MakeProp<TComponent, std::string>(
        "Name", TPropKind::String, "TComponentName", [](const TComponent& o) { return o.Name(); },
        [](TComponent& o, std::string v) { o.SetName(v); }));
    c.AddProperty(MakeProp<TComponent, int64_t>(
        "Tag", TPropKind::Integer, "NativeInt", [](const TComponent& o) { return int64_t(o.Tag); },
        [](TComponent& o, int64_t v) { o.Tag = static_cast<intptr_t>(v); }));
    return c;
  }();
  return info;
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FDestroying = true;
  // Tell everyone who holds a reference to us.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->RemoveNotification(this);
    other->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* child = FComponents.back();
    // The child's destructor removes it from our list.
    child->Free();
  }
}

void TComponent::Free() {
  if (!FDestroying) BeforeDestruction();
  delete this;
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetName(const std::string& AName) {
  if (AName == FName) return;
  if (!AName.empty() && FOwner) {
    TComponent* other = FOwner->FindComponent(AName);
    if (other && other != this) throw EToolkitError("Já existe um componente chamado " + AName);
  }
  FName = AName;
}

TComponent* TComponent::FindComponent(std::string_view AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
    throw EToolkitError("Já existe um componente chamado " + AComponent->FName);
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (it == FComponents.end()) return;
  Notification(AComponent, TOperation::opRemove);
  // Notification may have changed the list; find it again.
  it = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (it != FComponents.end()) FComponents.erase(it);
  AComponent->FOwner = nullptr;
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
      AComponent->FFreeNotifies.end())
    AComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
  if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
}

void TComponent::Notification(TComponent*, TOperation) {
  // Subclasses that keep references to other components clear them here.
}

TPropValue TComponent::GetPropValue(std::string_view AName) const {
  const TPropInfo* p = ClassType().FindProperty(AName);
  if (!p) throw EToolkitError("Propriedade desconhecida: " + std::string(AName));
  return p->Get(*this);
}

void TComponent::SetPropValue(std::string_view AName, const TPropValue& AValue) {
  const TPropInfo* p = ClassType().FindProperty(AName);
  if (!p) throw EToolkitError("Propriedade desconhecida: " + std::string(AName));
  if (!p->Set) throw EToolkitError("Propriedade somente leitura: " + std::string(AName));
  p->Set(*this, AValue);
}

bool TComponent::HasProperty(std::string_view AName) const {
  return ClassType().FindProperty(AName) != nullptr;
}

// ---------------------------------------------------------------------------

void TStrings::SetStrings(int AIndex, const std::string& AValue) {
  FLines.at(AIndex) = AValue;
  Changed();
}

int TStrings::Add(const std::string& ALine) {
  FLines.push_back(ALine);
  Changed();
  return Count() - 1;
}

void TStrings::Insert(int AIndex, const std::string& ALine) {
  if (AIndex < 0 || AIndex > Count()) throw std::out_of_range("Índice de lista fora dos limites");
  FLines.insert(FLines.begin() + AIndex, ALine);
  Changed();
}

void TStrings::Delete(int AIndex) {
  if (AIndex < 0 || AIndex >= Count()) throw std::out_of_range("Índice de lista fora dos limites");
  FLines.erase(FLines.begin() + AIndex);
  Changed();
}

void TStrings::Clear() {
  if (FLines.empty()) return;
  FLines.clear();
  Changed();
}

int TStrings::IndexOf(std::string_view ALine) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(FLines[i], ALine)) return i;
  return -1;
}

std::string TStrings::Text() const {
  std::string s;
  for (const auto& l : FLines) {
    s += l;
    s += '\n';
  }
  return s;
}

void TStrings::SetText(std::string_view AText) {
  FLines.clear();
  size_t i = 0;
  std::string line;
  while (i < AText.size()) {
    char ch = AText[i++];
    if (ch == '\r' || ch == '\n') {
      if (ch == '\r' && i < AText.size() && AText[i] == '\n') ++i;
      FLines.push_back(std::move(line));
      line.clear();
    } else {
      line += ch;
    }
  }
  if (!line.empty()) FLines.push_back(std::move(line));
  Changed();
}

void TStrings::Assign(const TStrings& AOther) {
  FLines = AOther.FLines;
  Changed();
}

}  // namespace core
