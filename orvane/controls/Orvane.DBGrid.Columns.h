// The columns of the web data grid: the field each shows, its title, width,
// alignment, editing, what its cells show (the field, a choice list, a
// lookup, buttons or an HTML template), its place among the columns and the
// unique name the page knows it by. Each column writes its own jqGrid column
// model.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "orvane/controls/Orvane.DBGrid.Columns.Buttons.h"
#include "orvane/controls/Orvane.Types.h"

namespace orvane {

class TOrvaneDBGrid;
class TOrvaneDBGridColumns;

class IOrvaneDBGridColumn {
 public:
  virtual ~IOrvaneDBGridColumn() = default;
  virtual std::string GetDataField() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetTitle() const = 0;
  virtual void SetTitle(const std::string& AValue) = 0;
  virtual bool GetVisible() const = 0;
  virtual void SetVisible(bool AValue) = 0;
  virtual bool GetEditable() const = 0;
  virtual void SetEditable(bool AValue) = 0;
  virtual int GetWidth() const = 0;
  virtual void SetWidth(int AValue) = 0;
  virtual TOrvaneAlignment GetAlignment() const = 0;
  virtual void SetAlignment(TOrvaneAlignment AValue) = 0;
  virtual TOrvaneFieldType GetDataFieldType() const = 0;
  virtual void SetDataFieldType(TOrvaneFieldType AValue) = 0;
  virtual TOrvaneFieldModel GetDataFieldModel() const = 0;
  virtual void SetDataFieldModel(TOrvaneFieldModel AValue) = 0;
  // Key text to label text; null when the cell offers no choices.
  virtual nlohmann::json GetSelectItems() const = 0;
  virtual void SetSelectItems(const nlohmann::json& AValue) = 0;
  // The 0-based display position.
  virtual int GetColumnIndex() const = 0;
  virtual void SetColumnIndex(int AValue) = 0;
  // Extra classes of the cells.
  virtual std::string GetCSS() const = 0;
  virtual void SetCSS(const std::string& AValue) = 0;
  // The cell template of the HTML model: a JavaScript template literal body
  // in which ${value} (the cell's field), ${recNo} and ${data.FIELD} stand
  // for the row's values, HTML-escaped.
  virtual std::string GetHTML() const = 0;
  virtual void SetHTML(const std::string& AValue) = 0;
  virtual IOrvaneDBGridColumnButtons& Buttons() = 0;
  virtual TOrvaneDBGrid* OrvaneDBGrid() const = 0;
  // The column's unique name in the page.
  virtual std::string ColName() const = 0;
};

using IOrvaneDBGridColumnPtr = std::shared_ptr<IOrvaneDBGridColumn>;

class TOrvaneDBGridColumn : public IOrvaneDBGridColumn,
                            public std::enable_shared_from_this<TOrvaneDBGridColumn> {
 public:
  explicit TOrvaneDBGridColumn(TOrvaneDBGridColumns* AColumns);

  std::string GetDataField() const override { return FDataField; }
  // Renames the column.
  void SetDataField(const std::string& AValue) override;
  std::string GetTitle() const override { return FTitle; }
  void SetTitle(const std::string& AValue) override { FTitle = AValue; }
  bool GetVisible() const override { return FVisible; }
  void SetVisible(bool AValue) override { FVisible = AValue; }
  bool GetEditable() const override { return FEditable; }
  void SetEditable(bool AValue) override { FEditable = AValue; }
  int GetWidth() const override { return FWidth; }
  void SetWidth(int AValue) override { FWidth = AValue; }
  TOrvaneAlignment GetAlignment() const override { return FAlignment; }
  void SetAlignment(TOrvaneAlignment AValue) override { FAlignment = AValue; }
  TOrvaneFieldType GetDataFieldType() const override { return FDataFieldType; }
  void SetDataFieldType(TOrvaneFieldType AValue) override { FDataFieldType = AValue; }
  TOrvaneFieldModel GetDataFieldModel() const override { return FDataFieldModel; }
  // Renames the column.
  void SetDataFieldModel(TOrvaneFieldModel AValue) override;
  nlohmann::json GetSelectItems() const override { return FSelectItems; }
  void SetSelectItems(const nlohmann::json& AValue) override { FSelectItems = AValue; }
  int GetColumnIndex() const override { return FColumnIndex; }
  // Moves the column to AValue (at most the last position); the columns in
  // between shift by one, so the indices stay 0 to count - 1.
  void SetColumnIndex(int AValue) override;
  std::string GetCSS() const override { return FCSS; }
  void SetCSS(const std::string& AValue) override { FCSS = AValue; }
  std::string GetHTML() const override { return FHTML; }
  void SetHTML(const std::string& AValue) override { FHTML = AValue; }
  IOrvaneDBGridColumnButtons& Buttons() override { return *FButtons; }
  TOrvaneDBGrid* OrvaneDBGrid() const override;
  std::string ColName() const override { return FColName; }

  // Whether the column has at least one select item.
  bool HasSelectItems() const;
  // The label of a select item's key; false when there is no such key.
  bool SelectItemLabel(const std::string& AKey, std::string& ALabel) const;
  // The jqGrid column model object of the column (see the grid's
  // ColumnsToColModel). May turn the column into a lookup or combo box
  // column and fill the lookup's choices, as the current field asks.
  std::string ColModelToList();
  // The grid's element id ("" without a grid).
  std::string GridID() const;
  // The owning collection (null once detached).
  TOrvaneDBGridColumns* Collection() const { return FOrvaneDBGridColumns; }
  void Detach() { FOrvaneDBGridColumns = nullptr; }

 private:
  friend class TOrvaneDBGridColumns;
  void RefreshColName();

  TOrvaneDBGridColumns* FOrvaneDBGridColumns;
  std::string FDataField;
  std::string FTitle = "Column";
  bool FVisible = true;
  int FWidth = 0;
  bool FEditable = false;
  TOrvaneAlignment FAlignment = TOrvaneAlignment::OrvaneAlignNone;
  TOrvaneFieldType FDataFieldType = TOrvaneFieldType::OrvaneFieldTypeString;
  TOrvaneFieldModel FDataFieldModel = TOrvaneFieldModel::OrvaneFieldModelNone;
  nlohmann::json FSelectItems;  // null: none
  int FColumnIndex = 0;
  std::string FCSS;
  std::unique_ptr<TOrvaneDBGridColumnButtons> FButtons;
  std::string FHTML;
  std::string FColName;
};

class IOrvaneDBGridColumns {
 public:
  virtual ~IOrvaneDBGridColumns() = default;
  virtual void Clear() = 0;
  // The columns in the order they were added.
  virtual std::vector<std::shared_ptr<IOrvaneDBGridColumn>> GetColumns() const = 0;
  // A new column, appended.
  virtual std::shared_ptr<IOrvaneDBGridColumn> Add() = 0;
  // The field names of the columns that have one (visible or not), in
  // ascending column index.
  virtual std::vector<std::string> GetColumnsNameToJSON() const = 0;
  virtual void Add(const std::shared_ptr<IOrvaneDBGridColumn>& AColumn) = 0;
  virtual TOrvaneDBGrid* OrvaneDBGrid() const = 0;
};

class TOrvaneDBGridColumns : public IOrvaneDBGridColumns {
 public:
  explicit TOrvaneDBGridColumns(TOrvaneDBGrid* AGrid) : FOrvaneDBGrid(AGrid) {}
  ~TOrvaneDBGridColumns() override;

