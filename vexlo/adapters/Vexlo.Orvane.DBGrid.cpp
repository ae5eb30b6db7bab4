#include "vexlo/adapters/Vexlo.Orvane.DBGrid.h"

#include <charconv>

#include "orvane/controls/Orvane.DBGrid.h"
#include "orvane/controls/Orvane.Forms.Controls.h"
#include "platform/ui/DBGrids.h"
#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace vexlo {

namespace {

// The parameter "col" as an integer; false when it is none.
bool ColumnIndex(const orvane::TStringList& AParameters, int& AIndex) {
  std::string text = orvane::ValueOf(AParameters, "col");
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), AIndex);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::vector<ui::TColumn*> DesktopGridColumns(const ui::TDBGrid& AGrid) {
  const ui::TDBGridColumns& given = AGrid.Columns();
  if (given.Count() == 0) return AGrid.VisibleColumns();
  std::vector<ui::TColumn*> columns;
  for (int i = 0; i < given.Count(); ++i) columns.push_back(given[i]);
  return columns;
}

orvane::TOrvaneAlignment WebAlignment(TVexloAlignColumns AAlignment,
                                      orvane::TOrvaneAlignment AWebAlignment) {
  switch (AAlignment) {
    case TVexloAlignColumns::VexloAlignColumnsLeft:
      return orvane::TOrvaneAlignment::OrvaneAlignLeft;
    case TVexloAlignColumns::VexloAlignColumnsRigth:
      return orvane::TOrvaneAlignment::OrvaneAlignRigth;
    case TVexloAlignColumns::VexloAlignColumnsCenter:
      return orvane::TOrvaneAlignment::OrvaneAlignCenter;
    default:
      return AWebAlignment;
  }
}

core::TComponentClass OrvaneDBGrid::FrameworkClass() {
  return &orvane::TOrvaneDBGrid::StaticClass();
}

void OrvaneDBGrid::Clear() {
  TVexloOrvaneItem::Clear();
  FProcSetSelectedRow = nullptr;
  FProcGetSelectedRow = nullptr;
  FProcGetEditable = nullptr;
  FColumns.Clear();
  FDataware.Clear();
  FMultiSelect = false;
}

void OrvaneDBGrid::ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
  auto* grid = dynamic_cast<orvane::IOrvaneDBGrid*>(NewObj);
  if (!grid) return;
  if (FDataware.GetDataSource()) grid->SetDataSource(FDataware.GetDataSource());
  grid->Columns().Clear();
  for (const IVexloFrameworkItemDBGridColumnPtr& from : FColumns.GetColumns()) {
    auto to = grid->Columns().Add();
    to->SetDataField(from->GetDataField());
    to->SetTitle(from->GetTitle());
    to->SetVisible(from->GetVisible());
    to->SetWidth(from->GetWidth());
    to->SetEditable(from->GetEditable());
    to->SetDataFieldType(from->GetDataFieldType());
    to->SetSelectItems(from->SelectItems());
    to->SetAlignment(WebAlignment(from->GetAlignment(), to->GetAlignment()));
  }
  grid->SetMultiSelect(FMultiSelect);
  if (FProcSetSelectedRow) grid->SetProcSetSelectedRow(FProcSetSelectedRow);
  if (FProcGetSelectedRow) grid->SetProcGetSelectedRow(FProcGetSelectedRow);
  if (FProcGetEditable) grid->SetProcGetEditable(FProcGetEditable);
}

void OrvaneDBGrid::ProcessEventClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) {
  TVexloOrvaneItem::ProcessEventClass(VCLObj, NewObj);
  auto* desktop = dynamic_cast<ui::TDBGrid*>(VCLObj);
  auto events = NewObj ? NewObj->GetEvents() : nullptr;
  if (!desktop || !events) return;
  using orvane::TOrvaneEventType;
  // A selection with a column is a click on that cell.
  events->Add(TOrvaneEventType::EventOnSelect, [NewObj](orvane::TStringList& AParameters) {
    int col = 0;
    if (!ColumnIndex(AParameters, col)) return;
    auto cellClick = NewObj->GetEvents()->Item(TOrvaneEventType::EventOnCellClick);
    if (cellClick) cellClick->CallEvent(AParameters);
  });
  events->Add(TOrvaneEventType::EventOnCellClick, [desktop](orvane::TStringList& AParameters) {
    int col = 0;
    if (!ColumnIndex(AParameters, col) || !desktop->OnCellClick) return;
    // A column off the grid is the toolkit's range error.
    ui::TColumn* column = DesktopGridColumns(*desktop).at(static_cast<size_t>(col));
    RunHandler(desktop, [&] { desktop->OnCellClick(column); });
  });
  events->Add(TOrvaneEventType::EventOnDblClick, [desktop](orvane::TStringList&) {
    if (desktop->OnDblClick) RunHandler(desktop, [desktop] { desktop->OnDblClick(desktop); });
  });
}

}  // namespace vexlo
