// The texts the bridge shows in a browser, per language: the captions of its
// own buttons, the texts of the web message dialogs, the captions of dialog
// buttons and the names of the message kinds.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Controls.h"

namespace vexlo {

enum class TVexloLang { English, Portuguese, Spanish, Arabic };

// "English", "Portuguese", "Spanish", "Arabic".
std::string VexloLangName(TVexloLang ALang);
// The language of such a name (ignoring case); Portuguese for any other.
TVexloLang VexloLangByName(const std::string& AName);

// Captions of the bridge's own buttons (popups, upload).
class IVexloLangButtons {
 public:
  virtual ~IVexloLangButtons() = default;
  virtual std::string Close() const = 0;
  virtual std::string Cancel() const = 0;
  virtual std::string Send() const = 0;
  virtual std::string Clean() const = 0;
  virtual std::string SelectFiles() const = 0;
};

// Texts of the web message dialogs.
class IVexloLangMessageDlg {
 public:
  virtual ~IVexloLangMessageDlg() = default;
  // Title of a plain message.
  virtual std::string Title() const = 0;
  // Shown while the page waits for the server.
  virtual std::string Wait() const = 0;
  // Shown when an upload has finished.
  virtual std::string UploadFinished() const = 0;
};

// Captions of the message dialog buttons.
class IVexloLangDlgButtons {
 public:
  virtual ~IVexloLangDlgButtons() = default;
  virtual std::string Caption(ui::TMsgDlgBtn AButton) const = 0;
};

// Names of the message kinds, used as dialog titles.
class IVexloLangMsgType {
 public:
  virtual ~IVexloLangMsgType() = default;
  virtual std::string Caption(ui::TMsgDlgType AType) const = 0;
};

class IVexloLang {
 public:
  virtual ~IVexloLang() = default;
  virtual TVexloLang Language() const = 0;
  virtual const IVexloLangButtons& Buttons() const = 0;
  virtual const IVexloLangMessageDlg& MessageDlg() const = 0;
  virtual const IVexloLangDlgButtons& DlgButtons() const = 0;
  virtual const IVexloLangMsgType& MsgType() const = 0;
};

// The catalogue: one Portuguese and one English set.
class TVexloLangClass {
 public:
  TVexloLangClass();
  // English and Spanish give the English set, Portuguese the Portuguese
  // one; Arabic has no set (null).
  const IVexloLang* LangByTVexloLang(TVexloLang ALang) const;
  const IVexloLang& Portuguese() const { return *FPortuguese; }
  const IVexloLang& English() const { return *FEnglish; }

 private:
  std::unique_ptr<IVexloLang> FPortuguese;
  std::unique_ptr<IVexloLang> FEnglish;
};

// The process's catalogue.
const TVexloLangClass& VexloLangClass();

}  // namespace vexlo
