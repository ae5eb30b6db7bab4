#include "orvane/controls/Orvane.Image.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.Util.h"

namespace orvane {

namespace {

// An empty picture (1 x 1, transparent) while there is none to show.
const char* const kSemFigura =
    "data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7";

// Only letters and digits reach a file name.
std::string SafeExtension(const std::string& AExtension) {
  std::string e;
  for (char c : AExtension)
    if (std::isalnum(static_cast<unsigned char>(c))) e += static_cast<char>(std::tolower(c));
  return e.empty() || e.size() > 5 ? "bin" : e;
}

}  // namespace

const core::TClassInfo& TOrvaneImage::StaticClass() {
  static core::TClassInfo info("TOrvaneImage", &TOrvaneControl::StaticClass(),
                               core::FactoryOf<TOrvaneImage>());
  return info;
}

TOrvaneImage::~TOrvaneImage() {
  try {
    Withdraw();
  } catch (...) {
  }
}

void TOrvaneImage::Initialize() {
  TOrvaneControl::Initialize();
  Publish();
}

void TOrvaneImage::ProcessHTML() {
  FHTMLControl = "<img " + FHTMLCore + " src=\"" + HTMLEscape(FURL.empty() ? kSemFigura : FURL) +
                 "\" alt=\"\">";
}

void TOrvaneImage::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  if (!Publish() && !AForceUpdate) return;
  ScriptJS.push_back(ElementJS() + ".src = " + FormatValueHTML(FURL.empty() ? kSemFigura : FURL) +
                     ";");
}

bool TOrvaneImage::Publish() {
  std::string data, extension;
  if (FProcGetPicture) FProcGetPicture(data, extension);
  const size_t hash = std::hash<std::string_view>()(data);
  if (FPublished && hash == FStoredHash && data.size() == FStoredSize) return false;
  FPublished = true;
  FStoredHash = hash;
  FStoredSize = data.size();
  Withdraw();
  IOrvaneSession* session = FForm ? FForm->GetOrvaneSession() : nullptr;
  if (data.empty() || !session || session->PathSession().empty()) return true;
  // A new name for each picture: the page never shows an old one from its cache.
  std::filesystem::path file =
      std::filesystem::path(session->PathSession()) /
      ("figura_" + GenerateRandomJustString(12) + "." + SafeExtension(extension));
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out) return true;
  }
  FFile = file.string();
  FURL = session->AddFileDownload(FFile);
  return true;
}

void TOrvaneImage::Withdraw() {
  IOrvaneSession* session = FForm ? FForm->GetOrvaneSession() : nullptr;
  if (session && !FURL.empty()) session->RemoveFileDownload(FURL);
  FURL.clear();
  if (!FFile.empty()) {
    std::error_code ec;
    std::filesystem::remove(FFile, ec);
    FFile.clear();
  }
}

void TOrvaneImage::ClearHooks() {
  TOrvaneControl::ClearHooks();
  FProcGetPicture = nullptr;
}

}  // namespace orvane
