// The bridge form base on the desktop and the instance registry.
#include <gtest/gtest.h>

#include "orvane/controls/Orvane.DBGrid.h"
#include "platform/ui/Headless.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Instance.h"
#include "vexlo/Vexlo.Manager.h"

using namespace vexlo;

namespace {

class TfLogin : public TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  using TVexloForm::TVexloForm;
};
const core::TClassInfo& TfLogin::StaticClass() {
  static core::TClassInfo info("TfLogin", &TVexloForm::StaticClass(), core::FactoryOf<TfLogin>());
  return info;
}

class TfMenu : public TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  using TVexloForm::TVexloForm;
};
const core::TClassInfo& TfMenu::StaticClass() {
  static core::TClassInfo info("TfMenu", &TVexloForm::StaticClass(), core::FactoryOf<TfMenu>());
  return info;
}

class TDM : public ui::TDataModule {
  CORE_DECLARE_CLASS()
 public:
  using ui::TDataModule::TDataModule;
};
const core::TClassInfo& TDM::StaticClass() {
  static core::TClassInfo info("TDM", &ui::TDataModule::StaticClass(), core::FactoryOf<TDM>());
  return info;
}

// A data module whose destructor fails.
class TFailing : public ui::TDataModule {
  CORE_DECLARE_CLASS()
 public:
  using ui::TDataModule::TDataModule;
  void BeforeDestruction() override {
    ui::TDataModule::BeforeDestruction();
    throw std::runtime_error("falha ao liberar");
  }
};
const core::TClassInfo& TFailing::StaticClass() {
  static core::TClassInfo info("TFailing", &ui::TDataModule::StaticClass(),
                               core::FactoryOf<TFailing>());
  return info;
}

}  // namespace

TEST(VexloInstance, OneInstancePerExactClassAndTheFirstStays) {
  core::TComponent owner;
  TVexloInstance registry(&owner);
  TfLogin* a = registry.CreateInstance<TfLogin>();
  auto* b = new TfLogin(&owner);
  registry.AddInstace(b);
  EXPECT_EQ(registry.GetInstance<TfLogin>(), a);
  EXPECT_EQ(registry.Count(), 1);
  EXPECT_EQ(a->Owner(), &owner);
  EXPECT_TRUE(a->UsedVexloInstance());
  EXPECT_EQ(registry.GetInstance(&TVexloForm::StaticClass()), nullptr);  // exact class only
  EXPECT_EQ(registry.GetInstance<TfMenu>(), nullptr);
}

TEST(VexloInstance, ObjectNamesAndTheirFixedForm) {
  core::TComponent owner;
  TVexloInstance registry(&owner);
  auto* login = new TfLogin(&owner);
  login->SetName("fLogin_3");
  registry.AddInstace(login);
  auto* dm = new TDM(&owner);
  dm->SetName("DM");
  registry.CreateInstance(dm);

  struct Case {
    const char* name;
    core::TComponent* found;
  } cases[] = {{"fLogin", login}, {"FLOGIN_3", login}, {"dm", dm}, {"fMenu", nullptr}};
  for (auto& c : cases) EXPECT_EQ(registry.GetInstanceByObjectName(c.name), c.found) << c.name;
  EXPECT_EQ(TVexloInstance::FixInstanceObjectName(dm), "DM");
  EXPECT_EQ(TVexloInstance::FixInstanceObjectName(login), "fLogin");
  login->SetName("fLogin_x");
  EXPECT_EQ(TVexloInstance::FixInstanceObjectName(login), "fLogin_x");
  EXPECT_EQ(registry.GetInstanceByObjectName("fLogin"), nullptr);
  EXPECT_EQ(TVexloInstance::FixInstanceObjectName(nullptr), "");
}

TEST(VexloInstance, FreeingARegisteredFormRemovesItsClassFromTheGlobalRegistry) {
  TfLogin* f = TVexloForm::CreateInstance<TfLogin>();
  ASSERT_EQ(TVexloForm::GetInstance<TfLogin>(), f);
  EXPECT_EQ(f->Owner(), ui::Application);
  f->Free();
  EXPECT_EQ(TVexloForm::GetInstance<TfLogin>(), nullptr);
}

TEST(VexloInstance, ASessionRegistryForgetsAFormFreedElsewhere) {
  core::TComponent owner;
  TVexloInstance registry(&owner);
  TfMenu* f = registry.CreateInstance<TfMenu>();
  f->Free();
  EXPECT_EQ(registry.GetInstance<TfMenu>(), nullptr);
  EXPECT_EQ(registry.Count(), 0);
}

