// The data-aware web lookup combo box, as its framework kind configures it:
// the data source and field it writes, the list dataset with its shown and
// key fields, and the hooks into the desktop control's text.
#pragma once

#include <string>

#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBLookupCombobox {
 public:
  virtual ~IOrvaneDBLookupCombobox() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual void SetListDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetListDataSource() const = 0;
  virtual std::string GetListDataField() const = 0;
  virtual void SetListDataField(const std::string& AValue) = 0;
  virtual std::string GetKeyDataField() const = 0;
  virtual void SetKeyDataField(const std::string& AValue) = 0;
  virtual void SetProcGetText(TOnGetValue AValue) = 0;
  virtual void SetProcSetText(TOnSetValue AValue) = 0;
};

}  // namespace orvane
