// The grid kind: the data source, the columns read from the desktop grid,
// multi-selection and the hooks into the desktop grid's row selection and
// editing switch; and the grid's own selection, cell-click and double-click
// events, which end in the desktop grid's handlers.
#pragma once

#include <vector>

#include "vexlo/Vexlo.Orvane.Item.h"
#include "vexlo/adapters/Vexlo.FrameworkItem.DBGridColumns.h"
#include "vexlo/adapters/Vexlo.FrameworkItem.DataWare.h"

namespace ui {
class TColumn;
class TDBGrid;
}  // namespace ui

namespace vexlo {

class IVexloFrameworkItemDBGrid {
 public:
  virtual ~IVexloFrameworkItemDBGrid() = default;
  virtual bool GetMultiSelect() const = 0;
  virtual void SetMultiSelect(bool AValue) = 0;
  virtual void SetOnGetSelectedRow(orvane::TOnGetValue AValue) = 0;
  virtual orvane::TOnGetValue GetOnGetSelectedRow() const = 0;
  virtual void SetOnSetSelectedRow(orvane::TOnSetValue AValue) = 0;
  virtual orvane::TOnSetValue GetOnSetSelectedRow() const = 0;
  virtual orvane::TOnGetValue GetProcEditable() const = 0;
  virtual void SetProcEditable(orvane::TOnGetValue AValue) = 0;
  virtual IVexloFrameworkItemDBGridColumns& Columns() = 0;
  virtual IVexloDatawareOnlyDataSource& Dataware() = 0;
};

class OrvaneDBGrid : public TVexloOrvaneItem, public IVexloFrameworkItemDBGrid {
 public:
  using TVexloOrvaneItem::TVexloOrvaneItem;
  void Clear() override;
  core::TComponentClass FrameworkClass() override;
  // The data source when set; the columns (the web grid's list is
  // replaced); multi-selection always; the hooks when set.
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  // The common events, then select, cell click and double click.
  void ProcessEventClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  bool GetMultiSelect() const override { return FMultiSelect; }
  void SetMultiSelect(bool AValue) override { FMultiSelect = AValue; }
  void SetOnGetSelectedRow(orvane::TOnGetValue AValue) override {
    FProcGetSelectedRow = std::move(AValue);
  }
  orvane::TOnGetValue GetOnGetSelectedRow() const override { return FProcGetSelectedRow; }
  void SetOnSetSelectedRow(orvane::TOnSetValue AValue) override {
    FProcSetSelectedRow = std::move(AValue);
  }
  orvane::TOnSetValue GetOnSetSelectedRow() const override { return FProcSetSelectedRow; }
  orvane::TOnGetValue GetProcEditable() const override { return FProcGetEditable; }
  void SetProcEditable(orvane::TOnGetValue AValue) override {
    FProcGetEditable = std::move(AValue);
  }
  IVexloFrameworkItemDBGridColumns& Columns() override { return FColumns; }
  IVexloDatawareOnlyDataSource& Dataware() override { return FDataware; }

 private:
  orvane::TOnSetValue FProcSetSelectedRow;
  orvane::TOnGetValue FProcGetSelectedRow;
  orvane::TOnGetValue FProcGetEditable;
  TVexloFrameworkItemDBGridColumns FColumns;
  TVexloDatawareOnlyDataSource FDataware;
  bool FMultiSelect = false;
};

// The desktop grid's columns as it shows them: those it was given, else one
// per visible field.
std::vector<ui::TColumn*> DesktopGridColumns(const ui::TDBGrid& AGrid);

// The web alignment of a kind column's alignment; None and Justified keep
// AWebAlignment.
orvane::TOrvaneAlignment WebAlignment(TVexloAlignColumns AAlignment,
                                      orvane::TOrvaneAlignment AWebAlignment);

}  // namespace vexlo
