// The adder: creates each kind of layout item on its collection's bridge
// object, gives it its identifier, sets the values given, appends it to the
// collection and returns it, so that a form can go on with the new item.
#pragma once

#include <memory>
#include <string>

#include "orvane/controls/Orvane.Types.h"
#include "vexlo/Vexlo.ItemCommon.h"

namespace core {
class TComponent;
}
namespace ui {
class TPopupMenu;
}

namespace vexlo {

class IVexloItemVCLObj;
class IVexloItemHTMLFormGroup;
class IVexloItemHTMLPanelGroup;
class IVexloItemHTMLRow;
class IVexloItemHTMLTabs;
class IVexloItemHTMLAccordion;
class IVexloItemHTMLPopup;
class IVexloItemNested;
class IVexloItemHTMLInput;

class IItemAdd {
 public:
  virtual ~IItemAdd() = default;
  // An empty desktop-control item (identifier from "VCLObj").
  virtual std::shared_ptr<IVexloItemVCLObj> VCLObj() = 0;
  virtual std::shared_ptr<IVexloItemVCLObj> VCLObj(core::TComponent* VCLItem,
                                                   const std::string& CSS = "",
                                                   const std::string& HTMLExtras = "",
                                                   const std::string& HTMLStyle = "") = 0;
  // With the control's drop-down menu.
  virtual std::shared_ptr<IVexloItemVCLObj> VCLObj(core::TComponent* VCLItem,
                                                   ui::TPopupMenu* APopupMenu,
                                                   const std::string& CSS = "",
                                                   const std::string& HTMLExtras = "",
                                                   const std::string& HTMLStyle = "") = 0;
  // With a validation group and the required flag.
  virtual std::shared_ptr<IVexloItemVCLObj> VCLObj(core::TComponent* VCLItem,
                                                   const orvane::TOrvaneVariant& AValidationGroup,
                                                   bool ARequired, const std::string& CSS = "",
                                                   const std::string& HTMLExtras = "",
                                                   const std::string& HTMLStyle = "") = 0;
  // A control item marked hidden: rendered, captured, but not in the body.
  virtual std::shared_ptr<IVexloItemVCLObj> VCLObjHidden(core::TComponent* VCLItem) = 0;
  virtual std::shared_ptr<IVexloItemHTMLFormGroup> FormGroup(
      const std::string& ATextLabel = "", const std::string& AColSize = "col-xl-auto",
      bool AHTMLinLine = false, const std::string& ACSS = "", const std::string& AHTMLExtras = "",
      const std::string& AHTMLStyle = "") = 0;
  virtual std::shared_ptr<IVexloItemHTMLPanelGroup> PanelGroup(
      const std::string& ATitle = "", bool AHTMLinLine = false,
      const std::string& AColSize = "col-xl-auto", const std::string& ACSS = "expanel-default",
      const std::string& AHTMLExtras = "", const std::string& AHTMLStyle = "") = 0;
  // AHTMLTag "row" becomes "row mt-2 mb-2"; any other is used unchanged.
  virtual std::shared_ptr<IVexloItemHTMLRow> Row(const std::string& AHTMLTag = "row",
                                                 bool AHTMLinLine = false,
                                                 const std::string& ACSS = "",
                                                 const std::string& AHTMLExtras = "",
                                                 const std::string& AHTMLStyle = "") = 0;
  // A row that is not inline, with AHTMLTag as its leading class.
  virtual std::shared_ptr<IVexloItemHTMLRow> HTMLDIV(const std::string& AHTMLTag,
                                                     const std::string& ACSS = "",
                                                     const std::string& AHTMLExtras = "",
                                                     const std::string& AHTMLStyle = "") = 0;
  virtual std::shared_ptr<IVexloItemHTMLTabs> Tabs(const std::string& ACSS = "",
                                                   const std::string& AHTMLExtras = "",
                                                   const std::string& AHTMLStyle = "") = 0;
  virtual std::shared_ptr<IVexloItemHTMLAccordion> Accordion(
      const std::string& ACSS = "", const std::string& AHTMLExtras = "",
      const std::string& AHTMLStyle = "") = 0;
  // Identifier: the name in upper case; also registered as a popup of the
  // bridge object.
  virtual std::shared_ptr<IVexloItemHTMLPopup> Popup(const std::string& AName,
                                                     const std::string& ATitle = "",
                                                     bool AShowButtonClose = true) = 0;
  virtual std::shared_ptr<IVexloItemNested> Nested(const std::string& AFormName) = 0;
  // A file upload (identifier from "Upload"). AAllowedFileTypes: the
  // extensions separated by ",", or "*" for every type; sizes in megabytes;
  // 0 means no limit.
  virtual std::shared_ptr<IVexloItemHTMLInput> Upload(
      const std::string& ACaption = "Escolha um arquivo",
      const std::string& AAllowedFileTypes = "jpg,jpeg,png,pdf", int AMaxFiles = 1,
      int AMaxFileSize = 20, bool AInputVisible = true, bool AButtonCleanVisible = true,
      bool AButtonUploadVisible = true, bool AShowFinishMessage = false,
      int AMaxUploadSize = 20) = 0;
};

class TItemAdd : public IItemAdd {
 public:
  explicit TItemAdd(IVexloAddItems& AVexloItems, TVexloClass* ABaseClass)
      : FVexloItems(AVexloItems), FBaseClass(ABaseClass) {}

