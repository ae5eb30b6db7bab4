// The framework manager: one per process in web mode, reached through
// VexloManager(). The desktop configuration never creates it, so the accessor
// returns nil there.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Classes.h"

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
  virtual ui::TComponentClass GetPrimaryFormClass() const = 0;
  virtual void SetPrimaryFormClass(ui::TComponentClass AValue) = 0;
  virtual std::string GetTemplateMasterHTMLFile() const = 0;
  virtual void SetTemplateMasterHTMLFile(const std::string& AValue) = 0;
  virtual std::string GetTemplatePageHTMLFile() const = 0;
  virtual void SetTemplatePageHTMLFile(const std::string& AValue) = 0;
  virtual ui::TComponentClass GetTemplateClassForm() const = 0;
  virtual void SetTemplateClassForm(ui::TComponentClass AValue) = 0;
  virtual ui::TComponent* GetServerController() const = 0;
  virtual void SetGetServerController(ui::TComponent* AValue) = 0;
  // The desktop control classes the framework can export.
  virtual std::vector<ui::TComponentClass>& SupportedVCLClasses() = 0;
  virtual std::string GetVersion() const = 0;
};

class TVexloManager : public IVexloManager {
 public:
  std::string GetLanguage() const override { return FLanguage; }
  void SetLanguage(const std::string& AValue) override { FLanguage = AValue; }
  orvane::TOrvaneBaseClass* GetOrvane() const override { return FOrvane; }
  void SetOrvane(orvane::TOrvaneBaseClass* AValue) override { FOrvane = AValue; }
  ui::TComponentClass GetPrimaryFormClass() const override { return FPrimaryFormClass; }
  void SetPrimaryFormClass(ui::TComponentClass AValue) override { FPrimaryFormClass = AValue; }
  std::string GetTemplateMasterHTMLFile() const override { return FTemplateMasterHTMLFile; }
  void SetTemplateMasterHTMLFile(const std::string& AValue) override {
    FTemplateMasterHTMLFile = AValue;
  }
  std::string GetTemplatePageHTMLFile() const override { return FTemplatePageHTMLFile; }
  void SetTemplatePageHTMLFile(const std::string& AValue) override {
    FTemplatePageHTMLFile = AValue;
  }
  ui::TComponentClass GetTemplateClassForm() const override { return FTemplateClassForm; }
  void SetTemplateClassForm(ui::TComponentClass AValue) override { FTemplateClassForm = AValue; }
  ui::TComponent* GetServerController() const override { return FServerController; }
  void SetGetServerController(ui::TComponent* AValue) override { FServerController = AValue; }
  std::vector<ui::TComponentClass>& SupportedVCLClasses() override { return FSupported; }
  std::string GetVersion() const override { return "1.4.4"; }

 private:
  std::string FLanguage = "Portuguese";
  orvane::TOrvaneBaseClass* FOrvane = nullptr;
  ui::TComponentClass FPrimaryFormClass = nullptr;
  std::string FTemplateMasterHTMLFile;
  std::string FTemplatePageHTMLFile;
  ui::TComponentClass FTemplateClassForm = nullptr;
  ui::TComponent* FServerController = nullptr;
  std::vector<ui::TComponentClass> FSupported;
};

// The process's manager, or nil (always nil on the desktop).
IVexloManager* VexloManager();
// Installs the manager (the web starter does); nil removes it.
void SetVexloManager(std::shared_ptr<IVexloManager> AManager);

}  // namespace vexlo
