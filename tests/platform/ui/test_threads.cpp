// Web sessions use their forms on their own threads: forms of different
// sessions, built and driven at the same time, must not disturb each other.
#include <gtest/gtest.h>

#include <thread>

#include "platform/ui/DBCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Headless.h"

using namespace ui;

TEST(Threads, FormsOfSeveralSessionsAtOnce) {
  Application->Headless()->Reset();
  constexpr int kThreads = 4;
  constexpr int kRounds = 20;
  std::vector<std::thread> threads;
  std::vector<int> ok(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &ok] {
      db::TMemDataSet ds;
      ds.AddField("NOME", db::TFieldType::ftString, 50);
      db::TDataSource src;
      src.SetDataSet(&ds);
      ds.Open();
      ds.Append();
      ds.FieldByName("NOME").SetAsString("início");
      ds.Post();
      for (int r = 0; r < kRounds; ++r) {
        auto* form = Create<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetPosition(poScreenCenter);
        auto* edt = new TDBEdit(form);
        edt->SetName("edtNome");
        edt->SetParent(form);
        edt->SetDataSource(&src);
        edt->SetDataField("NOME");
        auto* lbl = new TLabel(form);
        lbl->SetParent(form);
        lbl->SetCaption("Sessão " + std::to_string(t));
        form->Show();
        TypeInto(*edt, "valor " + std::to_string(t) + "/" + std::to_string(r));
        ds.Post();
        ShowMessage(ds.FieldByName("NOME").AsString());
        if (ds.FieldByName("NOME").AsString() ==
            "valor " + std::to_string(t) + "/" + std::to_string(r))
          ++ok[t];
        form->Free();
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(ok[t], kRounds) << t;
  EXPECT_EQ(Application->Headless()->MessageBoxes().size(), size_t{kThreads * kRounds});
  EXPECT_TRUE(Application->Forms().empty());
  Application->Headless()->Reset();
}
