// A titled panel around its children.
#pragma once

#include <memory>

#include "vexlo/Vexlo.Item.h"
#include "vexlo/Vexlo.ItemCommon.h"

namespace vexlo {

class IVexloItemHTMLPanelGroup : public virtual IVexloItem {
 public:
  virtual void SetColSize(const std::string& AValue) = 0;
  virtual std::string GetColSize() const = 0;
  virtual std::string GetTitle() const = 0;
  virtual void SetTitle(const std::string& AValue) = 0;
  virtual void SetInLine(bool AValue) = 0;
  virtual bool GetInLine() const = 0;
  virtual TVexloItems& Items() = 0;
};

class TVexloItemHTMLPanelGroup : public TVexloItem, public IVexloItemHTMLPanelGroup {
 public:
  explicit TVexloItemHTMLPanelGroup(TVexloClass* ABaseClass);

  void SetColSize(const std::string& AValue) override { FColSize = AValue; }
  std::string GetColSize() const override { return FColSize; }
  std::string GetTitle() const override { return FTitle; }
  void SetTitle(const std::string& AValue) override { FTitle = AValue; }
  void SetInLine(bool AValue) override { FInLine = AValue; }
  bool GetInLine() const override { return FInLine; }
  TVexloItems& Items() override { return *FVexloItems; }
  void Render() override;

 private:
  void BeginReader();
  void EndReader();
  std::unique_ptr<TVexloItems> FVexloItems;
  std::string FColSize = "col-xl-auto";
  std::string FTitle;
  bool FInLine = false;
};

}  // namespace vexlo
