// The web data grid, as its framework kind configures it: the data source,
// the columns, multi-selection and the hooks into the desktop grid's row
// selection and editing switch. (Its events are added through the control's
// event list.)
#pragma once

#include "orvane/controls/Orvane.DBGrid.Columns.h"
#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBGrid {
 public:
  virtual ~IOrvaneDBGrid() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual bool GetMultiSelect() const = 0;
  virtual void SetMultiSelect(bool AValue) = 0;
  virtual IOrvaneDBGridColumns& Columns() = 0;
  virtual void SetProcGetSelectedRow(TOnGetValue AValue) = 0;
  virtual void SetProcSetSelectedRow(TOnSetValue AValue) = 0;
  virtual void SetProcGetEditable(TOnGetValue AValue) = 0;
};

}  // namespace orvane
