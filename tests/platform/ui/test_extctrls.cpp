#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/ui/Buttons.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Headless.h"

using namespace ui;

namespace {

std::string LE32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

std::string MakeBMP(int w, int h) {
  std::string s = "BM" + LE32(54) + LE32(0) + LE32(54) + LE32(40) + LE32(w) +
                  LE32(static_cast<uint32_t>(-h)) + std::string("\x01\x00\x18\x00", 4) +
                  std::string(24, '\0');
  return s;
}

std::string MakeJPEGHeader(int w, int h) {
  std::string s("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
  s += std::string("\xFF\xC0\x00\x11\x08", 5);
  s += static_cast<char>(h >> 8);
  s += static_cast<char>(h & 0xFF);
  s += static_cast<char>(w >> 8);
  s += static_cast<char>(w & 0xFF);
  s += std::string(12, '\x01');
  return s;
}

std::string MakeICO(int w, int h) {
  std::string s("\x00\x00\x01\x00\x01\x00", 6);
  s += static_cast<char>(w == 256 ? 0 : w);
  s += static_cast<char>(h == 256 ? 0 : h);
  s += std::string(14, '\0');
  return s;
}

}  // namespace

TEST(Pictures, FormatsAndDimensions) {
  TBitmap bmp(3, 2);
  bmp.Fill(clRed);
  bmp.SetPixel(2, 1, clBlue);
  struct Case {
    const char* name;
    std::string data;
    TPictureFormat format;
    int w, h;
  } cases[] = {
      {"png", EncodePNG(bmp), pfPNG, 3, 2},
      {"bmp", MakeBMP(640, 480), pfBMP, 640, 480},
      {"jpeg", MakeJPEGHeader(1024, 768), pfJPEG, 1024, 768},
      {"ico", MakeICO(256, 256), pfICO, 256, 256},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TPicture p;
    p.LoadFromData(c.data);
    EXPECT_EQ(p.Format(), c.format);
    EXPECT_EQ(p.Width(), c.w);
    EXPECT_EQ(p.Height(), c.h);
    EXPECT_EQ(p.Data(), c.data);
  }
  TPicture p;
  EXPECT_THROW(p.LoadFromData("GIF89a......"), EInvalidGraphic);
  EXPECT_TRUE(p.Empty());
  EXPECT_THROW(p.LoadFromData(std::string("\x89PNG\r\n\x1a\n", 8)), EInvalidGraphic);
  // A PNG decodes back to the same pixels.
  p.Assign(bmp);
  EXPECT_EQ(p.ToBitmap(), bmp);
  EXPECT_EQ(p.ToBitmap().GetPixel(2, 1), clBlue);
}

TEST(Pictures, FilesAndTheClipboard) {
  Application->Headless()->Reset();
  TBitmap bmp(4, 4);
  bmp.Fill(clGreen);
  EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
  TPicture logo;
  EXPECT_THROW(Clipboard()->AssignTo(logo), EToolkitError);
  Clipboard()->SetBitmap(bmp);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  Clipboard()->AssignTo(logo);  // a pasted bitmap is kept as PNG
  EXPECT_EQ(logo.Format(), pfPNG);
  EXPECT_EQ(logo.Width(), 4);

  std::string path = ::testing::TempDir() + "tamblo_logo.png";
  logo.SaveToFile(path);
  TPicture back;
  back.LoadFromFile(path);
  EXPECT_EQ(back, logo);
  std::remove(path.c_str());
  EXPECT_THROW(back.LoadFromFile(path), EToolkitError);
  Clipboard()->SetAsText("texto");
  EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_EQ(Clipboard()->AsText(), "texto");
  Application->Headless()->Reset();
}

TEST(ExtCtrls, PanelInsetsByBevelAndImagePlacement) {
  TPanel pnl(nullptr);
  pnl.SetBounds(0, 0, 928, 41);
  auto* right = new TSpeedButton(&pnl);
  right->SetBounds(0, 0, 40, 39);
  right->SetAlign(alRight);
  right->SetParent(&pnl);
  EXPECT_EQ(right->BoundsRect(), Rect(887, 1, 927, 40));  // one-pixel bevel
  pnl.SetBevelOuter(bvNone);
  EXPECT_EQ(right->BoundsRect(), Rect(888, 0, 928, 41));

  TImage img(nullptr);
  img.SetBounds(0, 0, 200, 100);
  TBitmap b(50, 20);
  img.Picture().Assign(b);
  EXPECT_EQ(img.DestRect(), Rect(0, 0, 50, 20));
  img.SetCenter(true);
  EXPECT_EQ(img.DestRect(), Rect(75, 40, 125, 60));
  img.SetStretch(true);
  img.SetCenter(false);
  EXPECT_EQ(img.DestRect(), Rect(0, 0, 200, 100));
  img.SetProportional(true);
  img.SetCenter(true);
  EXPECT_EQ(img.DestRect(), Rect(0, 10, 200, 90));
}

TEST(ExtCtrls, SpeedButtonGroupsAndClicks) {
  TPanel pnl(nullptr);
  auto* a = new TSpeedButton(&pnl);
  a->SetParent(&pnl);
  auto* b = new TSpeedButton(&pnl);
  b->SetParent(&pnl);
  int clicks = 0;
  a->OnClick = [&](TComponent*) { ++clicks; };
  a->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(a->Down());  // no group: never stays down
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->Click();
  EXPECT_TRUE(a->Down());
  b->Click();
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  b->SetDown(false);  // the last one down stays down
  EXPECT_TRUE(b->Down());
}

TEST(ComCtrls, PageControlSheetsTabsAndUserSelection) {
  auto* form = Create<TForm>(nullptr);
  form->SetBounds(0, 0, 600, 400);
  auto* pc = new TPageControl(form);
  pc->SetAlign(alClient);
  pc->SetParent(form);
  std::vector<std::string> log;
  auto addSheet = [&](const std::string& caption) {
    auto* ts = new TTabSheet(pc);
    ts->SetCaption(caption);
    ts->SetPageControl(pc);
    ts->OnShow = [&, caption](TComponent*) { log.push_back("show " + caption); };
    ts->OnHide = [&, caption](TComponent*) { log.push_back("hide " + caption); };
    return ts;
  };
  auto* s1 = addSheet("Cadastro da Prefeitura      ");
  auto* s2 = addSheet("Cadastro de Unidades      ");
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage(), s1);  // the first sheet shows
  EXPECT_TRUE(s1->Visible());
  EXPECT_FALSE(s2->Visible());
  EXPECT_EQ(s2->BoundsRect(), Rect(4, 24, 596, 396));

