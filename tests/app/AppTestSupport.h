// What the form tests share: a scratch database, the data module with its
// stored state, and the main menu shown with its tabbed host, all headless.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/uConfig.h"
#include "app/uDM.h"
#include "app/uMenu.h"
#include "platform/ui/Headless.h"
#include "tests/support/TestDatabase.h"

namespace app_testing {

class AppFixture {
 public:
  explicit AppFixture(const testing_support::TTestDatabase& ADatabase) : Database(ADatabase) {
    app::DatabaseConfig().Host = Database.Host();
    app::DatabaseConfig().Path = Database.Path();
    Headless().Reset();
    ui::Application->ResetTerminate();
    // The data module as stored (connected, reference datasets open),
    // without the creation handler that runs the login and the menu.
    app::DM = new app::TDM(nullptr);
    Menu = core::Create<app::TfMenu>(app::DM);
    Menu->Show();
  }
  ~AppFixture() {
    // As in the program, the menu goes once termination is pending: its tabs
    // close without asking about records left being edited.
    ui::Application->Terminate();
    core::FreeAndNil(Menu);
    core::FreeAndNil(app::DM.Desktop());
    ui::Application->RunQueuedCalls();
    Headless().Reset();
    ui::Application->ResetTerminate();
  }
  static ui::THeadlessBackend& Headless() { return *ui::Application->Headless(); }
  static std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (auto& m : Headless().MessageBoxes()) texts.push_back(m.Request.Text);
    return texts;
  }
  // The captions of the host's tabs, in order.
  static std::vector<std::string> Tabs() {
    std::vector<std::string> v;
    tabhost::TPageControl* pc = app::FTDI->PageControl();
    for (int i = 0; i < pc->PageCount(); ++i) v.push_back(pc->Pages(i)->Caption());
    return v;
  }
  // The form of the active tab, as T.
  template <class T>
  static T* Active() {
    return dynamic_cast<T*>(app::FTDI->Formulario(app::FTDI->PageControl()->ActivePageIndex()));
  }
  template <class T>
  T* Open() {
    app::FTDI->MostrarFormulario<T>(false);
    T* f = Active<T>();
    EXPECT_NE(f, nullptr);
    return f;
  }

  const testing_support::TTestDatabase& Database;
  app::TfMenu* Menu = nullptr;
};

// A test suite whose tests share one scratch database (made once: making one
// takes seconds).
template <testing_support::TAccess Access = testing_support::TAccess::Embedded>
class SharedDatabaseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Shared = new testing_support::TTestDatabase(Access); }
  static void TearDownTestSuite() {
    delete Shared;
    Shared = nullptr;
  }
  static inline testing_support::TTestDatabase* Shared = nullptr;
};

}  // namespace app_testing
