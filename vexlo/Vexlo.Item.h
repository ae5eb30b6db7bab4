// The layout item: one node of the tree in which a form declares its web
// page. Each item writes its lines into the body of its bridge object when
// the form is rendered; containers render their children in between their
// opening and closing lines.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vexlo {

class TVexloClass;

// Writes an item's opening or closing lines.
using TReaderNotify = std::function<void()>;

class IVexloItem {
 public:
  virtual ~IVexloItem() = default;
  virtual std::string GetCSS() const = 0;
  virtual void SetCSS(const std::string& AValue) = 0;
  virtual std::string GetHTMLExtras() const = 0;
  virtual void SetHTMLExtras(const std::string& AValue) = 0;
  virtual std::string GetHTMLStyle() const = 0;
  virtual void SetHTMLStyle(const std::string& AValue) = 0;
  virtual void PreProcess() = 0;
  virtual void Render() = 0;
  virtual void RenderHTML() = 0;
  virtual bool GetIsHidden() const = 0;
  virtual void SetIsHidden(bool AValue) = 0;
  virtual std::string GetItemID() const = 0;
  virtual void SetItemID(const std::string& AValue) = 0;
  // The bridge object's prefix, "_" and the identifier; the identifier alone
  // without a prefix.
  virtual std::string GetItemPrefixID() const = 0;
  // The writers the render pass runs around the item (may be empty).
  virtual TReaderNotify GetOnBeginReader() const = 0;
  virtual TReaderNotify GetOnEndReader() const = 0;
};

using IVexloItemPtr = std::shared_ptr<IVexloItem>;
using TVexloItemList = std::vector<IVexloItemPtr>;

// The core every item derives from.
class TVexloItem : public virtual IVexloItem {
 public:
  explicit TVexloItem(TVexloClass* ABaseClass) : FBaseClass(ABaseClass) {}

  std::string GetCSS() const override { return FCSS; }
  void SetCSS(const std::string& AValue) override { FCSS = AValue; }
  std::string GetHTMLExtras() const override { return FHTMLExtras; }
  void SetHTMLExtras(const std::string& AValue) override { FHTMLExtras = AValue; }
  std::string GetHTMLStyle() const override { return FHTMLStyle; }
  void SetHTMLStyle(const std::string& AValue) override { FHTMLStyle = AValue; }
  void PreProcess() override {}
  void Render() override {}
  void RenderHTML() override {}
  bool GetIsHidden() const override { return FIsHidden; }
  void SetIsHidden(bool AValue) override { FIsHidden = AValue; }
  std::string GetItemID() const override { return FItemID; }
  void SetItemID(const std::string& AValue) override { FItemID = AValue; }
  std::string GetItemPrefixID() const override;
  TReaderNotify GetOnBeginReader() const override { return FOnBeginReader; }
  TReaderNotify GetOnEndReader() const override { return FOnEndReader; }

  TVexloClass* BaseClass() const { return FBaseClass; }
  bool Renderized() const { return FRenderized; }
  void SetRenderized(bool AValue) { FRenderized = AValue; }
  void SetOnBeginReader(TReaderNotify AValue) { FOnBeginReader = std::move(AValue); }
  void SetOnEndReader(TReaderNotify AValue) { FOnEndReader = std::move(AValue); }

 protected:
  // Appends one line to the bridge object's body.
  void Write(const std::string& ALine) const;
  // Renders a child list through the bridge object (nothing when empty).
  void RenderChildren(const TVexloItemList& AItems) const;

  TVexloClass* FBaseClass;
  TReaderNotify FOnBeginReader;
  TReaderNotify FOnEndReader;
  std::string FItemID;
  bool FRenderized = false;
  std::string FCSS;
  std::string FHTMLExtras;
  std::string FHTMLStyle;
  bool FIsHidden = false;
};

}  // namespace vexlo
