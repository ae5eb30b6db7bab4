// A popup: a Bootstrap modal dialog around its children, which reports its
// opening and closing to the server.
#pragma once

#include <memory>

#include "vexlo/Vexlo.Item.h"
#include "vexlo/Vexlo.ItemCommon.h"

namespace vexlo {

class IVexloItemHTMLPopup : public virtual IVexloItem {
 public:
  virtual std::string GetTitle() const = 0;
  virtual void SetTitle(const std::string& AValue) = 0;
  virtual bool GetShowButtonClose() const = 0;
  virtual void SetShowButtonClose(bool AValue) = 0;
  virtual TVexloItems& Items() = 0;
};

class TVexloItemHTMLPopup : public TVexloItem, public IVexloItemHTMLPopup {
 public:
  explicit TVexloItemHTMLPopup(TVexloClass* ABaseClass);

  std::string GetTitle() const override { return FTitle; }
  void SetTitle(const std::string& AValue) override { FTitle = AValue; }
  bool GetShowButtonClose() const override { return FShowButtonClose; }
  void SetShowButtonClose(bool AValue) override { FShowButtonClose = AValue; }
  TVexloItems& Items() override { return *FVexloItems; }
  void Render() override;

 private:
  void BeginReader();
  void EndReader();
  std::unique_ptr<TVexloItems> FVexloItems;
  std::string FTitle;
  bool FShowButtonClose = true;
};

}  // namespace vexlo