  std::shared_ptr<IVexloItemVCLObj> VCLObj() override;
  std::shared_ptr<IVexloItemVCLObj> VCLObj(core::TComponent* VCLItem, const std::string& CSS,
                                           const std::string& HTMLExtras,
                                           const std::string& HTMLStyle) override;
  std::shared_ptr<IVexloItemVCLObj> VCLObj(core::TComponent* VCLItem, ui::TPopupMenu* APopupMenu,
                                           const std::string& CSS, const std::string& HTMLExtras,
                                           const std::string& HTMLStyle) override;
  std::shared_ptr<IVexloItemVCLObj> VCLObj(core::TComponent* VCLItem,
                                           const orvane::TOrvaneVariant& AValidationGroup,
                                           bool ARequired, const std::string& CSS,
                                           const std::string& HTMLExtras,
                                           const std::string& HTMLStyle) override;
  std::shared_ptr<IVexloItemVCLObj> VCLObjHidden(core::TComponent* VCLItem) override;
  std::shared_ptr<IVexloItemHTMLFormGroup> FormGroup(const std::string& ATextLabel,
                                                     const std::string& AColSize, bool AHTMLinLine,
                                                     const std::string& ACSS,
                                                     const std::string& AHTMLExtras,
                                                     const std::string& AHTMLStyle) override;
  std::shared_ptr<IVexloItemHTMLPanelGroup> PanelGroup(const std::string& ATitle, bool AHTMLinLine,
                                                       const std::string& AColSize,
                                                       const std::string& ACSS,
                                                       const std::string& AHTMLExtras,
                                                       const std::string& AHTMLStyle) override;
  std::shared_ptr<IVexloItemHTMLRow> Row(const std::string& AHTMLTag, bool AHTMLinLine,
                                         const std::string& ACSS, const std::string& AHTMLExtras,
                                         const std::string& AHTMLStyle) override;
  std::shared_ptr<IVexloItemHTMLRow> HTMLDIV(const std::string& AHTMLTag, const std::string& ACSS,
                                             const std::string& AHTMLExtras,
                                             const std::string& AHTMLStyle) override;
  std::shared_ptr<IVexloItemHTMLTabs> Tabs(const std::string& ACSS, const std::string& AHTMLExtras,
                                           const std::string& AHTMLStyle) override;
  std::shared_ptr<IVexloItemHTMLAccordion> Accordion(const std::string& ACSS,
                                                     const std::string& AHTMLExtras,
                                                     const std::string& AHTMLStyle) override;
  std::shared_ptr<IVexloItemHTMLPopup> Popup(const std::string& AName, const std::string& ATitle,
                                             bool AShowButtonClose) override;
  std::shared_ptr<IVexloItemNested> Nested(const std::string& AFormName) override;
  std::shared_ptr<IVexloItemHTMLInput> Upload(const std::string& ACaption,
                                              const std::string& AAllowedFileTypes, int AMaxFiles,
                                              int AMaxFileSize, bool AInputVisible,
                                              bool AButtonCleanVisible, bool AButtonUploadVisible,
                                              bool AShowFinishMessage, int AMaxUploadSize) override;

 private:
  IVexloAddItems& FVexloItems;
  TVexloClass* FBaseClass;
};

}  // namespace vexlo
