#include "platform/ui/DBGrids.h"

#include <algorithm>

namespace ui {

void TColumn::SetFieldName(const std::string& AValue) {
  FFieldName = AValue;
  FGrid.ColumnsChanged();
}

db::TField* TColumn::Field() const {
  db::TDataSet* ds = FGrid.FLink.DataSet();
  if (!ds || FFieldName.empty()) return nullptr;
  return ds->FindField(FFieldName);
}

int TColumn::Width() const {
  if (FWidth >= 0) return FWidth;
  // The toolkit's default: the field's display width in average characters.
  db::TField* f = Field();
  int chars =
      f ? (f->DisplayWidth > 0 ? f->DisplayWidth : std::min(f->Size() > 0 ? f->Size() : 10, 40))
        : 10;
  int title = UTF8Length(FTitle.Caption.empty() && f ? f->GetDisplayLabel() : FTitle.Caption);
  return std::max(chars, title) * 7 + 4;
}

void TColumn::SetWidth(int AValue) {
  FWidth = AValue;
  FGrid.ColumnsChanged();
}

void TColumn::SetVisible(bool AValue) {
  FVisible = AValue;
  FGrid.ColumnsChanged();
}

void TColumn::SetAlignment(TAlignment AValue) {
  FAlignment = AValue;
  FGrid.ColumnsChanged();
}

int TColumn::Index() const {
  const auto& v = FGrid.FColumns.FItems;
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i].get() == this) return static_cast<int>(i);
  return -1;
}

TColumn* TDBGridColumns::Add() {
  FCustomized = true;
  FItems.push_back(std::make_unique<TColumn>(FGrid));
  FGrid.ColumnsChanged();
  return FItems.back().get();
}

void TDBGridColumns::Delete(int AIndex) {
  if (AIndex < 0 || AIndex >= Count()) throw EToolkitError("Índice de coluna fora dos limites");
  FItems.erase(FItems.begin() + AIndex);
  FGrid.ColumnsChanged();
}

void TDBGridColumns::Clear() {
  FItems.clear();
  FCustomized = false;
  FGrid.ColumnsChanged();
}

// ---------------------------------------------------------------------------

const TClassInfo& TDBGrid::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TDBGrid", &TCustomControl::StaticClass(), FactoryOf<TDBGrid>());
    c.AddProperty(MakeProp<TDBGrid, db::TDataSource*>(
        "DataSource", TPropKind::Component, "TDataSource",
        [](const TDBGrid& o) { return o.DataSource(); },
        [](TDBGrid& o, db::TDataSource* v) { o.SetDataSource(v); }));
    c.AddProperty(
        CORE_PROP(TDBGrid, bool, "ReadOnly", TPropKind::Bool, "Boolean", ReadOnly, SetReadOnly));
    c.AddProperty(CORE_PROP(TDBGrid, TDBGridOptions, "Options", TPropKind::Integer,
                            "TDBGridOptions", Options, SetOptions));
    return c;
  }();
  return info;
}

TDBGrid::TDBGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 320;
  FHeight = 120;
  FColor = clWindow;
  SetTabStop(true);
}

TDBGrid::~TDBGrid() {
  BeginDestroy();
  FLink.SetDataSource(nullptr);
}

void TDBGrid::SetDataSource(db::TDataSource* AValue) {
  FLink.SetDataSource(AValue);
  RefreshRows();
}

void TDBGrid::SetOptions(TDBGridOptions AValue) {
  FOptions = AValue;
  Changed(TControlChange::Style);
}

void TDBGrid::SetReadOnly(bool AValue) {
  FReadOnly = AValue;
  Changed(TControlChange::ReadOnly);
}

std::vector<TColumn*> TDBGrid::VisibleColumns() const {
  std::vector<TColumn*> out;
  if (FColumns.Customized()) {
    for (const auto& c : FColumns.FItems)
      if (c->Visible()) out.push_back(c.get());
  } else {
    for (const auto& c : FDefaultColumns)
      if (c->Visible()) out.push_back(c.get());
  }
  return out;
}

void TDBGrid::ColumnsChanged() {
  if (Destroying()) return;
  RefreshRows();
}

std::string TDBGrid::CellText(int ARow, int ACol) const {
  if (ARow < 0 || ARow >= RowCount() || ACol < 0) return "";
  db::TDataSet* ds = FLink.DataSet();
  if (!ds || !FLink.Active()) return "";
  std::vector<TColumn*> cols = VisibleColumns();
  db::TField* f = ACol < static_cast<int>(cols.size()) ? cols[ACol]->Field() : nullptr;
  if (!f) return "";
  if (FInsertAt >= 0) {
    // The record being inserted is the current one.
    if (ARow == FInsertAt) return f->DisplayText();
    if (ARow > FInsertAt) --ARow;
  }
  return ds->RowDisplayText(ARow + 1, *f);
}

