// A row: a division around its children, with a leading class ("row mt-2
// mb-2" for the adder's "row"), or a Bootstrap inline form row.
#pragma once

#include <memory>

#include "vexlo/Vexlo.Item.h"
#include "vexlo/Vexlo.ItemCommon.h"

namespace vexlo {

class IVexloItemHTMLRow : public virtual IVexloItem {
 public:
  virtual void SetInLine(bool AValue) = 0;
  virtual bool GetInLine() const = 0;
  virtual void SetHTMLTagRow(const std::string& AValue) = 0;
  virtual std::string GetHTMLTagRow() const = 0;
  virtual TVexloItems& Items() = 0;
};

class TVexloItemHTMLRow : public TVexloItem, public IVexloItemHTMLRow {
 public:
  explicit TVexloItemHTMLRow(TVexloClass* ABaseClass);

  void SetInLine(bool AValue) override { FInLine = AValue; }
  bool GetInLine() const override { return FInLine; }
  void SetHTMLTagRow(const std::string& AValue) override { FTagRow = AValue; }
  std::string GetHTMLTagRow() const override { return FTagRow; }
  TVexloItems& Items() override { return *FVexloItems; }
  void Render() override;

 private:
  void BeginReader();
  std::unique_ptr<TVexloItems> FVexloItems;
  bool FInLine = false;
  std::string FTagRow = "row";
};

}  // namespace vexlo
