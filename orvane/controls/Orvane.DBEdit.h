// The data-aware web edit, as its framework kind configures it: the data
// source and field it edits and its letter case (its input type follows
// the field).
#pragma once

#include <string>

#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBEdit {
 public:
  virtual ~IOrvaneDBEdit() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual TEditCharCase GetCharCase() const = 0;
  virtual void SetCharCase(TEditCharCase AValue) = 0;
};

}  // namespace orvane
