// The data-aware web check box, as its framework kind configures it: the
// data source and field, the texts the field holds for checked and
// unchecked, the switch type and the hook reading the desktop caption.
#pragma once

#include <string>

#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBCheckBox {
 public:
  virtual ~IOrvaneDBCheckBox() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual std::string GetValueChecked() const = 0;
  virtual void SetValueChecked(const std::string& AValue) = 0;
  virtual std::string GetValueUnChecked() const = 0;
  virtual void SetValueUnChecked(const std::string& AValue) = 0;
  virtual void SetCheckBoxType(TCheckBoxType AValue) = 0;
  virtual TCheckBoxType GetCheckBoxType() const = 0;
  virtual void SetProcGetText(TOnGetValue AValue) = 0;
};

}  // namespace orvane
