// The framework manager: one per process in web mode, reached through
// VexloManager(). The desktop configuration never creates it, so the accessor
// returns nil there.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"

namespace orvane {
class TOrvaneBaseClass;
}

namespace vexlo {

class IVexloManager {
 public:
  virtual ~IVexloManager() = default;
  virtual std::string GetLanguage() const = 0;
  virtual void SetLanguage(const std::string& AValue) = 0;
  virtual orvane::TOrvaneBaseClass* GetOrvane() const = 0;
  virtual void SetOrvane(orvane::TOrvaneBaseClass* AValue) = 0;
  virtual core::TComponentClass GetPrimaryFormClass() const = 0;
  virtual void SetPrimaryFormClass(core::TComponentClass AValue) = 0;
  virtual std::string GetTemplateMasterHTMLFile() const = 0;
  virtual void SetTemplateMasterHTMLFile(const std::string& AValue) = 0;
  virtual std::string GetTemplatePageHTMLFile() const = 0;
  virtual void SetTemplatePageHTMLFile(const std::string& AValue) = 0;
  virtual core::TComponentClass GetTemplateClassForm() const = 0;
  virtual void SetTemplateClassForm(core::TComponentClass AValue) = 0;
  virtual core::TComponent* GetServerController() const = 0;
  virtual void SetGetServerController(core::TComponent* AValue) = 0;
  // The desktop control classes the framework can export.
  virtual std::vector<core::TComponentClass>& SupportedVCLClasses() = 0;
  virtual std::string GetVersion() const = 0;
};

class TVexloManager : public IVexloManager {
 public:
  std::string GetLanguage() const override { return FLanguage; }
  void SetLanguage(const std::string& AValue) override { FLanguage = AValue; }
  orvane::TOrvaneBaseClass* GetOrvane() const override { return FOrvane; }
  void SetOrvane(orvane::TOrvaneBaseClass* AValue) override { FOrvane = AValue; }
  core::TComponentClass GetPrimaryFormClass() const override { return FPrimaryFormClass; }
  void SetPrimaryFormClass(core::TComponentClass AValue) override { FPrimaryFormClass = AValue; }
  std::string GetTemplateMasterHTMLFile() const override { return FTemplateMasterHTMLFile; }
  void SetTemplateMasterHTMLFile(const std::string& AValue) override {
    FTemplateMasterHTMLFile = AValue;
  }
  std::string GetTemplatePageHTMLFile() const override { return FTemplatePageHTMLFile; }
  void SetTemplatePageHTMLFile(const std::string& AValue) override {
    FTemplatePageHTMLFile = AValue;
  }
  core::TComponentClass GetTemplateClassForm() const override { return FTemplateClassForm; }
  void SetTemplateClassForm(core::TComponentClass AValue) override { FTemplateClassForm = AValue; }
  core::TComponent* GetServerController() const override { return FServerController; }
  void SetGetServerController(core::TComponent* AValue) override { FServerController = AValue; }
  std::vector<core::TComponentClass>& SupportedVCLClasses() override { return FSupported; }
  std::string GetVersion() const override { return "1.4.4"; }

 private:
  std::string FLanguage = "Portuguese";
  orvane::TOrvaneBaseClass* FOrvane = nullptr;
  core::TComponentClass FPrimaryFormClass = nullptr;
  std::string FTemplateMasterHTMLFile;
  std::string FTemplatePageHTMLFile;
  core::TComponentClass FTemplateClassForm = nullptr;
  core::TComponent* FServerController = nullptr;
  std::vector<core::TComponentClass> FSupported;
};

// The process's manager, or nil (always nil on the desktop).
IVexloManager* VexloManager();
// Installs the manager (the web starter does); nil removes it.
void SetVexloManager(std::shared_ptr<IVexloManager> AManager);

}  // namespace vexlo
