// The tabbed document host on the toolkit model, driven as a user drives it:
// menu choices, clicks on tabs and close buttons, middle clicks, drags.
#include <gtest/gtest.h>

#include "platform/ui/Headless.h"
#include "platform/ui/StdCtrls.h"
#include "tabhost/TDI.h"

using namespace tabhost;

namespace {

// Test forms: a caption, two edits, and a switch that refuses to close.
template <const char* KName, const char* Title>
class TTestForm : public ui::TForm {
 public:
  static const core::TClassInfo& StaticClass() {
    static core::TClassInfo info(KName, &ui::TForm::StaticClass(), core::FactoryOf<TTestForm>());
    return info;
  }
  const core::TClassInfo& ClassType() const override { return StaticClass(); }
  explicit TTestForm(core::TComponent* AOwner) : ui::TForm(AOwner) {
    SetCaption(Title);
    edt1 = new ui::TEdit(this);
    edt1->SetName("edt1");
    edt1->SetParent(this);
    edt2 = new ui::TEdit(this);
    edt2->SetName("edt2");
    edt2->SetParent(this);
    edt2->SetTop(40);
    OnCloseQuery = [this](core::TComponent*, bool& CanClose) { CanClose = !Refuse; };
  }
  ui::TEdit* edt1;
  ui::TEdit* edt2;
  bool Refuse = false;
};

const char kA[] = "TfA", kATitle[] = "Cadastro A";
const char kB[] = "TfB", kBTitle[] = "Cadastro B";
const char kC[] = "TfC", kCTitle[] = "Cadastro C";
const char kD[] = "TfD", kDTitle[] = "Painel";
using TfA = TTestForm<kA, kATitle>;
using TfB = TTestForm<kB, kBTitle>;
using TfC = TTestForm<kC, kCTitle>;
using TfD = TTestForm<kD, kDTitle>;

class TRepaintCounter : public ui::TControlPeer {
 public:
  explicit TRepaintCounter(int& ACount) : FCount(ACount) {}
  void Changed(ui::TControlChange AWhat) override {
    if (AWhat == ui::TControlChange::Repaint) ++FCount;
  }

 private:
  int& FCount;
};

class TDITest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::Application->Headless()->Reset();
    main = core::Create<ui::TForm>(nullptr);
    main->SetBounds(0, 0, 900, 600);
    main->Show();
  }
  void TearDown() override {
    core::FreeAndNil(main);
    ui::Application->RunQueuedCalls();
  }
  TTDI* NewHost(ui::TFormClass APadrao = nullptr) { return new TTDI(main, APadrao); }
  static std::vector<std::string> Captions(TTDI& h) {
    std::vector<std::string> v;
    for (int i = 0; i < h.PageControl()->PageCount(); ++i)
      v.push_back(h.PageControl()->Pages(i)->Caption());
    return v;
  }
  static ui::TPoint Centre(const ui::TRect& r) {
    return ui::TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  ui::TForm* main = nullptr;
};

}  // namespace

TEST_F(TDITest, OpensAFormInATabAndShowsTheExistingTabAgain) {
  TTDI* h = NewHost();
  TPageControl* pc = h->PageControl();
  EXPECT_FALSE(pc->Visible());
  EXPECT_EQ(pc->Parent(), main);
  EXPECT_EQ(pc->Align(), ui::alClient);

  h->MostrarFormulario<TfA>(false);
  ASSERT_EQ(pc->PageCount(), 1);
  EXPECT_TRUE(pc->Visible());
  EXPECT_EQ(pc->Width(), main->ClientWidth());
  EXPECT_EQ(Captions(*h), std::vector<std::string>{"Cadastro A      "});
  auto* a = dynamic_cast<TfA*>(h->Formulario(0));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Owner(), pc->Pages(0));
  EXPECT_EQ(a->Parent(), pc->Pages(0));
  EXPECT_EQ(a->Align(), ui::alClient);
  EXPECT_EQ(a->BorderStyle(), ui::bsNone);
  EXPECT_TRUE(a->Visible());
  EXPECT_EQ(main->ActiveControl(), a->edt1);  // the window holding the tab has the focus
  EXPECT_EQ(h->Formulario(1), nullptr);
  EXPECT_EQ(h->Formulario(-1), nullptr);

  h->MostrarFormulario<TfB>(false);
  h->MostrarFormulario<TfA>(false);
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
}

