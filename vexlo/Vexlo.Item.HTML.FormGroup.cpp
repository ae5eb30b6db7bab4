#include "vexlo/Vexlo.Item.HTML.FormGroup.h"

#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.Util.h"

namespace vexlo {

using orvane::Trim;
using orvane::UpperCase;

TVexloItemHTMLFormGroup::TVexloItemHTMLFormGroup(TVexloClass* ABaseClass) : TVexloItem(ABaseClass) {
  FOnBeginReader = [this] { BeginReader(); };
  FOnEndReader = [this] {
    Write("</div>");
    Write("</div>");
  };
}

std::shared_ptr<TVexloItemVCLObj> TVexloItemHTMLFormGroup::NewItem(
    core::TComponent* VCLItem, const std::shared_ptr<IVexloItemVCLObj>& AOld) {
  auto item = std::make_shared<TVexloItemVCLObj>(FBaseClass);
  item->SetItem(VCLItem);
  if (FBaseClass) {
    if (AOld) FBaseClass->RemoveExportedControl(AOld);
    FBaseClass->AddExportedControl(item);
  }
  return item;
}

void TVexloItemHTMLFormGroup::LinkLabel() {
  if (!FItemLabel || !FItemLabel->GetItem() || !FItem || !FItem->GetItem()) return;
  std::string extras = FItemLabel->GetHTMLExtras();
  if (extras.find("for=") != std::string::npos) return;
  FItemLabel->SetHTMLExtras(extras + " for=\"" + UpperCase(FItem->GetItem()->Name()) + "\"");
}

void TVexloItemHTMLFormGroup::AddVCLObj(core::TComponent* VCLItem, const std::string& CSS,
                                        const std::string& HTMLExtras,
                                        const std::string& HTMLStyle) {
  auto item = NewItem(VCLItem, FItem);
  FItem = item;
  item->SetCSS(FInLine ? CSS + " col" : CSS);
  item->SetHTMLExtras(HTMLExtras);
  item->SetHTMLStyle(HTMLStyle);
  LinkLabel();
}

void TVexloItemHTMLFormGroup::AddVCLObj(core::TComponent* VCLItem,
                                        const orvane::TOrvaneVariant& AValidationGroup,
                                        bool ARequired, const std::string& CSS,
                                        const std::string& HTMLExtras,
                                        const std::string& HTMLStyle) {
  AddVCLObj(VCLItem, CSS, HTMLExtras, HTMLStyle);
  FItem->SetRequired(ARequired);
  FItem->SetValidationGroup(AValidationGroup);
}

void TVexloItemHTMLFormGroup::AddVCLObj(core::TComponent* VCLItem, ui::TPopupMenu* APopupMenu,
                                        const std::string& CSS, const std::string& HTMLExtras,
                                        const std::string& HTMLStyle) {
  AddVCLObj(VCLItem, CSS, HTMLExtras, HTMLStyle);
  if (APopupMenu) FItem->SetPopupMenu(APopupMenu);
}

void TVexloItemHTMLFormGroup::AddVCLObjWithLabel(core::TComponent* VCLItem,
                                                 const std::string& ATextLabel,
                                                 const std::string& CSS,
                                                 const std::string& HTMLExtras,
                                                 const std::string& HTMLStyle) {
  AddVCLObj(VCLItem, CSS, HTMLExtras, HTMLStyle);
  SetTextLabel(ATextLabel);
}

void TVexloItemHTMLFormGroup::AddLabelVCLObj(core::TComponent* VCLItem, const std::string& CSS,
                                             const std::string& HTMLExtras,
                                             const std::string& HTMLStyle) {
  auto label = NewItem(VCLItem, FItemLabel);
  FItemLabel = label;
  label->SetCSS(CSS);
  label->SetHTMLExtras(HTMLExtras);
  LinkLabel();
  label->SetHTMLStyle(HTMLStyle);
  if (FInLine && FItem) FItem->SetHTMLStyle(FItem->GetHTMLStyle() + " padding-right: 5px;");
}

void TVexloItemHTMLFormGroup::BeginReader() {
  if (FInLine) {
    if (FColSize1.empty()) FColSize1 = "col-auto";
    Write("<" +
          TrataHTMLTag("div class=\"" + Trim(FColSize1 + " " + FColSize2 + " mb-2 " + FCSS) +
                       "\" style=\"" + FHTMLStyle + "\" " + FHTMLExtras) +
          ">");
    Write("<" +
          TrataHTMLTag("div class=\"" + Trim("form-group flex-nowrap " + FCSS) + "\" style=\"" +
                       FHTMLStyle + "\" " + FHTMLExtras) +
          ">");
  } else {
    Write("<" +
          TrataHTMLTag("div class=\"mt-1 " +
                       Trim(FColSize1 + " " + FColSize2 + " " + FCSS + " align-self-end") +
                       "\" style=\"" + FHTMLStyle + "\" " + FHTMLExtras) +
          ">");
    Write("<" +
          TrataHTMLTag("div class=\"" + Trim("form-group " + FCSS) + "\" style=\"" + FHTMLStyle +
                       "\" " + FHTMLExtras) +
          ">");
  }
}

void TVexloItemHTMLFormGroup::RenderHTML() {
  bool labelBound = FItemLabel && FItemLabel->GetItem();
  if (labelBound || FTextLabel.empty()) return;
  std::string link;
  if (FItem && FItem->GetItem()) link = "for=\"" + UpperCase(FItem->GetItemPrefixID()) + "\"";
  std::string text = orvane::HTMLEscape(FTextLabel);
  if (FInLine)
    Write("<label " + link + " style=\"padding-right: 5px;\">" + text + "</label>");
  else
    Write("<label " + link + ">" + text + "</label>");
}

void TVexloItemHTMLFormGroup::Render() {
  TVexloItemList list;
  if (FItem) list.push_back(FItem);
  if (FItemLabel && FItemLabel->GetItem()) list.push_back(FItemLabel);
  RenderChildren(list);
}

}  // namespace vexlo
