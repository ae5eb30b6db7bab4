// The web button: a button element with a caption. The adapter attaches its
// click and key events; the button carries no browser state.
#pragma once

#include <string>

#include "orvane/controls/Orvane.Forms.Controls.h"

namespace orvane {

class IOrvaneButton {
 public:
  virtual ~IOrvaneButton() = default;
  virtual void SetCaption(const std::string& AValue) = 0;
  virtual std::string GetCaption() const = 0;
};

class TOrvaneButton : public TOrvaneControl, public IOrvaneButton {
  CORE_DECLARE_CLASS()
 public:
  explicit TOrvaneButton(core::TComponent* AOwner) : TOrvaneControl(AOwner) {}

  void SetCaption(const std::string& AValue) override { FCaption = AValue; }
  std::string GetCaption() const override { return FCaption; }
  // The form's default button: Enter in a field of the page presses it.
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool AValue) { FDefault = AValue; }

  bool IsButton() override { return true; }
  bool NeedCheckValidation() override { return true; }
  bool GetEnableComponentState() override { return false; }
  // "<button " + core + ">" + the caption (HTML-escaped) + "</button>"; a
  // default button carries data-orvane-default.
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  void ProcessComponentState(const nlohmann::json&) override {}

 private:
  std::string FCaption;
  bool FDefault = false;
};

}  // namespace orvane