TEST_F(TDITest, RepeatedChoicesStepForwardThroughTabsOfOneClassAndStayOnTheLast) {
  TTDI* h = NewHost();
  TPageControl* pc = h->PageControl();
  int changes = 0;
  pc->OnChange = [&](core::TComponent*) { ++changes; };
  h->MostrarFormulario<TfA>(true);
  h->MostrarFormulario<TfA>(true);
  h->MostrarFormulario<TfB>(false);
  ASSERT_EQ(pc->PageCount(), 3);
  EXPECT_EQ(pc->ActivePageIndex(), 2);
  changes = 0;
  h->MostrarFormulario<TfA>(false);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  h->MostrarFormulario<TfA>(false);
  EXPECT_EQ(pc->ActivePageIndex(), 1);
  EXPECT_EQ(changes, 2);
  h->MostrarFormulario<TfA>(false);
  EXPECT_EQ(pc->ActivePageIndex(), 1);
  EXPECT_EQ(changes, 2);  // the same tab again: no change notification
  EXPECT_EQ(pc->PageCount(), 3);
}

TEST_F(TDITest, ClosingTheLastTabHidesTheStrip) {
  TTDI* h = NewHost();
  h->Fechar(false);  // nothing open: nothing happens
  h->MostrarFormulario<TfA>(false);
  h->MostrarFormulario<TfB>(false);
  h->Fechar(false);
  EXPECT_EQ(Captions(*h), std::vector<std::string>{"Cadastro A      "});
  EXPECT_TRUE(h->PageControl()->Visible());
  h->Fechar(false);
  EXPECT_EQ(h->PageControl()->PageCount(), 0);
  EXPECT_FALSE(h->PageControl()->Visible());
  EXPECT_EQ(h->PageControl()->ActivePage(), nullptr);
}

TEST_F(TDITest, AFormThatRefusesToCloseKeepsItsTab) {
  TTDI* h = NewHost();
  h->MostrarFormulario<TfA>(false);
  static_cast<TfA*>(h->Formulario(0))->Refuse = true;
  h->Fechar(true);
  EXPECT_EQ(h->PageControl()->PageCount(), 1);
  EXPECT_TRUE(h->PageControl()->Visible());
  static_cast<TfA*>(h->Formulario(0))->Refuse = false;
}

TEST_F(TDITest, TheDefaultFormComesBackWhenTheTabsCloseDownToOne) {
  TTDI* h = NewHost(&TfD::StaticClass());
  TPageControl* pc = h->PageControl();
  ASSERT_EQ(Captions(*h), std::vector<std::string>{"Painel      "});
  // With only the default tab open another form opens beside it.
  h->MostrarFormulario<TfA>(false);
  h->MostrarFormulario<TfB>(false);
  EXPECT_EQ(pc->PageCount(), 3);
  // Closing the default tab while others are open.
  pc->SetActivePageIndex(0);
  h->Fechar(false);
  EXPECT_EQ(Captions(*h), (std::vector<std::string>{"Cadastro A      ", "Cadastro B      "}));
  // Down to one tab: the default form is shown again, and is the active tab.
  h->Fechar(false);
  EXPECT_EQ(Captions(*h), (std::vector<std::string>{"Cadastro B      ", "Painel      "}));
  EXPECT_EQ(pc->ActivePageIndex(), 1);
  // Closing every tab leaves the default form, as the host keeps it.
  h->Fechar(true);
  EXPECT_EQ(Captions(*h), std::vector<std::string>{"Painel      "});
  // Setting the same default again does nothing; destroying the host closes all.
  h->SetFormPadrao(&TfD::StaticClass());
  EXPECT_EQ(pc->PageCount(), 1);
  h->Free();
  EXPECT_EQ(main->ControlCount(), 0);
}

TEST_F(TDITest, SettingADefaultFormWithNoActiveTabShowsIt) {
  TTDI* h = NewHost();
  h->SetFormPadrao(&TfD::StaticClass());
  EXPECT_EQ(Captions(*h), std::vector<std::string>{"Painel      "});
}

