// Buttons inside the cells of a data grid column. A button with sub-buttons
// opens a drop-down of them. A click in the page reaches the bridge form
// (its DoCellButtonClick) with the row and the column; the dataset is moved
// to that row first.
//
// The buttons' HTML is part of the column's cell template, a JavaScript
// template literal: "${recNo}" in it is the row's record number. Every text
// of a button (caption, classes, icon) is HTML-escaped and escaped for the
// template literal, so no text becomes markup or script.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"

namespace orvane {

class TOrvaneDBGridColumn;
class IOrvaneDBGridColumnButton;
using IOrvaneDBGridColumnButtonPtr = std::shared_ptr<IOrvaneDBGridColumnButton>;

// A click handler given as a closure.
using TOrvaneCellButtonProc = std::function<void()>;

class IOrvaneDBGridColumnButton {
 public:
  virtual ~IOrvaneDBGridColumnButton() = default;
  virtual std::string GetCaption() const = 0;
  virtual void SetCaption(const std::string& AValue) = 0;
  virtual std::string GetCSS() const = 0;
  virtual void SetCSS(const std::string& AValue) = 0;
  virtual std::string GetButtonType() const = 0;
  virtual void SetButtonType(const std::string& AValue) = 0;
  virtual std::string GetButtonIcon() const = 0;
  virtual void SetButtonIcon(const std::string& AValue) = 0;
  virtual std::string GetButtonWidth() const = 0;
  virtual void SetButtonWidth(const std::string& AValue) = 0;
  virtual std::string GetButtonHeigth() const = 0;
  virtual void SetButtonHeigth(const std::string& AValue) = 0;
  virtual std::string GetName() const = 0;
  // The name the button had when it was created.
  virtual std::string GetIdentify() const = 0;
  virtual std::string GetButtonModel() const = 0;
  virtual void SetButtonModel(const std::string& AValue) = 0;
  virtual core::TNotifyEvent GetOnClick() const = 0;
  virtual void SetOnClick(core::TNotifyEvent AValue) = 0;
  virtual TOrvaneCellButtonProc GetProc() const = 0;
  virtual void SetProc(TOrvaneCellButtonProc AValue) = 0;
  // The column the button is in (null once the column is gone).
  virtual std::shared_ptr<TOrvaneDBGridColumn> GetColumn() const = 0;
  // The parent of a sub-button; null for a top-level button.
  virtual std::shared_ptr<IOrvaneDBGridColumnButton> GetButtonParent() const = 0;
  // The sub-buttons, in order.
  virtual const std::vector<IOrvaneDBGridColumnButtonPtr>& Buttons() const = 0;
  virtual void Clear() = 0;
  // A new sub-button, named "Parent" + this button's name + "_" + its number.
  virtual IOrvaneDBGridColumnButtonPtr Add() = 0;
  virtual void Add(const IOrvaneDBGridColumnButtonPtr& AButton) = 0;
  // The grid's element id followed by the button's name.
  virtual std::string ElementID() const = 0;
  // The button's HTML for the cell template.
  virtual std::string MakeHTML() const = 0;
};

class TOrvaneDBGridColumnButton : public IOrvaneDBGridColumnButton,
                                  public std::enable_shared_from_this<TOrvaneDBGridColumnButton> {
 public:
  TOrvaneDBGridColumnButton(const std::shared_ptr<TOrvaneDBGridColumn>& AColumn,
                            const std::string& AName,
                            const std::shared_ptr<IOrvaneDBGridColumnButton>& AParent = nullptr);

  std::string GetCaption() const override { return FCaption; }
  void SetCaption(const std::string& AValue) override { FCaption = AValue; }
  std::string GetCSS() const override { return FCSS; }
  void SetCSS(const std::string& AValue) override { FCSS = AValue; }
  std::string GetButtonType() const override { return FButtonType; }
  void SetButtonType(const std::string& AValue) override { FButtonType = AValue; }
  std::string GetButtonIcon() const override { return FButtonIcon; }
  void SetButtonIcon(const std::string& AValue) override { FButtonIcon = AValue; }
  std::string GetButtonWidth() const override { return FButtonWidth; }
  void SetButtonWidth(const std::string& AValue) override { FButtonWidth = AValue; }
  std::string GetButtonHeigth() const override { return FButtonHeigth; }
  void SetButtonHeigth(const std::string& AValue) override { FButtonHeigth = AValue; }
  std::string GetName() const override { return FName; }
  std::string GetIdentify() const override { return FIdentify; }
  std::string GetButtonModel() const override { return FButtonModel; }
  void SetButtonModel(const std::string& AValue) override { FButtonModel = AValue; }
  core::TNotifyEvent GetOnClick() const override { return FOnClick; }
  void SetOnClick(core::TNotifyEvent AValue) override { FOnClick = std::move(AValue); }
  TOrvaneCellButtonProc GetProc() const override { return FProc; }
  void SetProc(TOrvaneCellButtonProc AValue) override { FProc = std::move(AValue); }
  std::shared_ptr<TOrvaneDBGridColumn> GetColumn() const override {
    return FOrvaneDBGridColumn.lock();
  }
  std::shared_ptr<IOrvaneDBGridColumnButton> GetButtonParent() const override {
    return FButtonParent.lock();
  }
  const std::vector<IOrvaneDBGridColumnButtonPtr>& Buttons() const override { return FButtons; }
  void Clear() override { FButtons.clear(); }
  IOrvaneDBGridColumnButtonPtr Add() override;
  void Add(const IOrvaneDBGridColumnButtonPtr& AButton) override;
  std::string ElementID() const override;
  std::string MakeHTML() const override;

 private:
  // The words of the button's classes: CSS, type, width and height.
  std::string Classes() const;
  std::string OnClickJS() const;

  std::string FCaption;
  std::string FCSS;
  std::string FButtonType = "btn btn-primary";
  std::string FButtonIcon;
  std::string FButtonWidth;
  std::string FButtonHeigth;
  std::string FName;
  std::string FIdentify;
  std::weak_ptr<TOrvaneDBGridColumn> FOrvaneDBGridColumn;
  core::TNotifyEvent FOnClick;
  TOrvaneCellButtonProc FProc;
  std::vector<IOrvaneDBGridColumnButtonPtr> FButtons;
  std::string FButtonModel;
  std::weak_ptr<IOrvaneDBGridColumnButton> FButtonParent;
};

// The top-level buttons of a column.
class IOrvaneDBGridColumnButtons {
 public:
  virtual ~IOrvaneDBGridColumnButtons() = default;
  virtual void Clear() = 0;
  virtual const std::vector<IOrvaneDBGridColumnButtonPtr>& GetButtons() const = 0;
  // A new button named "GridButton" + its number; the column becomes a
  // button column.
  virtual IOrvaneDBGridColumnButtonPtr Add() = 0;
  virtual void Add(const IOrvaneDBGridColumnButtonPtr& AButton) = 0;
  // The buttons' HTML, side by side; empty without buttons.
  virtual std::string MakeHTML() const = 0;
};

class TOrvaneDBGridColumnButtons : public IOrvaneDBGridColumnButtons {
 public:
  explicit TOrvaneDBGridColumnButtons(TOrvaneDBGridColumn& AColumn) : FColumn(AColumn) {}
  void Clear() override { FButtons.clear(); }
  const std::vector<IOrvaneDBGridColumnButtonPtr>& GetButtons() const override { return FButtons; }
  IOrvaneDBGridColumnButtonPtr Add() override;
  void Add(const IOrvaneDBGridColumnButtonPtr& AButton) override;
  std::string MakeHTML() const override;

 private:
  TOrvaneDBGridColumn& FColumn;
  std::vector<IOrvaneDBGridColumnButtonPtr> FButtons;
};

// AText made safe inside a JavaScript template literal: "\", "`" and "${"
// are escaped.
std::string TemplateLiteralEscape(const std::string& AText);

}  // namespace orvane
