#include "vexlo/Vexlo.Lang.BaseClass.h"

#include "platform/core/Classes.h"
#include "vexlo/Vexlo.Lang.English.h"
#include "vexlo/Vexlo.Lang.Portuguese.h"

namespace vexlo {

std::string VexloLangName(TVexloLang ALang) {
  switch (ALang) {
    case TVexloLang::English:
      return "English";
    case TVexloLang::Portuguese:
      return "Portuguese";
    case TVexloLang::Spanish:
      return "Spanish";
    case TVexloLang::Arabic:
      return "Arabic";
  }
  return "Portuguese";
}

TVexloLang VexloLangByName(const std::string& AName) {
  for (TVexloLang l :
       {TVexloLang::English, TVexloLang::Portuguese, TVexloLang::Spanish, TVexloLang::Arabic})
    if (core::SameText(AName, VexloLangName(l))) return l;
  return TVexloLang::Portuguese;
}

TVexloLangClass::TVexloLangClass()
    : FPortuguese(std::make_unique<TVexloLangPortuguese>()),
      FEnglish(std::make_unique<TVexloLangEnglish>()) {}

const IVexloLang* TVexloLangClass::LangByTVexloLang(TVexloLang ALang) const {
  switch (ALang) {
    case TVexloLang::English:
    case TVexloLang::Spanish:
      return FEnglish.get();
    case TVexloLang::Portuguese:
      return FPortuguese.get();
    case TVexloLang::Arabic:
      return nullptr;
  }
  return nullptr;
}

const TVexloLangClass& VexloLangClass() {
  static const TVexloLangClass catalogue;
  return catalogue;
}

}  // namespace vexlo
