// The data grid: the rows of a data source's dataset in columns.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/db/DB.h"
#include "platform/ui/Controls.h"

namespace ui {

class TDBGrid;

enum TDBGridOption : unsigned {
  dgEditing = 1,
  dgAlwaysShowEditor = 2,
  dgTitles = 4,
  dgIndicator = 8,
  dgColumnResize = 16,
  dgColLines = 32,
  dgRowLines = 64,
  dgTabs = 128,
  dgRowSelect = 256,
  dgAlwaysShowSelection = 512,
  dgConfirmDelete = 1024,
  dgCancelOnExit = 2048,
  dgMultiSelect = 4096,
};
using TDBGridOptions = unsigned;

class TColumnTitle {
 public:
  std::string Caption;
  TAlignment Alignment = taLeftJustify;
};

// One column: a field of the grid's dataset, its title, width and alignment.
class TColumn {
 public:
  explicit TColumn(TDBGrid& AGrid) : FGrid(AGrid) {}
  TDBGrid& Grid() const { return FGrid; }
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& AValue);
  // The dataset field the column shows, or nullptr when there is none.
  db::TField* Field() const;
  TColumnTitle& Title() { return FTitle; }
  const TColumnTitle& Title() const { return FTitle; }
  // The width in pixels; the default follows the field's display width.
  int Width() const;
  void SetWidth(int AValue);
  bool Visible() const { return FVisible; }
  void SetVisible(bool AValue);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool AValue) { FReadOnly = AValue; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment AValue);
  TStrings& PickList() { return FPickList; }
  const TStrings& PickList() const { return FPickList; }
  int Index() const;

 private:
  friend class TDBGrid;
  TDBGrid& FGrid;
  std::string FFieldName;
  TColumnTitle FTitle;
  int FWidth = -1;
  bool FVisible = true;
  bool FReadOnly = false;
  TAlignment FAlignment = taLeftJustify;
  TStrings FPickList;
};

// The columns of a grid. With none added, the grid shows one column per
// visible field of its dataset.
class TDBGridColumns {
 public:
  explicit TDBGridColumns(TDBGrid& AGrid) : FGrid(AGrid) {}
  int Count() const { return static_cast<int>(FItems.size()); }
  TColumn* Items(int AIndex) const { return FItems.at(AIndex).get(); }
  TColumn* operator[](int AIndex) const { return Items(AIndex); }
  TColumn* Add();
  void Delete(int AIndex);
  void Clear();
  // True when the columns were given (not taken from the fields).
  bool Customized() const { return FCustomized; }

 private:
  friend class TDBGrid;
  friend class TColumn;
  TDBGrid& FGrid;
  std::vector<std::unique_ptr<TColumn>> FItems;
  bool FCustomized = false;
};

using TDBGridClickEvent = std::function<void(TColumn* Column)>;

class TDBGrid : public TCustomControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TDBGrid(TComponent* AOwner);
  ~TDBGrid() override;

  db::TDataSource* DataSource() const { return FLink.DataSource(); }
  void SetDataSource(db::TDataSource* AValue);
  TDBGridColumns& Columns() { return FColumns; }
  const TDBGridColumns& Columns() const { return FColumns; }
  TDBGridOptions Options() const { return FOptions; }
  void SetOptions(TDBGridOptions AValue);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool AValue);
  // The columns shown, in order (the visible ones).
  std::vector<TColumn*> VisibleColumns() const;

  // The rows as shown: one display text per visible column. Cells are read
  // from the dataset by record number as they are asked for, never by moving
  // its cursor, so every row shows while a record is edited or inserted; the
  // record being edited shows its new values and a record being inserted
  // shows as a row of its own at the end.
  int RowCount() const { return FCount + (FInsertAt >= 0 ? 1 : 0); }
  std::string CellText(int ARow, int ACol) const;
  // The row of the dataset's current record (0-based), -1 when none.
  int Row() const { return FRow; }
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int AValue);
  db::TField* SelectedField() const;

  // A user clicks a cell: the dataset moves to that row (OnCellClick follows).
  void SelectCellByUser(int ARow, int ACol);
  // A user moves to a cell with the keyboard: the dataset follows, no click.
  void MoveToCellByUser(int ARow, int ACol);
  // A user types a value into a cell (only with dgEditing and not read-only).
  void EditCellByUser(int ARow, int ACol, const std::string& AText);
  bool CanEditCell(int ACol) const;
  // Re-reads the rows from the dataset.
  void RefreshRows();

  TDBGridClickEvent OnCellClick;
  TDBGridClickEvent OnTitleClick;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;

 private:
  friend class TColumn;
  friend class TDBGridColumns;
  class TGridLink : public db::TDataLink {
   public:
    explicit TGridLink(TDBGrid& AGrid) : FGrid(AGrid) {}

   protected:
    void ActiveChanged() override { FGrid.RefreshRows(); }
    void DataSetChanged() override { FGrid.RefreshRows(); }
    void LayoutChanged() override { FGrid.RefreshRows(); }
    void DataSetScrolled(int) override { FGrid.Scrolled(); }
    void RecordChanged(db::TField*) override { FGrid.CurrentRowChanged(); }
    void EditingChanged() override { FGrid.CurrentRowChanged(); }

   private:
    TDBGrid& FGrid;
  };
  void Scrolled();
  void CurrentRowChanged();
  void ColumnsChanged();

  TGridLink FLink{*this};
  TDBGridColumns FColumns{*this};
  // Default columns, one per visible field, while none were given.
  std::vector<std::unique_ptr<TColumn>> FDefaultColumns;
  TDBGridOptions FOptions = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                            dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;
  bool FReadOnly = false;
  int FCount = 0;  // rows of the dataset (those passing its filter)
  int FRow = -1;
  int FSelectedIndex = 0;
  int FInsertAt = -1;  // the grid row of the record being inserted, -1 when none
};

}  // namespace ui
