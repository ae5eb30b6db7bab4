// A tab set: one tab per child collection, the first one active.
#pragma once

#include <memory>
#include <vector>

#include "vexlo/Vexlo.Item.h"
#include "vexlo/Vexlo.ItemCommon.h"

namespace vexlo {

class IVexloItemHTMLTabs;

class IVexloItemHTMLTabItem {
 public:
  virtual ~IVexloItemHTMLTabItem() = default;
  virtual std::string GetTitle() const = 0;
  virtual void SetTitle(const std::string& AValue) = 0;
  virtual TVexloItems& Items() = 0;
  virtual IVexloItemHTMLTabs* Container() const = 0;
};

class TVexloItemHTMLTabItem : public IVexloItemHTMLTabItem {
 public:
  TVexloItemHTMLTabItem(TVexloClass* ABaseClass, IVexloItemHTMLTabs* AContainer)
      : FItems(ABaseClass), FContainer(AContainer) {}
  std::string GetTitle() const override { return FTitle; }
  void SetTitle(const std::string& AValue) override { FTitle = AValue; }
  TVexloItems& Items() override { return FItems; }
  IVexloItemHTMLTabs* Container() const override { return FContainer; }

 private:
  std::string FTitle;
  TVexloItems FItems;
  IVexloItemHTMLTabs* FContainer;
};

using IVexloItemHTMLTabItemPtr = std::shared_ptr<IVexloItemHTMLTabItem>;

class IVexloItemHTMLTabs : public virtual IVexloItem {
 public:
  virtual const std::vector<IVexloItemHTMLTabItemPtr>& GetTabs() const = 0;
  virtual void SetColSize(const std::string& AValue) = 0;
  virtual std::string GetColSize() const = 0;
  virtual IVexloItemHTMLTabItemPtr AddTab() = 0;
  virtual IVexloItemHTMLTabItemPtr AddTab(const std::string& ATitle) = 0;
  virtual IVexloItemHTMLTabItemPtr AddTab(const IVexloItemHTMLTabItemPtr& AItem) = 0;
  // Removes every tab, with the items they hold.
  virtual void ClearTabs() = 0;
};

class TVexloItemHTMLTabs : public TVexloItem, public IVexloItemHTMLTabs {
 public:
  explicit TVexloItemHTMLTabs(TVexloClass* ABaseClass);

  const std::vector<IVexloItemHTMLTabItemPtr>& GetTabs() const override { return FTabs; }
  void SetColSize(const std::string& AValue) override { FColSize = AValue; }
  std::string GetColSize() const override { return FColSize; }
  IVexloItemHTMLTabItemPtr AddTab() override;
  IVexloItemHTMLTabItemPtr AddTab(const std::string& ATitle) override;
  IVexloItemHTMLTabItemPtr AddTab(const IVexloItemHTMLTabItemPtr& AItem) override;
  void ClearTabs() override;
  void Render() override;

 private:
  void BeginReader();
  std::vector<IVexloItemHTMLTabItemPtr> FTabs;
  std::string FColSize = "col";
};

}  // namespace vexlo
