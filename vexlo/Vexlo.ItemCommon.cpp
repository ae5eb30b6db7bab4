#include "vexlo/Vexlo.ItemCommon.h"

#include <algorithm>
#include <stdexcept>

#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"

namespace vexlo {

TVexloItems::TVexloItems(TVexloClass* ABaseClass)
    : FBaseClass(ABaseClass), FAddItem(std::make_unique<TItemAdd>(*this, ABaseClass)) {}

TVexloItems::~TVexloItems() {
  FItemList.clear();
  FAddItem.reset();
}

IItemAdd& TVexloItems::Add() {
  return *FAddItem;
}

void TVexloItems::Add(const IVexloItemPtr& AItem) {
  if (!AItem) return;
  if (FBaseClass) FBaseClass->AddExportedControl(AItem);
  FItemList.push_back(AItem);
}

void TVexloItems::Remove(const IVexloItemPtr& AItem) {
  auto it = std::find(FItemList.begin(), FItemList.end(), AItem);
  if (it == FItemList.end()) return;
  if (FBaseClass) FBaseClass->RemoveExportedControl(AItem);
  FItemList.erase(it);
}

IVexloItemPtr TVexloItems::Item(int AIndex) const {
  if (AIndex < 0 || AIndex >= Count())
    throw std::out_of_range("Índice de item fora da lista: " + std::to_string(AIndex));
  return FItemList[static_cast<size_t>(AIndex)];
}

}  // namespace vexlo
