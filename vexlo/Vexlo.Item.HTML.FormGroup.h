// A form group: a labelled control in its column.
#pragma once

#include <memory>

#include "vexlo/Vexlo.Item.VCLObj.h"

namespace vexlo {

class IVexloItemHTMLFormGroup : public virtual IVexloItem {
 public:
  virtual void AddVCLObj(core::TComponent* VCLItem, const std::string& CSS = "",
                         const std::string& HTMLExtras = "", const std::string& HTMLStyle = "") = 0;
  virtual void AddVCLObj(core::TComponent* VCLItem, const orvane::TOrvaneVariant& AValidationGroup,
                         bool ARequired, const std::string& CSS = "",
                         const std::string& HTMLExtras = "", const std::string& HTMLStyle = "") = 0;
  virtual void AddVCLObj(core::TComponent* VCLItem, ui::TPopupMenu* APopupMenu,
                         const std::string& CSS = "", const std::string& HTMLExtras = "",
                         const std::string& HTMLStyle = "") = 0;
  virtual void AddVCLObjWithLabel(core::TComponent* VCLItem, const std::string& ATextLabel,
                                  const std::string& CSS = "", const std::string& HTMLExtras = "",
                                  const std::string& HTMLStyle = "") = 0;
  virtual void AddLabelVCLObj(core::TComponent* VCLItem, const std::string& CSS = "",
                              const std::string& HTMLExtras = "",
                              const std::string& HTMLStyle = "") = 0;
  virtual std::string GetTextLabel() const = 0;
  virtual void SetTextLabel(const std::string& AValue) = 0;
  virtual void SetColSize1(const std::string& AValue) = 0;
  virtual std::string GetColSize1() const = 0;
  virtual void SetColSize2(const std::string& AValue) = 0;
  virtual std::string GetColSize2() const = 0;
  virtual void SetInLine(bool AValue) = 0;
  virtual bool GetInLine() const = 0;
  // The group's control item and label item (null when not set).
  virtual std::shared_ptr<IVexloItemVCLObj> Item() const = 0;
  virtual std::shared_ptr<IVexloItemVCLObj> ItemLabel() const = 0;
};

class TVexloItemHTMLFormGroup : public TVexloItem, public IVexloItemHTMLFormGroup {
 public:
  explicit TVexloItemHTMLFormGroup(TVexloClass* ABaseClass);

  void AddVCLObj(core::TComponent* VCLItem, const std::string& CSS, const std::string& HTMLExtras,
                 const std::string& HTMLStyle) override;
  void AddVCLObj(core::TComponent* VCLItem, const orvane::TOrvaneVariant& AValidationGroup,
                 bool ARequired, const std::string& CSS, const std::string& HTMLExtras,
                 const std::string& HTMLStyle) override;
  void AddVCLObj(core::TComponent* VCLItem, ui::TPopupMenu* APopupMenu, const std::string& CSS,
                 const std::string& HTMLExtras, const std::string& HTMLStyle) override;
  void AddVCLObjWithLabel(core::TComponent* VCLItem, const std::string& ATextLabel,
                          const std::string& CSS, const std::string& HTMLExtras,
                          const std::string& HTMLStyle) override;
  void AddLabelVCLObj(core::TComponent* VCLItem, const std::string& CSS,
                      const std::string& HTMLExtras, const std::string& HTMLStyle) override;
  std::string GetTextLabel() const override { return FTextLabel; }
  void SetTextLabel(const std::string& AValue) override { FTextLabel = AValue; }
  void SetColSize1(const std::string& AValue) override { FColSize1 = AValue; }
  std::string GetColSize1() const override { return FColSize1; }
  void SetColSize2(const std::string& AValue) override { FColSize2 = AValue; }
  std::string GetColSize2() const override { return FColSize2; }
  void SetInLine(bool AValue) override { FInLine = AValue; }
  bool GetInLine() const override { return FInLine; }
  std::shared_ptr<IVexloItemVCLObj> Item() const override { return FItem; }
  std::shared_ptr<IVexloItemVCLObj> ItemLabel() const override { return FItemLabel; }
  void RenderHTML() override;
  void Render() override;

 private:
  void BeginReader();
  // A control item for VCLItem on the group's bridge object, registered
  // under its identifier in place of AOld.
  std::shared_ptr<TVexloItemVCLObj> NewItem(core::TComponent* VCLItem,
                                            const std::shared_ptr<IVexloItemVCLObj>& AOld);
  // Links the label to the control (" for=...") unless it is linked already.
  void LinkLabel();

  std::string FColSize1 = "col-xl-auto";
  std::string FColSize2;
  std::shared_ptr<IVexloItemVCLObj> FItem;
  std::shared_ptr<IVexloItemVCLObj> FItemLabel;
  std::string FTextLabel;
  bool FInLine = false;
};

}  // namespace vexlo
