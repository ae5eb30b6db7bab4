// The data-aware web combo box, as its framework kind configures it: the
// data source and field, and the hook reading the desktop item list.
#pragma once

#include <string>

#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBCombobox {
 public:
  virtual ~IOrvaneDBCombobox() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual void SetProcGetItems(TOnGetStrings AValue) = 0;
};

}  // namespace orvane
