// An item collection: the items of a form's page or of a container, in the
// order added, and the adder through which a form declares new ones.
#pragma once

#include <memory>

#include "vexlo/Vexlo.Item.h"

namespace vexlo {

class IItemAdd;
class TItemAdd;

class IVexloAddItems {
 public:
  virtual ~IVexloAddItems() = default;
  virtual const TVexloItemList& GetItems() const = 0;
  // The collection's adder.
  virtual IItemAdd& Add() = 0;
  // Appends an existing item and registers it with the bridge object under
  // its identifier (a repeated identifier fails).
  virtual void Add(const IVexloItemPtr& AItem) = 0;
};

class TVexloItems : public IVexloAddItems {
 public:
  explicit TVexloItems(TVexloClass* ABaseClass);
  ~TVexloItems() override;
  TVexloItems(const TVexloItems&) = delete;
  TVexloItems& operator=(const TVexloItems&) = delete;

  const TVexloItemList& GetItems() const override { return FItemList; }
  IItemAdd& Add() override;
  void Add(const IVexloItemPtr& AItem) override;
  // Takes an item off the list and forgets its registration with the bridge
  // object (the registrations of its children stay with them).
  void Remove(const IVexloItemPtr& AItem);
  int Count() const { return static_cast<int>(FItemList.size()); }
  // Throws std::out_of_range for an index outside the list.
  IVexloItemPtr Item(int AIndex) const;
  const TVexloItemList& Items() const { return FItemList; }
  TVexloClass* BaseClass() const { return FBaseClass; }

 private:
  TVexloClass* FBaseClass;
  std::unique_ptr<TItemAdd> FAddItem;
  TVexloItemList FItemList;
};

}  // namespace vexlo
