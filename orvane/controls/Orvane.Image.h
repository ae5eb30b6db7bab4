// The web picture: the twin of a desktop picture (a data-aware one shows
// its field's picture). The page never reads a public path: each picture
// is written to the session's own folder and offered through the session's
// download route, so only that page can fetch it. A changed picture (a new
// record, a new file) reaches the page on the next observer pass as a new
// address for the same element.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "orvane/controls/Orvane.Forms.Controls.h"

namespace orvane {

// Reads the desktop picture: its encoded bytes and their file extension
// ("png", "jpg"...); empty bytes for no picture.
using TOnGetPicture = std::function<void(std::string& AData, std::string& AExtension)>;

class IOrvaneImage {
 public:
  virtual ~IOrvaneImage() = default;
  virtual void SetProcGetPicture(TOnGetPicture AValue) = 0;
  // The address the page reads the picture from; empty without a picture.
  virtual std::string GetPictureURL() const = 0;
};

class TOrvaneImage : public TOrvaneControl, public IOrvaneImage {
  CORE_DECLARE_CLASS()
 public:
  explicit TOrvaneImage(core::TComponent* AOwner) : TOrvaneControl(AOwner) {}
  ~TOrvaneImage() override;

  void SetProcGetPicture(TOnGetPicture AValue) override { FProcGetPicture = std::move(AValue); }
  std::string GetPictureURL() const override { return FURL; }

  bool GetEnableComponentState() override { return false; }
  void Initialize() override;
  // "<img " + core + " src=... alt>": the picture's address, or an empty
  // picture while there is none.
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  void ProcessComponentState(const nlohmann::json&) override {}
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 protected:
  void ClearHooks() override;

 private:
  // Publishes the current picture when it differs from the one the page
  // has; true when the address changed.
  bool Publish();
  // Withdraws the published file.
  void Withdraw();

  TOnGetPicture FProcGetPicture;
  std::string FURL;
  std::string FFile;
  size_t FStoredHash = 0;
  size_t FStoredSize = 0;
  bool FPublished = false;
};

}  // namespace orvane