void TDBGrid::RefreshRows() {
  if (Destroying()) return;
  db::TDataSet* ds = FLink.DataSet();
  // Default columns follow the dataset's fields.
  if (!FColumns.Customized()) {
    FDefaultColumns.clear();
    if (ds && FLink.Active())
      for (int i = 0; i < ds->FieldCount(); ++i) {
        db::TField& f = ds->Fields(i);
        if (!f.Visible) continue;
        auto c = std::make_unique<TColumn>(*this);
        c->FFieldName = f.FieldName();
        c->FTitle.Caption = f.GetDisplayLabel();
        FDefaultColumns.push_back(std::move(c));
      }
  }
  if (!ds || !FLink.Active()) {
    FCount = 0;
    FRow = -1;
    FInsertAt = -1;
    Changed(TControlChange::Items);
    return;
  }
  FCount = ds->RecordCount();
  if (ds->State() == db::TDataSetState::dsInsert) {
    CurrentRowChanged();
    return;
  }
  FInsertAt = -1;
  FRow = ds->IsEmpty() ? -1 : ds->RecNo() - 1;
  Changed(TControlChange::Items);
  Changed(TControlChange::ItemIndex);
}

void TDBGrid::Scrolled() {
  db::TDataSet* ds = FLink.DataSet();
  int row = ds && !ds->IsEmpty() ? ds->RecNo() - 1 : -1;
  if (row != FRow) {
    FRow = row;
    Changed(TControlChange::ItemIndex);
  }
}

void TDBGrid::CurrentRowChanged() {
  db::TDataSet* ds = FLink.DataSet();
  if (!ds || !FLink.Active()) return;
  if (ds->State() == db::TDataSetState::dsInsert) {
    // A new record shows as a row of its own (at the end) until posted or cancelled.
    if (FInsertAt < 0) {
      FInsertAt = FCount;
      FRow = FInsertAt;
      Changed(TControlChange::Items);
      Changed(TControlChange::ItemIndex);
    } else {
      Changed(TControlChange::Items);
    }
    return;
  }
  if (FInsertAt >= 0) {
    // Posted or cancelled: read everything again.
    FInsertAt = -1;
    RefreshRows();
    return;
  }
  int row = ds->IsEmpty() ? -1 : ds->RecNo() - 1;
  if (row >= 0) {
    FRow = row;
    Changed(TControlChange::Items);
  }
}

void TDBGrid::SetSelectedIndex(int AValue) {
  int n = static_cast<int>(VisibleColumns().size());
  if (AValue < 0 || AValue >= n || AValue == FSelectedIndex) return;
  if (OnColExit) OnColExit(this);
  FSelectedIndex = AValue;
  if (OnColEnter) OnColEnter(this);
}

db::TField* TDBGrid::SelectedField() const {
  auto cols = VisibleColumns();
  if (FSelectedIndex < 0 || FSelectedIndex >= static_cast<int>(cols.size())) return nullptr;
  return cols[FSelectedIndex]->Field();
}

void TDBGrid::MoveToCellByUser(int ARow, int ACol) {
  db::TDataSet* ds = FLink.DataSet();
  if (!ds || !FLink.Active()) return;
  if (ARow < 0 || ARow >= RowCount()) return;
  if (ARow != FRow) {
    // Moving off an edited record posts it first (the dataset's rule).
    if (FInsertAt >= 0 && ARow > FInsertAt) --ARow;
    if (ARow < FCount) ds->SetRecNo(ARow + 1);
  }
  SetSelectedIndex(ACol);
}

void TDBGrid::SelectCellByUser(int ARow, int ACol) {
  if (ARow < 0 || ARow >= RowCount()) return;
  MoveToCellByUser(ARow, ACol);
  auto cols = VisibleColumns();
  if (OnCellClick && ACol >= 0 && ACol < static_cast<int>(cols.size())) OnCellClick(cols[ACol]);
}

bool TDBGrid::CanEditCell(int ACol) const {
  if (!(FOptions & dgEditing) || FReadOnly || !FLink.Active()) return false;
  auto cols = VisibleColumns();
  if (ACol < 0 || ACol >= static_cast<int>(cols.size()) || cols[ACol]->ReadOnly()) return false;
  db::TField* f = cols[ACol]->Field();
  return f && f->CanModify();
}

void TDBGrid::EditCellByUser(int ARow, int ACol, const std::string& AText) {
  if (!CanEditCell(ACol)) throw EToolkitError("Esta célula não pode ser alterada");
  SelectCellByUser(ARow, ACol);
  db::TDataSet* ds = FLink.DataSet();
  if (ds->State() == db::TDataSetState::dsBrowse) ds->Edit();
  VisibleColumns()[ACol]->Field()->SetText(AText);
}

}  // namespace ui