TEST_F(TDITest, MiddleClickClosesTheTabUnderThePointer) {
  TTDI* h = NewHost();
  TPageControl* pc = h->PageControl();
  h->MostrarFormulario<TfA>(false);
  h->MostrarFormulario<TfB>(false);
  h->MostrarFormulario<TfC>(false);
  ui::TPoint p = Centre(pc->TabRect(0));
  pc->MouseDownFromUser(ui::mbMiddle, 0, p.X, p.Y);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  pc->MouseUpFromUser(ui::mbMiddle, 0, p.X, p.Y);
  EXPECT_EQ(Captions(*h), (std::vector<std::string>{"Cadastro B      ", "Cadastro C      "}));
}

TEST_F(TDITest, CloseButtonGeometryAndPressing) {
  TTDI* h = NewHost();
  TPageControl* pc = h->PageControl();
  h->MostrarFormulario<TfA>(false);
  h->MostrarFormulario<TfB>(false);
  EXPECT_EQ(pc->CloseButtonCount(), 2);
  EXPECT_TRUE(pc->CloseButtonRect(0).IsEmpty());  // filled in when the tabs are drawn
  pc->PaintTabs();
  // The active tab is drawn 2 pixels larger all round, the others 2 pixels
  // narrower on each side; the themed button is one pixel wider on the left.
  ui::TRect t0 = pc->TabRect(0), t1 = pc->TabRect(1);
  EXPECT_EQ(pc->CloseButtonRect(1), ui::Rect(t1.Right + 2 - 5 - 15, 0 + 4, t1.Right + 2 - 5, 18));
  EXPECT_EQ(pc->CloseButtonRect(0), ui::Rect(t0.Right - 2 - 5 - 15, 2 + 3, t0.Right - 2 - 5, 19));
  // Without themes: the plain 14 x 14 square.
  SetStyleServicesEnabled(false);
  pc->PaintTabs();
  SetStyleServicesEnabled(true);
  EXPECT_EQ(pc->CloseButtonRect(1).Width(), 14);
  pc->PaintTabs();

  // Press on the button, drag off it, release: the tab stays.
  ui::TPoint on = Centre(pc->CloseButtonRect(1));
  pc->MouseDownFromUser(ui::mbLeft, 0, on.X, on.Y);
  EXPECT_TRUE(pc->CloseButtonShowPushed());
  pc->MouseMoveFromUser(ui::ssLeft, on.X, on.Y + 30);
  EXPECT_FALSE(pc->CloseButtonShowPushed());
  pc->MouseMoveFromUser(ui::ssLeft, on.X, on.Y);
  EXPECT_TRUE(pc->CloseButtonShowPushed());
  pc->MouseMoveFromUser(ui::ssLeft, on.X, on.Y + 30);
  pc->MouseUpFromUser(ui::mbLeft, 0, on.X, on.Y + 30);
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_FALSE(pc->CloseButtonShowPushed());

  // Leaving the control releases the pressed look.
  pc->MouseDownFromUser(ui::mbLeft, 0, on.X, on.Y);
  pc->MouseLeaveFromUser();
  EXPECT_FALSE(pc->CloseButtonShowPushed());
  pc->MouseUpFromUser(ui::mbLeft, 0, on.X + 100, on.Y + 100);

  // Press and release on it: the tab closes.
  pc->MouseDownFromUser(ui::mbLeft, 0, on.X, on.Y);
  pc->MouseUpFromUser(ui::mbLeft, 0, on.X, on.Y);
  EXPECT_EQ(Captions(*h), std::vector<std::string>{"Cadastro A      "});
}

TEST_F(TDITest, ClickingTheCloseButtonOfAnInactiveTabClosesThatTab) {
  TTDI* h = NewHost();
  TPageControl* pc = h->PageControl();
  h->MostrarFormulario<TfA>(false);
  h->MostrarFormulario<TfB>(false);
  pc->PaintTabs();
  ui::TPoint on = Centre(pc->CloseButtonRect(0));
  pc->MouseDownFromUser(ui::mbLeft, 0, on.X, on.Y);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  pc->MouseUpFromUser(ui::mbLeft, 0, on.X, on.Y);
  EXPECT_EQ(Captions(*h), std::vector<std::string>{"Cadastro B      "});
}

