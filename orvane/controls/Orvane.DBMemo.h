// The data-aware web memo, as its framework kind configures it: the data
// source and field it edits.
#pragma once

#include <string>

#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBMemo {
 public:
  virtual ~IOrvaneDBMemo() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
};

}  // namespace orvane
