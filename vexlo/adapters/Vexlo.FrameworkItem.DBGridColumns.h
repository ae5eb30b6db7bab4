// The columns of the grid kind: what the grid adapter reads from the
// desktop grid's columns, before the kind copies it into the web grid.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "orvane/controls/Orvane.Types.h"

namespace vexlo {

enum class TVexloAlignColumns {
  VexloAlignColumnsNone,
  VexloAlignColumnsLeft,
  VexloAlignColumnsRigth,
  VexloAlignColumnsCenter,
  VexloAlignColumnsJustified
};

class IVexloFrameworkItemDBGridColumn {
 public:
  virtual ~IVexloFrameworkItemDBGridColumn() = default;
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
  virtual TVexloAlignColumns GetAlignment() const = 0;
  virtual void SetAlignment(TVexloAlignColumns AValue) = 0;
  virtual orvane::TOrvaneFieldType GetDataFieldType() const = 0;
  virtual void SetDataFieldType(orvane::TOrvaneFieldType AValue) = 0;
  // The choices of a select cell: key text to label text.
  virtual nlohmann::json& SelectItems() = 0;
};

using IVexloFrameworkItemDBGridColumnPtr = std::shared_ptr<IVexloFrameworkItemDBGridColumn>;

class IVexloFrameworkItemDBGridColumns {
 public:
  virtual ~IVexloFrameworkItemDBGridColumns() = default;
  virtual void Clear() = 0;
  virtual const std::vector<IVexloFrameworkItemDBGridColumnPtr>& GetColumns() const = 0;
  // A new column, appended.
  virtual IVexloFrameworkItemDBGridColumnPtr Add() = 0;
  virtual void Add(const IVexloFrameworkItemDBGridColumnPtr& AColumn) = 0;
};

class TVexloFrameworkItemDBGridColumn : public IVexloFrameworkItemDBGridColumn {
 public:
  std::string GetDataField() const override;
  void SetDataField(const std::string& AValue) override;
  std::string GetTitle() const override;
  void SetTitle(const std::string& AValue) override;
  bool GetVisible() const override;
  void SetVisible(bool AValue) override;
  bool GetEditable() const override;
  void SetEditable(bool AValue) override;
  int GetWidth() const override;
  void SetWidth(int AValue) override;
  TVexloAlignColumns GetAlignment() const override;
  void SetAlignment(TVexloAlignColumns AValue) override;
  orvane::TOrvaneFieldType GetDataFieldType() const override;
  void SetDataFieldType(orvane::TOrvaneFieldType AValue) override;
  nlohmann::json& SelectItems() override;

 private:
  std::string FDataField;
  std::string FTitle;
  bool FVisible = true;
  int FWidth = 0;
  bool FEditable = false;
  TVexloAlignColumns FAlignment = TVexloAlignColumns::VexloAlignColumnsLeft;
  orvane::TOrvaneFieldType FDataFieldType = orvane::TOrvaneFieldType::OrvaneFieldTypeString;
  nlohmann::json FSelectItems = nlohmann::json::object();
};

class TVexloFrameworkItemDBGridColumns : public IVexloFrameworkItemDBGridColumns {
 public:
  void Clear() override;
  const std::vector<IVexloFrameworkItemDBGridColumnPtr>& GetColumns() const override;
  IVexloFrameworkItemDBGridColumnPtr Add() override;
  void Add(const IVexloFrameworkItemDBGridColumnPtr& AColumn) override;

 private:
  std::vector<IVexloFrameworkItemDBGridColumnPtr> FColumns;
};

}  // namespace vexlo
