// The columns of the web data grid, as the grid's framework kind fills
// them: field, title, visibility, width, editing, alignment, field type and
// the choices of a select cell.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "orvane/controls/Orvane.Types.h"

namespace orvane {

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
  // Key text to label text; null when the cell offers no choices.
  virtual nlohmann::json GetSelectItems() const = 0;
  virtual void SetSelectItems(const nlohmann::json& AValue) = 0;
};

class IOrvaneDBGridColumns {
 public:
  virtual ~IOrvaneDBGridColumns() = default;
  virtual void Clear() = 0;
  virtual std::vector<std::shared_ptr<IOrvaneDBGridColumn>> GetColumns() const = 0;
  // A new column, appended.
  virtual std::shared_ptr<IOrvaneDBGridColumn> Add() = 0;
};

}  // namespace orvane
