// The web label: a span showing the desktop label's caption; a changed
// caption is pushed on the next observer pass.
#pragma once

#include <string>

#include "orvane/controls/Orvane.Forms.Controls.h"

namespace orvane {

class IOrvaneLabel {
 public:
  virtual ~IOrvaneLabel() = default;
  virtual std::string GetText() = 0;
};

class TOrvaneLabel : public TOrvaneControl, public IOrvaneLabel {
  CORE_DECLARE_CLASS()
 public:
  explicit TOrvaneLabel(core::TComponent* AOwner) : TOrvaneControl(AOwner) {}

  // The hook's text, else the stored one.
  std::string GetText() override;

  TOnGetValue ProcGetText;

  bool IsLabel() override { return true; }
  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  // "<span " + core + ">" + the text (HTML-escaped) + "</span>".
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  void ProcessComponentState(const nlohmann::json&) override {}
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 protected:
  void ClearHooks() override;

 private:
  std::string FStoredText;
};

}  // namespace orvane
