#include "vexlo/adapters/Vexlo.VCLObj.TDBGrid.h"

#include "platform/ui/DBGrids.h"
#include "vexlo/Vexlo.Util.h"
#include "vexlo/adapters/Vexlo.Orvane.DBGrid.h"

namespace vexlo {

core::TComponentClass TVCLObjTDBGrid::VCLClass() const {
  return &ui::TDBGrid::StaticClass();
}

namespace {

TVexloAlignColumns AlignColumn(ui::TAlignment AAlignment) {
  switch (AAlignment) {
    case ui::taRightJustify:
      return TVexloAlignColumns::VexloAlignColumnsRigth;
    case ui::taCenter:
      return TVexloAlignColumns::VexloAlignColumnsCenter;
    default:
      return TVexloAlignColumns::VexloAlignColumnsLeft;
  }
}

}  // namespace

void TVCLObjTDBGrid::ProcessPropertyClass(orvane::TOrvaneControl*) {
  auto kind = KindAs<OrvaneDBGrid>();
  auto* grid = ControlAs<ui::TDBGrid>();
  if (!kind || !grid) return;
  if (grid->DataSource()) kind->Dataware().SetDataSource(grid->DataSource());
  SetEnabledVisibleProcs(*kind, grid);
  // A read-only grid is not edited on the page either.
  kind->SetProcEditable([grid] {
    return orvane::TOrvaneVariant((grid->Options() & ui::dgEditing) != 0 && !grid->ReadOnly());
  });
  kind->Columns().Clear();
  for (ui::TColumn* from : DesktopGridColumns(*grid)) {
    IVexloFrameworkItemDBGridColumnPtr to = kind->Columns().Add();
    to->SetDataField(from->FieldName());
    if (!from->FieldName().empty()) {
      db::TField* field = from->Field();
      to->SetDataFieldType(field ? orvane::OrvaneFieldType(field->DataType())
                                 : orvane::TOrvaneFieldType::OrvaneFieldTypeAuto);
    }
    to->SetTitle(from->Title().Caption);
    to->SetVisible(from->Visible());
    to->SetWidth(WidthPPI(from->Width()));
    if (!from->ReadOnly()) to->SetEditable(true);
    to->SetAlignment(AlignColumn(from->Alignment()));
    if (from->PickList().Count() > 0) {
      nlohmann::json& items = to->SelectItems();
      items["0"] = "--Selecione--";
      for (int i = 0; i < from->PickList().Count(); ++i)
        items[std::to_string(i + 1)] = from->PickList()[i];
    }
  }
}

void TVCLObjTDBGrid::ProcessEventClass() {}

}  // namespace vexlo