TEST_F(TDITest, DraggingATabReordersAndDroppingBeyondTheLastChangesNothing) {
  TTDI* h = NewHost();
  TPageControl* pc = h->PageControl();
  h->MostrarFormulario<TfA>(false);
  h->MostrarFormulario<TfB>(false);
  h->MostrarFormulario<TfC>(false);
  auto drag = [&](int from, ui::TPoint to) {
    ui::TPoint p = Centre(pc->TabRect(from));
    p.Y = pc->TabRect(from).Top + 3;  // on the caption, away from the close button
    pc->MouseDownFromUser(ui::mbLeft, 0, p.X - 20, p.Y);
    pc->MouseMoveFromUser(ui::ssLeft, (p.X + to.X) / 2, to.Y);
    pc->MouseMoveFromUser(ui::ssLeft, to.X, to.Y);
    pc->MouseUpFromUser(ui::mbLeft, 0, to.X, to.Y);
  };
  // Beyond the last tab.
  ui::TRect last = pc->TabRect(2);
  drag(2, ui::TPoint{last.Right + 60, last.Top + 5});
  EXPECT_EQ(Captions(*h),
            (std::vector<std::string>{"Cadastro A      ", "Cadastro B      ", "Cadastro C      "}));
  // Onto the first tab: the dragged (active) tab moves there.
  drag(2, Centre(pc->TabRect(0)));
  EXPECT_EQ(Captions(*h),
            (std::vector<std::string>{"Cadastro C      ", "Cadastro A      ", "Cadastro B      "}));
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  // A drag of something else is not accepted by the strip.
  bool accept = true;
  pc->OnDragOver(pc, main, 5, 5, ui::dsDragMove, accept);
  EXPECT_FALSE(accept);
}

TEST_F(TDITest, CloseTabMessageAndVisitor) {
  TTDI* h = NewHost();
  h->MostrarFormulario<TfA>(false);
  h->MostrarFormulario<TfB>(false);
  h->MostrarFormulario<TfA>(true);
  struct TCollect : IVisualizador {
    std::vector<std::string> Seen;
    void Visualizar(ui::TCustomForm* AForm) override { Seen.push_back(AForm->Caption()); }
  };
  auto v = std::make_shared<TCollect>();
  h->VisualizarAbas(v, &TfA::StaticClass());
  EXPECT_EQ(v->Seen, std::vector<std::string>{"Cadastro B"});
  EXPECT_EQ(WM_CLOSE_TAB, 1025u);
  ui::PostMessage(h, WM_CLOSE_TAB, 1, 0);
  EXPECT_EQ(h->PageControl()->PageCount(), 3);
  ui::Application->ProcessMessages();
  EXPECT_EQ(Captions(*h), (std::vector<std::string>{"Cadastro A      ", "Cadastro A      "}));
}

TEST_F(TDITest, TabContextMenu) {
  TTDI* h = NewHost();
  TPageControl* pc = h->PageControl();
  EXPECT_FALSE(h->MostrarMenuPopup());
  h->SetMostrarMenuPopup(true);
  EXPECT_TRUE(h->MostrarMenuPopup());
  ui::TPopupMenu* pop = pc->PopupMenu();
  ASSERT_NE(pop, nullptr);
  EXPECT_EQ(pop->Name(), "pop");
  EXPECT_EQ(pop->Owner(), pc);
  ASSERT_EQ(pop->Items()->Count(), 2);
  EXPECT_EQ(pop->Items()->Items(0)->Caption(), "Fechar janela");
  EXPECT_EQ(ui::ShortCutToText(pop->Items()->Items(0)->ShortCut()), "Ctrl+F4");
  EXPECT_EQ(pop->Items()->Items(1)->Caption(), "Fechar todas as janelas");
  EXPECT_EQ(pop->Items()->Items(1)->ShortCut(), 0);

  h->MostrarFormulario<TfA>(false);
  h->MostrarFormulario<TfB>(false);
  h->MostrarFormulario<TfC>(false);
  // Ctrl+F4 in a form of a tab closes that tab.
  auto* c = static_cast<TfC*>(h->Formulario(2));
  c->edt1->KeyDownFromUser(ui::VK_F4, ui::ssCtrl);
  EXPECT_EQ(pc->PageCount(), 2);
  // A right click on a tab makes it active and shows the menu there.
  int popups = 0;
  ui::Application->Headless()->OnPopup = [&](ui::TPopupMenu& m, int, int) {
    ++popups;
    EXPECT_EQ(&m, pop);
  };
  ui::TPoint p = Centre(pc->TabRect(0));
  pc->MouseDownFromUser(ui::mbRight, 0, p.X, p.Y);
  pc->MouseUpFromUser(ui::mbRight, 0, p.X, p.Y);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  pop->Items()->Items(1)->Click();
  EXPECT_EQ(pc->PageCount(), 0);

  h->SetMostrarMenuPopup(false);
  EXPECT_FALSE(h->MostrarMenuPopup());
  h->SetMostrarMenuPopup(true);
  EXPECT_EQ(pc->PopupMenu(), pop);  // the same menu comes back
}

