#include "vexlo/Vexlo.Util.h"

#include "orvane/server/Orvane.Util.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"

namespace vexlo {

namespace {
// The toolkit model draws at the default density.
constexpr int kDefaultPixelsPerInch = 96;
constexpr int kScreenPixelsPerInch = 96;
}  // namespace

std::string TrataHTMLTag(std::string_view AText) {
  size_t b = 0, e = AText.size();
  while (b < e && static_cast<unsigned char>(AText[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(AText[e - 1]) <= ' ') --e;
  std::string text(AText.substr(b, e - b));
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 3, "=\"\"") == 0) {
      i += 2;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::string Gerar_String_Aleatorio(int ALength) {
  return orvane::GenerateRandomString(ALength);
}

bool GetVisibleRecursive(const ui::TControl* AControl) {
  for (const ui::TControl* c = AControl; c; c = c->Parent()) {
    if (dynamic_cast<const ui::TCustomForm*>(c)) break;
    if (!c->Visible()) return false;
    if (auto* sheet = dynamic_cast<const ui::TTabSheet*>(c); sheet && !sheet->TabVisible())
      return false;
  }
  return AControl != nullptr;
}

bool GetEnabledRecursive(const ui::TControl* AControl) {
  for (const ui::TControl* c = AControl; c; c = c->Parent()) {
    if (dynamic_cast<const ui::TCustomForm*>(c)) break;
    if (!c->Enabled()) return false;
  }
  return AControl != nullptr;
}

int WidthPPI(int AWidth) {
  return AWidth * kDefaultPixelsPerInch / kScreenPixelsPerInch;
}

std::string StripAccelerators(std::string_view ACaption) {
  std::string plain;
  for (size_t i = 0; i < ACaption.size(); ++i) {
    if (ACaption[i] != '&') {
      plain += ACaption[i];
    } else if (i + 1 < ACaption.size() && ACaption[i + 1] == '&') {
      plain += '&';
      ++i;
    }
  }
  return plain;
}

}  // namespace vexlo
