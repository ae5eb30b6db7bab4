// An accordion: one collapsible entry per child collection, all collapsed.
#pragma once

#include <memory>
#include <vector>

#include "vexlo/Vexlo.Item.h"
#include "vexlo/Vexlo.ItemCommon.h"

namespace vexlo {

class IVexloItemHTMLAccordion;

class IVexloItemHTMLAccordionItem {
 public:
  virtual ~IVexloItemHTMLAccordionItem() = default;
  virtual std::string GetTitle() const = 0;
  virtual void SetTitle(const std::string& AValue) = 0;
  virtual TVexloItems& Items() = 0;
  virtual IVexloItemHTMLAccordion* Container() const = 0;
};

class TVexloItemHTMLAccordionItem : public IVexloItemHTMLAccordionItem {
 public:
  TVexloItemHTMLAccordionItem(TVexloClass* ABaseClass, IVexloItemHTMLAccordion* AContainer)
      : FItems(ABaseClass), FContainer(AContainer) {}
  std::string GetTitle() const override { return FTitle; }
  void SetTitle(const std::string& AValue) override { FTitle = AValue; }
  TVexloItems& Items() override { return FItems; }
  IVexloItemHTMLAccordion* Container() const override { return FContainer; }

 private:
  std::string FTitle;
  TVexloItems FItems;
  IVexloItemHTMLAccordion* FContainer;
};

using IVexloItemHTMLAccordionItemPtr = std::shared_ptr<IVexloItemHTMLAccordionItem>;

class IVexloItemHTMLAccordion : public virtual IVexloItem {
 public:
  virtual const std::vector<IVexloItemHTMLAccordionItemPtr>& GetAccordionItems() const = 0;
  virtual void SetColSize(const std::string& AValue) = 0;
  virtual std::string GetColSize() const = 0;
  virtual IVexloItemHTMLAccordionItemPtr AddAccordionItem() = 0;
  virtual IVexloItemHTMLAccordionItemPtr AddAccordionItem(const std::string& ATitle) = 0;
  virtual IVexloItemHTMLAccordionItemPtr AddAccordionItem(
      const IVexloItemHTMLAccordionItemPtr& AItem) = 0;
};

class TVexloItemHTMLAccordion : public TVexloItem, public IVexloItemHTMLAccordion {
 public:
  explicit TVexloItemHTMLAccordion(TVexloClass* ABaseClass);

  const std::vector<IVexloItemHTMLAccordionItemPtr>& GetAccordionItems() const override {
    return FAccordionItems;
  }
  void SetColSize(const std::string& AValue) override { FColSize = AValue; }
  std::string GetColSize() const override { return FColSize; }
  IVexloItemHTMLAccordionItemPtr AddAccordionItem() override;
  IVexloItemHTMLAccordionItemPtr AddAccordionItem(const std::string& ATitle) override;
  IVexloItemHTMLAccordionItemPtr AddAccordionItem(
      const IVexloItemHTMLAccordionItemPtr& AItem) override;
  void Render() override;

 private:
  std::vector<IVexloItemHTMLAccordionItemPtr> FAccordionItems;
  std::string FColSize;
};

}  // namespace vexlo