TEST_F(TDITest, HotTabFollowsThePointer) {
  TTDI* h = NewHost();
  TPageControl* pc = h->PageControl();
  h->MostrarFormulario<TfA>(false);
  h->MostrarFormulario<TfB>(false);
  int repaints = 0;
  pc->SetPeer(std::make_unique<TRepaintCounter>(repaints));
  TCustomTabControlHelper& helper = pc->OwnerDrawHelper();
  EXPECT_TRUE(helper.ThemedOwnerDraw());
  EXPECT_EQ(helper.HotTabIndex(), -1);
  pc->MouseEnterFromUser();
  ui::TPoint p0 = Centre(pc->TabRect(0));
  pc->MouseMoveFromUser(0, p0.X, p0.Y);
  EXPECT_EQ(helper.HotTabIndex(), 0);
  EXPECT_EQ(helper.HotTabRect(), pc->TabRect(0));
  EXPECT_GE(repaints, 1);
  pc->PaintTabs();
  EXPECT_EQ(helper.LastDrawState(0), TTabDrawState::Hot);
  EXPECT_EQ(helper.LastDrawState(1), TTabDrawState::Selected);
  // Moving inside the hot tab repaints nothing.
  repaints = 0;
  pc->MouseMoveFromUser(0, p0.X + 1, p0.Y);
  EXPECT_EQ(repaints, 0);
  ui::TPoint p1 = Centre(pc->TabRect(1));
  pc->MouseMoveFromUser(0, p1.X, p1.Y);
  EXPECT_EQ(helper.HotTabIndex(), 1);
  EXPECT_EQ(repaints, 2);  // the old and the new hot tab
  pc->MouseMoveFromUser(0, p1.X, 300);
  EXPECT_EQ(helper.HotTabIndex(), -1);
  pc->MouseMoveFromUser(0, p1.X, p1.Y);
  pc->MouseLeaveFromUser();
  EXPECT_EQ(helper.HotTabIndex(), -1);
  pc->PaintTabs();
  EXPECT_EQ(helper.LastDrawState(0), TTabDrawState::Normal);
  // Without owner drawing the hot tab still follows but nothing repaints.
  pc->SetOwnerDraw(false);
  EXPECT_FALSE(helper.ThemedOwnerDraw());
  repaints = 0;
  pc->MouseEnterFromUser();
  pc->MouseMoveFromUser(0, p0.X, p0.Y);
  EXPECT_EQ(helper.HotTabIndex(), 0);
  EXPECT_EQ(repaints, 0);
  pc->SetPeer(nullptr);
}

TEST_F(TDITest, AFormThatFailsToBuildLeavesNoTab) {
  struct TBroken : ui::TForm {
    static const core::TClassInfo& StaticClass() {
      static core::TClassInfo info("TBroken", &ui::TForm::StaticClass(),
                                   core::FactoryOf<TBroken>());
      return info;
    }
    const core::TClassInfo& ClassType() const override { return StaticClass(); }
    explicit TBroken(core::TComponent* AOwner) : ui::TForm(AOwner) {
      OnCreate = [](core::TComponent*) { throw core::EToolkitError("falhou"); };
    }
  };
  TTDI* h = NewHost();
  h->MostrarFormulario<TfA>(false);
  EXPECT_THROW(h->MostrarFormulario<TBroken>(false), core::EToolkitError);
  EXPECT_EQ(Captions(*h), std::vector<std::string>{"Cadastro A      "});
  EXPECT_EQ(h->PageControl()->ActivePageIndex(), 0);
}