TEST(VexloInstance, DestroyInstanceSwallowsErrorsAndDestroyAllEmptiesTheRegistry) {
  core::TComponent owner;
  TVexloInstance registry(&owner);
  registry.CreateInstance<TfLogin>();
  registry.CreateInstance<TfMenu>();
  registry.CreateInstance(&TFailing::StaticClass());
  EXPECT_NO_THROW(registry.DestroyInstance(&TFailing::StaticClass()));
  EXPECT_EQ(registry.GetInstance(&TFailing::StaticClass()), nullptr);
  registry.DestroyInstance(&TDM::StaticClass());  // unknown: nothing happens
  registry.RemoveInstance(nullptr);
  EXPECT_EQ(registry.Count(), 2);
  registry.DestroyAllInstances();
  EXPECT_EQ(registry.Count(), 0);
  // The one whose freeing failed is still owned (and freed with its owner).
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(VexloForm, DesktopMessagesPopupsAndManager) {
  ui::THeadlessBackend& headless = *ui::Application->Headless();
  headless.Reset();
  headless.OnMessageBox = [](const ui::TMessageBoxRequest&) { return ui::mrNo; };
  TfLogin* f = core::Create<TfLogin>(nullptr);
  EXPECT_EQ(f->MessageDlg("Salvar?", ui::mtConfirmation, ui::mbYesNo(), 0), ui::mrNo);
  f->ShowMessage("Olá");
  auto boxes = headless.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].Request.Text, "Olá");
  EXPECT_EQ(boxes[1].Request.X, -1);

  std::vector<std::string> closed, opened;
  f->OnClosePopup() = [&](const std::string& n, const std::string& v) {
    closed.push_back(n + "|" + v);
  };
  f->OnShowPopup() = [&](const std::string& n, const std::string&) { opened.push_back(n); };
  f->PopupsShowing() = {"popA", "popB", "popA"};
  f->PopupClosed("popA");
  f->PopupClosed("naoAberto");
  f->PopupOpened("popC");
  f->ShowPopup("popC");
  EXPECT_EQ(f->PopupsShowing(), (std::vector<std::string>{"popB", "popA"}));
  EXPECT_EQ(closed, (std::vector<std::string>{"popA|", "naoAberto|"}));
  EXPECT_EQ(opened, std::vector<std::string>{"popC"});

  EXPECT_FALSE(f->IsVexloContext());
  EXPECT_EQ(f->Vexlo(), nullptr);
  EXPECT_EQ(VexloManager(), nullptr);
  EXPECT_EQ(TVexloManager().GetVersion(), "1.4.4");
  EXPECT_EQ(TCSSClassButton::iconbutton("fa-save"), "btn-info [override-button-fa-save]");

  int shown = 0, loaded = 0;
  f->OnShow = [&](core::TComponent*) { ++shown; };
  f->OnPageLoaded() = [&](core::TComponent*) { ++loaded; };
  f->DoPageLoaded();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(loaded, 1);
  f->Free();
  headless.Reset();
}

namespace {

// Records the order in which a cell button's handlers run.
class TfCells : public TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  using TVexloForm::TVexloForm;
  void CellButtonClick(orvane::TOrvaneDBGrid* AGrid, orvane::TOrvaneDBGridColumnButton* AButton,
                       int ARow, int AColIndex) override {
    Calls.push_back("virtual:" + std::string(AGrid ? "grid" : "-") + ":" +
                    (AButton ? AButton->GetName() : "-") + ":" + std::to_string(ARow) + ":" +
                    std::to_string(AColIndex));
  }
  std::vector<std::string> Calls;
};
const core::TClassInfo& TfCells::StaticClass() {
  static core::TClassInfo info("TfCells", &TVexloForm::StaticClass(), core::FactoryOf<TfCells>());
  return info;
}

}  // namespace

TEST(VexloForm, ACellButtonRunsItsProcedureItsClickEventThenCellButtonClick) {
  TfCells form(static_cast<core::TComponent*>(nullptr));
  orvane::TOrvaneDBGrid grid(nullptr);
  auto column = grid.Columns().Add();
  auto button = column->Buttons().Add();
  button->SetProc([&] { form.Calls.push_back("proc"); });
  button->SetOnClick([&](core::TComponent* ASender) {
    form.Calls.push_back(ASender == &form ? "click:form" : "click:?");
  });
  form.DoCellButtonClick(&grid, button.get(), 7, 2);
  EXPECT_EQ(form.Calls,
            (std::vector<std::string>{"proc", "click:form", "virtual:grid:GridButton1:7:2"}));
  // A button without handlers still reaches the form.
  auto plain = column->Buttons().Add();
  form.Calls.clear();
  form.DoCellButtonClick(&grid, plain.get(), 1, 0);
  EXPECT_EQ(form.Calls, (std::vector<std::string>{"virtual:grid:GridButton2:1:0"}));
}
