#include "vexlo/adapters/Vexlo.Orvane.DBLookupCombobox.h"

#include "orvane/controls/Orvane.DBLookupCombobox.h"
#include "orvane/controls/Orvane.Forms.Controls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBText.h"

namespace vexlo {

core::TComponentClass OrvaneDBLookupCombobox::FrameworkClass() {
  return &orvane::TOrvaneDBLookupCombobox::StaticClass();
}

void OrvaneDBLookupCombobox::Clear() {
  TVexloOrvaneItem::Clear();
  FProcSetText = nullptr;
  FProcGetText = nullptr;
  FVexloDataware.Clear();
}

void OrvaneDBLookupCombobox::ProcessPropertyClass(core::TComponent* VCLObj,
                                                  orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  auto* lookup = dynamic_cast<orvane::IOrvaneDBLookupCombobox*>(NewObj);
  if (!lookup) return;
  TransferBinding(FVexloDataware.DataSource(), *lookup);
  const IVexloDatawareListSource& list = FVexloDataware.ListSource();
  if (list.GetListSource()) lookup->SetListDataSource(list.GetListSource());
  if (!list.GetListField().empty()) lookup->SetListDataField(list.GetListField());
  if (!list.GetKeyField().empty()) lookup->SetKeyDataField(list.GetKeyField());
  if (FProcGetText) lookup->SetProcGetText(FProcGetText);
  if (FProcSetText) lookup->SetProcSetText(FProcSetText);
}

}  // namespace vexlo