  void Clear() override;
  std::vector<std::shared_ptr<IOrvaneDBGridColumn>> GetColumns() const override;
  std::shared_ptr<IOrvaneDBGridColumn> Add() override;
  std::vector<std::string> GetColumnsNameToJSON() const override;
  // Appends a column made for this collection (others are ignored).
  void Add(const std::shared_ptr<IOrvaneDBGridColumn>& AColumn) override;
  TOrvaneDBGrid* OrvaneDBGrid() const override { return FOrvaneDBGrid; }

  int Count() const { return static_cast<int>(FColumns.size()); }
  const std::vector<std::shared_ptr<TOrvaneDBGridColumn>>& Items() const { return FColumns; }
  // The columns in ascending column index.
  std::vector<std::shared_ptr<TOrvaneDBGridColumn>> ByIndex() const;
  // The column at that index, or null.
  std::shared_ptr<TOrvaneDBGridColumn> ColumnByIndex(int AIndex) const;
  // The column with that page name (ignoring case), or null.
  std::shared_ptr<TOrvaneDBGridColumn> ColumnByName(const std::string& AColName) const;
  // The first column showing that field (ignoring case), or null.
  std::shared_ptr<TOrvaneDBGridColumn> ColumnByDataField(const std::string& ADataField) const;

 private:
  friend class TOrvaneDBGridColumn;
  // Whether a column other than AExcept has that name (ignoring case).
  bool NameTaken(const std::string& AName, const TOrvaneDBGridColumn* AExcept) const;

  TOrvaneDBGrid* FOrvaneDBGrid;
  std::vector<std::shared_ptr<TOrvaneDBGridColumn>> FColumns;
};

}  // namespace orvane
