#include "vexlo/adapters/Vexlo.VCLObj.TDBLookupCombobox.h"

#include <algorithm>

#include "platform/ui/DBCtrls.h"
#include "vexlo/adapters/Vexlo.Orvane.DBLookupCombobox.h"

namespace vexlo {

core::TComponentClass TVCLObjTDBLookupCombobox::VCLClass() const {
  return &ui::TDBLookupComboBox::StaticClass();
}

std::vector<std::string> TVCLObjTDBLookupCombobox::PropertyCopyList() {
  std::vector<std::string> list = TVexloVCLObj::PropertyCopyList();
  list.erase(std::remove(list.begin(), list.end(), "Text"), list.end());
  return list;
}

void TVCLObjTDBLookupCombobox::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneDBLookupCombobox>();
  auto* lookup = ControlAs<ui::TDBLookupComboBox>();
  if (!kind || !lookup) return;
  IVexloDataware& binding = kind->Dataware();
  if (lookup->DataSource()) binding.DataSource().SetDataSource(lookup->DataSource());
  if (!lookup->DataField().empty()) binding.DataSource().SetDataField(lookup->DataField());
  if (lookup->ListSource()) binding.ListSource().SetListSource(lookup->ListSource());
  // Of several shown fields ("NOME;SIGLA") the web list shows the first.
  const std::string& listField = lookup->ListField();
  if (!listField.empty())
    binding.ListSource().SetListField(listField.substr(0, listField.find(';')));
  if (!lookup->KeyField().empty()) binding.ListSource().SetKeyField(lookup->KeyField());
  SetEnabledVisibleProcs(*kind, lookup);
  SetReadOnlyProcs(*kind, lookup);
}

void TVCLObjTDBLookupCombobox::ProcessEventClass() {
  if (auto kind = FrameworkItemClass())
    ForwardEvents(*kind, ControlAs<ui::TDBLookupComboBox>(),
                  feClick | feEnter | feExit | feKeyDown | feKeyPress);
}

}  // namespace vexlo
