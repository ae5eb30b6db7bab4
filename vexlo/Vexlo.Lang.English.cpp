#include "vexlo/Vexlo.Lang.English.h"

namespace vexlo {

std::string TVexloLangEnglish::Caption(ui::TMsgDlgBtn AButton) const {
  switch (AButton) {
    case ui::mbYes:
      return "Yes";
    case ui::mbNo:
      return "No";
    case ui::mbOK:
      return "OK";
    case ui::mbCancel:
      return "Cancel";
    case ui::mbAbort:
      return "Abort";
    case ui::mbRetry:
      return "Retry";
    case ui::mbIgnore:
      return "Ignore";
    case ui::mbAll:
      return "All";
    case ui::mbNoToAll:
      return "No to all";
    case ui::mbYesToAll:
      return "Yes to all";
    case ui::mbHelp:
      return "Help";
    case ui::mbClose:
      return "Close";
  }
  return "";
}

std::string TVexloLangEnglish::Caption(ui::TMsgDlgType AType) const {
  switch (AType) {
    case ui::mtWarning:
      return "Warning";
    case ui::mtError:
      return "Error";
    case ui::mtInformation:
      return "Information";
    case ui::mtConfirmation:
      return "Confirmation";
    case ui::mtCustom:
      return "Tamblo";
  }
  return "";
}

}  // namespace vexlo
