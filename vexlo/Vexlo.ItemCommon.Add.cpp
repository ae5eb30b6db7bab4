#include "vexlo/Vexlo.ItemCommon.Add.h"

#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.Item.HTML.Accordion.h"
#include "vexlo/Vexlo.Item.HTML.FormGroup.h"
#include "vexlo/Vexlo.Item.HTML.PanelGroup.h"
#include "vexlo/Vexlo.Item.HTML.Popup.h"
#include "vexlo/Vexlo.Item.HTML.Row.h"
#include "vexlo/Vexlo.Item.HTML.Tabs.h"
#include "vexlo/Vexlo.Item.HTML.Upload.h"
#include "vexlo/Vexlo.Item.Nested.h"
#include "vexlo/Vexlo.Item.VCLObj.h"

namespace vexlo {

namespace {

// A new item of class T on the bridge object, with an identifier drawn for
// the prefix.
template <class T>
std::shared_ptr<T> NewItem(TVexloClass* ABaseClass, const std::string& APrefix) {
  auto item = std::make_shared<T>(ABaseClass);
  if (ABaseClass) item->SetItemID(ABaseClass->CreateItemID(APrefix));
  return item;
}

}  // namespace

std::shared_ptr<IVexloItemVCLObj> TItemAdd::VCLObj() {
  auto item = NewItem<TVexloItemVCLObj>(FBaseClass, "VCLObj");
  FVexloItems.Add(item);
  return item;
}

std::shared_ptr<IVexloItemVCLObj> TItemAdd::VCLObj(core::TComponent* VCLItem,
                                                   const std::string& CSS,
                                                   const std::string& HTMLExtras,
                                                   const std::string& HTMLStyle) {
  std::shared_ptr<IVexloItemVCLObj> item = VCLObj();
  item->SetItem(VCLItem);
  item->SetCSS(CSS);
  item->SetHTMLExtras(HTMLExtras);
  item->SetHTMLStyle(HTMLStyle);
  return item;
}

std::shared_ptr<IVexloItemVCLObj> TItemAdd::VCLObj(core::TComponent* VCLItem,
                                                   ui::TPopupMenu* APopupMenu,
                                                   const std::string& CSS,
                                                   const std::string& HTMLExtras,
                                                   const std::string& HTMLStyle) {
  std::shared_ptr<IVexloItemVCLObj> item = VCLObj(VCLItem, CSS, HTMLExtras, HTMLStyle);
  if (APopupMenu) item->SetPopupMenu(APopupMenu);
  return item;
}

std::shared_ptr<IVexloItemVCLObj> TItemAdd::VCLObj(core::TComponent* VCLItem,
                                                   const orvane::TOrvaneVariant& AValidationGroup,
                                                   bool ARequired, const std::string& CSS,
                                                   const std::string& HTMLExtras,
                                                   const std::string& HTMLStyle) {
  std::shared_ptr<IVexloItemVCLObj> item = VCLObj(VCLItem, CSS, HTMLExtras, HTMLStyle);
  item->SetRequired(ARequired);
  item->SetValidationGroup(AValidationGroup);
  return item;
}

std::shared_ptr<IVexloItemVCLObj> TItemAdd::VCLObjHidden(core::TComponent* VCLItem) {
  std::shared_ptr<IVexloItemVCLObj> item = VCLObj();
  item->SetIsHidden(true);
  item->SetItem(VCLItem);
  return item;
}

std::shared_ptr<IVexloItemHTMLFormGroup> TItemAdd::FormGroup(
    const std::string& ATextLabel, const std::string& AColSize, bool AHTMLinLine,
    const std::string& ACSS, const std::string& AHTMLExtras, const std::string& AHTMLStyle) {
  auto item = NewItem<TVexloItemHTMLFormGroup>(FBaseClass, "FormGroup");
  item->SetTextLabel(ATextLabel);
  item->SetColSize1(AColSize);
  item->SetInLine(AHTMLinLine);
  item->SetCSS(ACSS);
  item->SetHTMLExtras(AHTMLExtras);
  item->SetHTMLStyle(AHTMLStyle);
  FVexloItems.Add(item);
  return item;
}

std::shared_ptr<IVexloItemHTMLPanelGroup> TItemAdd::PanelGroup(
    const std::string& ATitle, bool AHTMLinLine, const std::string& AColSize,
    const std::string& ACSS, const std::string& AHTMLExtras, const std::string& AHTMLStyle) {
  auto item = NewItem<TVexloItemHTMLPanelGroup>(FBaseClass, "PanelGroup");
  item->SetTitle(ATitle);
  item->SetInLine(AHTMLinLine);
  item->SetColSize(AColSize);
  item->SetCSS(ACSS);
  item->SetHTMLExtras(AHTMLExtras);
  item->SetHTMLStyle(AHTMLStyle);
  FVexloItems.Add(item);
  return item;
}

std::shared_ptr<IVexloItemHTMLRow> TItemAdd::Row(const std::string& AHTMLTag, bool AHTMLinLine,
                                                 const std::string& ACSS,
                                                 const std::string& AHTMLExtras,
                                                 const std::string& AHTMLStyle) {
  auto item = NewItem<TVexloItemHTMLRow>(FBaseClass, "row");
  item->SetHTMLTagRow(AHTMLTag == "row" ? "row mt-2 mb-2" : AHTMLTag);
  item->SetInLine(AHTMLinLine);
  item->SetCSS(ACSS);
  item->SetHTMLExtras(AHTMLExtras);
  item->SetHTMLStyle(AHTMLStyle);
  FVexloItems.Add(item);
  return item;
}

std::shared_ptr<IVexloItemHTMLRow> TItemAdd::HTMLDIV(const std::string& AHTMLTag,
                                                     const std::string& ACSS,
                                                     const std::string& AHTMLExtras,
                                                     const std::string& AHTMLStyle) {
  auto item = NewItem<TVexloItemHTMLRow>(FBaseClass, "row");
  item->SetHTMLTagRow(AHTMLTag);
  item->SetInLine(false);
  item->SetCSS(ACSS);
  item->SetHTMLExtras(AHTMLExtras);
  item->SetHTMLStyle(AHTMLStyle);
  FVexloItems.Add(item);
  return item;
}

std::shared_ptr<IVexloItemHTMLTabs> TItemAdd::Tabs(const std::string& ACSS,
                                                   const std::string& AHTMLExtras,
                                                   const std::string& AHTMLStyle) {
  auto item = NewItem<TVexloItemHTMLTabs>(FBaseClass, "Tabs");
  if (!ACSS.empty()) item->SetCSS(ACSS);
  item->SetHTMLExtras(AHTMLExtras);
  item->SetHTMLStyle(AHTMLStyle);
  FVexloItems.Add(item);
  return item;
}

std::shared_ptr<IVexloItemHTMLAccordion> TItemAdd::Accordion(const std::string& ACSS,
                                                             const std::string& AHTMLExtras,
                                                             const std::string& AHTMLStyle) {
  auto item = NewItem<TVexloItemHTMLAccordion>(FBaseClass, "Accordion");
  if (!ACSS.empty()) item->SetCSS(ACSS);
  item->SetHTMLExtras(AHTMLExtras);
  item->SetHTMLStyle(AHTMLStyle);
  FVexloItems.Add(item);
  return item;
}

std::shared_ptr<IVexloItemHTMLPopup> TItemAdd::Popup(const std::string& AName,
                                                     const std::string& ATitle,
                                                     bool AShowButtonClose) {
  auto item = std::make_shared<TVexloItemHTMLPopup>(FBaseClass);
  item->SetItemID(orvane::UpperCase(AName));
  item->SetTitle(ATitle);
  item->SetShowButtonClose(AShowButtonClose);
  FVexloItems.Add(item);
  if (FBaseClass) FBaseClass->AddPopup(item);
  return item;
}

std::shared_ptr<IVexloItemNested> TItemAdd::Nested(const std::string& AFormName) {
  auto item = NewItem<TVexloItemNested>(FBaseClass, "Nested");
  item->SetNestedFormName(AFormName);
  FVexloItems.Add(item);
  return item;
}

std::shared_ptr<IVexloItemHTMLInput> TItemAdd::Upload(const std::string& ACaption,
                                                      const std::string& AAllowedFileTypes,
                                                      int AMaxFiles, int AMaxFileSize,
                                                      bool AInputVisible, bool AButtonCleanVisible,
                                                      bool AButtonUploadVisible,
                                                      bool AShowFinishMessage, int AMaxUploadSize) {
  auto item = NewItem<TVexloItemHTMLUpload>(FBaseClass, "Upload");
  item->SetCaptionUpload(ACaption);
  item->SetMaxFiles(AMaxFiles);
  item->SetMaxFileSize(AMaxFileSize);
  item->SetMaxUploadSize(AMaxUploadSize);
  item->SetInputVisible(AInputVisible);
  item->SetButtonCleanVisible(AButtonCleanVisible);
  item->SetButtonUploadVisible(AButtonUploadVisible);
  item->SetShowFinishMessage(AShowFinishMessage);
  SetAllowedFileTypesText(*item, AAllowedFileTypes);
  FVexloItems.Add(item);
  return item;
}

}  // namespace vexlo