  pc->OnChange = [&](TComponent*) { log.push_back("change"); };
  bool allow = true;
  pc->OnChanging = [&](TComponent*, bool& a) { a = allow; };
  pc->SetActivePage(s2);  // code: no change events
  EXPECT_EQ(log, (std::vector<std::string>{"hide Cadastro da Prefeitura      ",
                                           "show Cadastro de Unidades      "}));
  log.clear();
  // A user's click on the first tab selects it, then the mouse event runs.
  TRect r0 = pc->TabRect(0);
  TRect r1 = pc->TabRect(1);
  EXPECT_EQ(r0.Left, 2);
  EXPECT_EQ(r1.Left, r0.Right);
  EXPECT_EQ(pc->IndexOfTabAt(r1.Left + 3, r1.Top + 3), 1);
  EXPECT_EQ(pc->IndexOfTabAt(r1.Right + 50, r1.Top + 3), -1);
  pc->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState, int, int) {
    log.push_back("mousedown " + std::to_string(pc->ActivePageIndex()));
  };
  pc->MouseDownFromUser(mbLeft, 0, r0.Left + 3, r0.Top + 3);
  EXPECT_EQ(pc->ActivePage(), s1);
  EXPECT_EQ(log.back(), "mousedown 0");
  EXPECT_NE(std::find(log.begin(), log.end(), "change"), log.end());
  allow = false;
  pc->MouseDownFromUser(mbLeft, 0, r1.Left + 3, r1.Top + 3);
  EXPECT_EQ(pc->ActivePage(), s1);

  TRect got;
  EXPECT_EQ(pc->Perform(TCM_GETITEMRECT, 1, reinterpret_cast<intptr_t>(&got)), 1);
  EXPECT_EQ(got, r1);
  pc->MovePage(s2, 0);
  EXPECT_EQ(s2->PageIndex(), 0);

  // Freeing the active sheet shows another; freeing a sheet frees what it owns.
  auto* inner = Create<TForm>(s1);
  inner->SetParent(s1);
  s1->Free();
  EXPECT_EQ(pc->PageCount(), 1);
  EXPECT_EQ(pc->ActivePage(), s2);
  s2->Free();
  EXPECT_EQ(pc->ActivePage(), nullptr);
  EXPECT_EQ(pc->TabCount(), 0);
  form->Free();
}

TEST(ComCtrls, OwnerDrawnTabsDrawEveryTabActiveLast) {
  TPageControl pc(nullptr);
  pc.SetBounds(0, 0, 400, 200);
  for (const char* c : {"Um", "Dois", "Tres"}) {
    auto* ts = new TTabSheet(&pc);
    ts->SetCaption(c);
    ts->SetPageControl(&pc);
  }
  pc.SetActivePageIndex(1);
  pc.SetOwnerDraw(true);
  std::vector<std::pair<int, bool>> drawn;
  pc.OnDrawTab = [&](TCustomTabControl*, int i, const TRect&, bool active) {
    drawn.push_back({i, active});
  };
  pc.PaintTabs();
  EXPECT_EQ(drawn, (std::vector<std::pair<int, bool>>{{0, false}, {2, false}, {1, true}}));
}

TEST(ComCtrls, DatePickerTextAndChange) {
  TDateTimePicker dtp(nullptr);
  int changes = 0;
  dtp.OnChange = [&](TComponent*) { ++changes; };
  dtp.SetDate(db::EncodeDate(2024, 3, 9));
  EXPECT_EQ(dtp.DateText(), "09/03/2024");
  dtp.SetDateText("31/12/2025");
  EXPECT_EQ(dtp.Date(), db::EncodeDate(2025, 12, 31));
  EXPECT_THROW(dtp.SetDateText("31/02/2025"), EConvertError);
  EXPECT_EQ(changes, 2);
}
