// The web form and the web control base: control identity, the core HTML
// taken from a placeholder, the observer pass, the browser's component
// states, focus, tags, control placeholders, the page state and modal Show.
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "orvane/server/Orvane.Server.Functions.h"
#include "tests/orvane/controls/WebTestSupport.h"

using namespace orvane;
using webtest::Eventually;
using webtest::InGuard;
using webtest::TRecordingSession;
using webtest::TTestEdit;
using webtest::TTestRoot;

namespace {

// A bridge object with fixed answers that records what the web form asks.
class TFakeVexlo : public IOrvaneVexloClass {
 public:
  IOrvaneForm* GetOrvaneForm() override { return Form; }
  IOrvaneVexloClass* GetParentVexlo() override { return nullptr; }
  std::vector<IOrvaneVexloClass*> GetNestedVexlos() override { return {}; }
  core::TComponent* GetVexloForm() override { return nullptr; }
  void SetPriorVexlo(core::TComponent*) override {}
  void PopupOpened(const std::string&) override {}
  void PopupClosed(const std::string&) override {}
  std::string GetTitle() override { return Title; }
  void DoTagHTML(const std::string& TagString, std::string& ReplaceTag) override {
    Tags.push_back(TagString);
    if (TagString == "usuario") ReplaceTag = "Ana {{Title}}";
  }
  void DoInitOrvaneControl(IOrvaneControl*) override { ++Inits; }
  bool ShowingModal() override { return Modal; }

  IOrvaneForm* Form = nullptr;
  std::string Title = "Título & <cia>";
  std::vector<std::string> Tags;
  std::atomic<int> Inits{0};
  std::atomic<bool> Modal{false};
};

// A web form in a session of a test root, with a fake bridge object.
struct TFormFixture {
  TFormFixture() {
    Session = Root.NewSession();
    Form = new TOrvaneForm(nullptr);
    Form->SetSession(Session.get());
    Form->SetVexloClass(&Vexlo);
    Vexlo.Form = Form;
    Session->SetVexloBaseClass(&Vexlo);
  }
  ~TFormFixture() {
    Session->RemoveVexloClass(&Vexlo);
    Form->Free();
  }

  // A control named AName with desktop state in the fixture's variables.
  TTestEdit* AddEdit(const std::string& AName) {
    auto* c = new TTestEdit(Form);
    c->SetName(AName);
    c->SetProcGetEnabled([this] { return TOrvaneVariant(Enabled.load()); });
    c->SetProcGetVisible([this] { return TOrvaneVariant(Visible.load()); });
    c->SetProcGetReadOnly([this] { return TOrvaneVariant(ReadOnly.load()); });
    c->ProcGetText = [this, c] {
      std::lock_guard<std::mutex> g(TextLock);
      return TOrvaneVariant(Texts[c->GetName()]);
    };
    c->ProcSetText = [this, c](const TOrvaneVariant& AValue) {
      std::lock_guard<std::mutex> g(TextLock);
      Texts[c->GetName()] = VarToStr(AValue);
    };
    return c;
  }
  void SetText(const std::string& AName, const std::string& AText) {
    std::lock_guard<std::mutex> g(TextLock);
    Texts[AName] = AText;
  }
  std::string Text(const std::string& AName) {
    std::lock_guard<std::mutex> g(TextLock);
    return Texts[AName];
  }
  // The control's placeholder as the renderer writes it.
  static std::string Placeholder(TOrvaneControl* AControl, const std::string& AAttributes) {
    return "{%" + AControl->GetNamePrefix() + " " + AAttributes + "%}";
  }
  bool Pass() {
    bool ran = false;
    InGuard(*Session, [&] { ran = Form->ObserverPass(); });
    return ran;
  }

  TTestRoot Root;
  std::shared_ptr<TRecordingSession> Session;
  TFakeVexlo Vexlo;
  TOrvaneForm* Form;
  std::atomic<bool> Enabled{true}, Visible{true}, ReadOnly{false};
  std::mutex TextLock;
  std::map<std::string, std::string> Texts;
};

}  // namespace

TEST(OrvaneControl, IdsWithAndWithoutTheFormsPrefix) {
  TFormFixture f;
  TTestEdit* edit = f.AddEdit("edNome");
  EXPECT_EQ(edit->GetNamePrefix(), "edNome");
  EXPECT_EQ(edit->ID(), "EDNOME");
  EXPECT_EQ(f.Form->ControlsPrefix().size(), 7u);
  EXPECT_EQ(f.Form->GetControlsPrefix(), "");
  f.Form->SetEnableControlsPrefix(true);
  EXPECT_EQ(edit->GetNamePrefix(), f.Form->ControlsPrefix() + "_edNome");
  EXPECT_EQ(edit->ID(), UpperCase(f.Form->ControlsPrefix()) + "_EDNOME");
  EXPECT_EQ(f.Form->ControlByID(UpperCase(edit->GetNamePrefix())), edit);
  EXPECT_EQ(f.Form->GetControls().size(), 1u);
  EXPECT_EQ(edit->GetOrvaneType(), "TTestEdit");
  EXPECT_EQ(f.Form->GetFormUUID().size(), 14u);
}

TEST(OrvaneControl, FormatHTMLControlCases) {
  struct Case {
    const char* What;
    std::string Placeholder;  // the text handed over ("{%EDNOME ...%}")
    bool Enabled, Visible, ReadOnly, Required;
    std::string Group;
    std::string Core;  // the expected core ("" = none taken)
  };
  const Case cases[] = {
      {"plain", "{%edNome class=\"form-control\" style%}", true, true, false, false, "",
       "class=\"form-control\" style id=\"EDNOME\" "},
      {"id present in another case", "{%edNome class=\"c\" Id=\"EDnome\"%}", true, true, false,
       false, "", "class=\"c\" Id=\"EDnome\""},
      {"disabled and read-only", "{%edNome class=\"c\"%}", false, true, true, false, "",
       "class=\"c\" id=\"EDNOME\" disabled disabled "},
      {"invisible", "{%edNome class=\"c\"%}", true, false, false, false, "",
       "class=\"invisible c\" id=\"EDNOME\" "},
      {"invisible without class", "{%edNome style%}", true, false, false, false, "",
       "class=\"invisible\" style id=\"EDNOME\" "},
      {"required in a group", "{%edNome class=\"c\"%}", true, true, false, true, "g1",
       "class=\"c\" id=\"EDNOME\" required validationgroup=\"g1\" "},
      {"no closing", "{%edNome class=\"c\"", true, true, false, false, "", ""},
      {"another control", "{%edNomes class=\"c\"%}", true, true, false, false, "", ""},
      {"prefix in another case", "{%EDNOME class=\"c\"%}", true, true, false, false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TFormFixture f;
    f.Enabled = c.Enabled;
    f.Visible = c.Visible;
    f.ReadOnly = c.ReadOnly;
    TTestEdit* edit = f.AddEdit("edNome");
    edit->SetRequired(c.Required);
    if (!c.Group.empty()) edit->SetValidationGroup(c.Group);
    f.SetText("edNome", "Rua \"A\" & B");
    InGuard(*f.Session,
            [&] { edit->FormatHTMLControl("<div>\r\n" + c.Placeholder + "\r\n</div>"); });
    EXPECT_EQ(edit->GetHTMLCore(), c.Core);
    if (c.Core.empty()) {
      EXPECT_EQ(edit->GetUnformatedHTMLControl(), "");
      EXPECT_EQ(edit->GetHTMLControl(), "");
      EXPECT_EQ(f.Vexlo.Inits.load(), 0);
    } else {
      EXPECT_EQ(edit->GetUnformatedHTMLControl(), c.Placeholder);
      EXPECT_EQ(edit->GetHTMLControl(),
                "<input " + c.Core + " value=\"Rua &quot;A&quot; &amp; B\"/>");
      EXPECT_EQ(f.Vexlo.Inits.load(), 1);  // the bridge form adjusts it once
    }
  }
}

TEST(OrvaneForm, ObserverPassPushesOnlyWhatChanged) {
  TFormFixture f;
  TTestEdit* nome = f.AddEdit("edNome");
  TTestEdit* rua = f.AddEdit("edRua");
  f.SetText("edNome", "Ana");
  InGuard(*f.Session, [&] {
    nome->FormatHTMLControl(TFormFixture::Placeholder(nome, "class=\"form-control\""));
    rua->FormatHTMLControl(TFormFixture::Placeholder(rua, "class=\"form-control\""));
  });

  // Nothing changed since the page was built: no push at all.
  ASSERT_TRUE(f.Pass());
  EXPECT_TRUE(f.Session->TakePushes().empty());

  f.SetText("edRua", "Rua \"Sete\"\n`${x}`</script>");
  ASSERT_TRUE(f.Pass());
  EXPECT_EQ(f.Session->TakePushes(),
            std::vector<std::string>{"if (document.getElementById(\"EDRUA\") !== null) { "
                                     "document.getElementById(\"EDRUA\").value = "
                                     "\"Rua \\\"Sete\\\"\\n`${x}`</script>\";  } "});
  ASSERT_TRUE(f.Pass());
  EXPECT_TRUE(f.Session->TakePushes().empty());

  // Hidden and shown again: the add, then the remove, and no "invisible"
  // left in the core.
  f.Visible = false;
  ASSERT_TRUE(f.Pass());
  f.Visible = true;
  ASSERT_TRUE(f.Pass());
  std::vector<std::string> pushes = f.Session->TakePushes();
  ASSERT_EQ(pushes.size(), 2u);
  EXPECT_NE(pushes[0].find("document.getElementById(\"EDNOME\").classList.add(\"invisible\");"),
            std::string::npos);
  EXPECT_NE(pushes[1].find("document.getElementById(\"EDNOME\").classList.remove(\"invisible\");"),
            std::string::npos);
  EXPECT_EQ(nome->GetHTMLCore().find("invisible"), std::string::npos);

  // Disabled: both controls push their statement, in registration order.
  f.Enabled = false;
  ASSERT_TRUE(f.Pass());
  EXPECT_EQ(f.Session->TakePushes(),
            std::vector<std::string>{"if (document.getElementById(\"EDNOME\") !== null) { "
                                     "document.getElementById(\"EDNOME\").disabled = true;  } "
                                     "if (document.getElementById(\"EDRUA\") !== null) { "
                                     "document.getElementById(\"EDRUA\").disabled = true;  } "});
}

TEST(OrvaneForm, UpdateControlsForcesOnePassAndRefreshOneControl) {
  TFormFixture f;
  TTestEdit* nome = f.AddEdit("edNome");
  TTestEdit* rua = f.AddEdit("edRua");
  InGuard(*f.Session, [&] {
    nome->FormatHTMLControl(TFormFixture::Placeholder(nome, "class=\"c\""));
    rua->FormatHTMLControl(TFormFixture::Placeholder(rua, "class=\"c\""));
  });
  f.Form->UpdateControls();
  ASSERT_TRUE(f.Pass());
  EXPECT_EQ(nome->ForcedPasses, 1);
  EXPECT_EQ(rua->ForcedPasses, 1);
  EXPECT_EQ(f.Session->TakePushes().size(), 1u);  // one script for both
  ASSERT_TRUE(f.Pass());
  EXPECT_EQ(nome->ForcedPasses, 1);
  EXPECT_TRUE(f.Session->TakePushes().empty());

  rua->Refresh();
  ASSERT_TRUE(f.Pass());
  EXPECT_EQ(nome->ForcedPasses, 1);
  EXPECT_EQ(rua->ForcedPasses, 2);
  EXPECT_FALSE(rua->RefreshControl());
}

TEST(OrvaneForm, ThePassSkipsWhileAnotherThreadHoldsTheFormsAndWhileStatesApply) {
  TFormFixture f;
  TTestEdit* nome = f.AddEdit("edNome");
  InGuard(*f.Session, [&] { nome->FormatHTMLControl(TFormFixture::Placeholder(nome, "style")); });
  f.SetText("edNome", "outro");
  std::promise<void> held, release;
  std::thread holder([&] {
    InGuard(*f.Session, [&] {
      held.set_value();
      release.get_future().wait();
    });
  });
  held.get_future().wait();
  EXPECT_FALSE(f.Form->ObserverPass());  // a handler is busy: the tick is skipped
  release.set_value();
  holder.join();
  EXPECT_TRUE(f.Session->TakePushes().empty());

  f.Form->onComponentsUpdating();
  ASSERT_TRUE(f.Pass());
  EXPECT_TRUE(f.Session->TakePushes().empty());
  f.Form->onComponentsUpdated();
  ASSERT_TRUE(f.Pass());
  EXPECT_EQ(f.Session->TakePushes().size(), 1u);
}

TEST(OrvaneForm, BrowserStatesReachOnlyEnabledVisibleWritableControls) {
  TFormFixture f;
  TTestEdit* nome = f.AddEdit("edNome");
  auto* fixed = new TTestEdit(f.Form);  // no hooks: its own stored flags
  fixed->SetName("edFixo");
  InGuard(*f.Session, [&] {
    nome->FormatHTMLControl(TFormFixture::Placeholder(nome, "style"));
    fixed->FormatHTMLControl(TFormFixture::Placeholder(fixed, "style"));
  });
  fixed->SetReadOnly(true);
  TOrvaneServerFunctions functions(f.Root.Engine.get());
  auto send = [&](const std::string& AStates) {
    functions.ExecEvent(f.Session->GetUUID(), f.Session->GetToken(), f.Form->GetFormUUID(),
                        f.Form->GetFormUUID(), "NenhumEvento", "OrvaneComponentsStatus=" + AStates,
                        false);
  };
  send(R"([{"id":"EDNOME","text":"Rua A & B"},{"id":"edfixo","text":"nao"},)"
       R"({"id":"NAOEXISTE","text":"x"},{"id":"EDNOME"}])");
  EXPECT_EQ(f.Text("edNome"), "Rua A & B");
  EXPECT_EQ(fixed->GetText(), "");
  // The value the browser sent is not pushed back.
  ASSERT_TRUE(f.Pass());
  EXPECT_TRUE(f.Session->TakePushes().empty());

  f.Enabled = false;
  send(R"([{"id":"EDNOME","text":"outro"}])");
  EXPECT_EQ(f.Text("edNome"), "Rua A & B");
  f.Enabled = true;
  f.Visible = false;
  send(R"([{"id":"EDNOME","text":"outro"}])");
  EXPECT_EQ(f.Text("edNome"), "Rua A & B");
  EXPECT_FALSE(f.Form->GetComponentsUpdating());
}

TEST(OrvaneForm, FocusRunsExitThenEnter) {
  TFormFixture f;
  TTestEdit* a = f.AddEdit("edA");
  TTestEdit* b = f.AddEdit("edB");
  std::vector<std::string> log;
  a->GetEvents()->Add(TOrvaneEventType::EventOnEnter, [&](TStringList&) { log.push_back("A+"); });
  a->GetEvents()->Add(TOrvaneEventType::EventOnExit, [&](TStringList&) { log.push_back("A-"); });
  b->GetEvents()->Add(TOrvaneEventType::EventOnEnter, [&](TStringList&) { log.push_back("B+"); });
  f.Form->SetFocusedControl(a);
  f.Form->SetFocusedControl(b);
  EXPECT_EQ(f.Form->GetFocusedControl(), b);
  f.Form->SetFocusedControl(nullptr);
  EXPECT_EQ(f.Form->GetFocusedControl(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"A+", "A-", "B+"}));
  b->Free();  // a freed control is forgotten
  EXPECT_EQ(f.Form->GetControls().size(), 1u);
}

TEST(OrvaneForm, TagsAreReplacedOnceAndTheTitleIsEscaped) {
  TFormFixture f;
  f.Form->OnTagHTML = [](const std::string& ATag, std::string& AReplace) {
    if (ATag == "hoje") AReplace = "{{usuario}} hoje";
  };
  std::string page =
      "<title>{{Title}}</title><p>{{hoje}}</p><p>{{usuario}}</p>{{Desconhecida}}"
      "{{TITLE}}{{aberta";
  f.Form->ProcessTagHTML(page);
  EXPECT_EQ(page,
            "<title>Título &amp; &lt;cia&gt;</title><p>{{usuario}} hoje</p>"
            "<p>Ana {{Title}}</p>{{Desconhecida}}Título &amp; &lt;cia&gt;{{aberta");
  // The tag its own handler replaced never reached the bridge form.
  EXPECT_EQ(f.Vexlo.Tags, (std::vector<std::string>{"Title", "usuario", "Desconhecida", "TITLE"}));
}

TEST(OrvaneForm, ControlPlaceholdersAreReplacedInOnePass) {
  TFormFixture f;
  TTestEdit* nome = f.AddEdit("edNome");
  TTestEdit* rua = f.AddEdit("edRua");
  // A text that reads like another control's placeholder.
  f.SetText("edNome", "{%EDRUA style%}");
  const std::string pNome = TFormFixture::Placeholder(nome, "class=\"form-control\" style");
  const std::string pRua = TFormFixture::Placeholder(rua, "style");
  InGuard(*f.Session, [&] {
    nome->FormatHTMLControl(pNome);
    rua->FormatHTMLControl(pRua);
  });
  // Without a page template every placeholder of the control is replaced.
  std::string page = "<p>" + pNome + "</p><p>" + pRua + "</p>" + pNome + "{%EDRUA%}";
  f.Form->ProcessControlsToHTML(page);
  EXPECT_EQ(page, "<p>" + nome->GetHTMLControl() + "</p><p>" + rua->GetHTMLControl() + "</p>" +
                      nome->GetHTMLControl() + "{%EDRUA%}");
  EXPECT_NE(page.find("value=\"{%EDRUA style%}\""), std::string::npos);
}

TEST(OrvaneForm, PageTemplatesPlaceControlsWithTheirOwnAttributes) {
  TFormFixture f;
  f.Form->SetTemplatePageHTMLFile("pages/x.html");
  TTestEdit* nome = f.AddEdit("edName");
  TTestEdit* rua = f.AddEdit("edRua");
  TTestEdit* cep = f.AddEdit("edCep");
  InGuard(*f.Session, [&] {
    nome->FormatHTMLControl(TFormFixture::Placeholder(nome, "class=\"form-control\" style"));
    rua->FormatHTMLControl(TFormFixture::Placeholder(rua, "class=\"form-control\" style"));
    cep->FormatHTMLControl(TFormFixture::Placeholder(cep, "class=\"form-control\""));
  });
  std::string page =
      "<div>{%EDNAME%}</div><div>{%edRua class=\"w-50\"%}</div>"
      "{%edRua class=\"form-control\" style%}<p>{%EDOUTRO%}</p>";
  f.Form->ProcessControlsToHTML(page);
  EXPECT_EQ(page,
            "<div><input  id=\"EDNAME\" value=\"\"/></div>"
            "<div><input  class=\"w-50\" id=\"EDRUA\" value=\"\"/></div>"
            "{%edRua class=\"form-control\" style%}<p>{%EDOUTRO%}</p>");
  EXPECT_EQ(rua->GetHTMLCore(), " class=\"w-50\" id=\"EDRUA\"");

  // A disabled control keeps its state where the template places it.
  f.Enabled = false;
  InGuard(*f.Session, [&] {
    cep->FormatHTMLControl(TFormFixture::Placeholder(cep, "class=\"form-control\""));
  });
  std::string other = "{%edCep class=\"w-25\"%}";
  f.Form->ProcessControlsToHTML(other);
  EXPECT_EQ(other, "<input  class=\"w-25\" id=\"EDCEP\" disabled  value=\"\"/>");
}

TEST(OrvaneForm, PageStatesAndTheObserverTicksOnlyWhileLoaded) {
  TFormFixture f;
  TTestEdit* nome = f.AddEdit("edNome");
  InGuard(*f.Session, [&] { nome->FormatHTMLControl(TFormFixture::Placeholder(nome, "style")); });
  f.Session->IncOpenedConnections();
  EXPECT_EQ(f.Form->GetFormPageState(), TOrvanePageState::PageStateUnloaded);
  EXPECT_FALSE(f.Form->ObserverRunning());
  f.Form->OnBeforePageLoad();
  EXPECT_EQ(f.Form->GetFormPageState(), TOrvanePageState::PageStateLoading);
  // Desktop values change inside the forms guard, as form code does.
  InGuard(*f.Session, [&] { f.SetText("edNome", "antes"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_TRUE(f.Session->Pushes().empty());  // no ticks before the page loaded

  int loaded = 0;
  f.Form->OnPageLoaded = [&](core::TComponent*) { ++loaded; };
  f.Form->OnAfterPageLoad();
  EXPECT_EQ(loaded, 1);
  EXPECT_EQ(f.Form->GetFormPageState(), TOrvanePageState::PageStateLoaded);
  EXPECT_TRUE(Eventually([&] { return f.Session->Pushes().size() == 1; }));
  EXPECT_TRUE(f.Form->ObserverRunning());

  f.Form->onFormUnload();
  EXPECT_EQ(f.Form->GetFormPageState(), TOrvanePageState::PageStateUnloaded);
  EXPECT_TRUE(Eventually([&] { return !f.Form->ObserverRunning(); }));
  InGuard(*f.Session, [&] { f.SetText("edNome", "depois"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_EQ(f.Session->Pushes().size(), 1u);
}

TEST(OrvaneForm, TheObserverComparesOnlyAfterFormCodeRan) {
  TFormFixture f;
  TTestEdit* nome = f.AddEdit("edNome");
  InGuard(*f.Session, [&] { nome->FormatHTMLControl(TFormFixture::Placeholder(nome, "style")); });
  f.Session->IncOpenedConnections();
  std::atomic<int> reads{0};
  nome->ProcGetText = [&] {
    ++reads;
    return TOrvaneVariant(std::string("Ana"));
  };
  f.Form->OnAfterPageLoad();
  ASSERT_TRUE(Eventually([&] { return reads.load() > 0; }));  // the first pass
  std::this_thread::sleep_for(std::chrono::milliseconds(350));
  const int idle = reads.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(350));
  EXPECT_EQ(reads.load(), idle);  // idle ticks read no desktop value
  InGuard(*f.Session, [] {});     // form code ran: the next tick compares
  EXPECT_TRUE(Eventually([&] { return reads.load() > idle; }));
  f.Form->UpdateControls();  // a forced update is never skipped
  EXPECT_TRUE(Eventually([&] { return !f.Session->Pushes().empty(); }));
  f.Form->onFormUnload();
}

TEST(OrvaneForm, ModalShowWaitsForItsLockAndAbortsWhenTheSessionCloses) {
  TFormFixture f;
  f.Vexlo.Modal = true;
  std::promise<std::string> ended;
  f.Session->ExecThread(false, [&] {
    try {
      f.Form->Show();
      ended.set_value("fechado");
    } catch (const core::EAbort&) {
      ended.set_value("abortado");
    }
  });
  const std::string lock = f.Form->GetFormUUID() + "_showmodal";
  ASSERT_TRUE(Eventually([&] { return f.Session->LockNames() == std::vector<std::string>{lock}; }));
  // The page was told to reload first.
  EXPECT_EQ(f.Session->Pushes().size(), 1u);
  f.Session->UnLock(lock);
  EXPECT_EQ(ended.get_future().get(), "fechado");

  std::promise<std::string> aborted;
  f.Session->ExecThread(false, [&] {
    try {
      f.Form->Show();
      aborted.set_value("fechado");
    } catch (const core::EAbort&) {
      aborted.set_value("abortado");
    }
  });
  ASSERT_TRUE(Eventually([&] { return !f.Session->LockNames().empty(); }));
  auto result = aborted.get_future();
  f.Session->Close();
  EXPECT_EQ(result.get(), "abortado");
}

TEST(OrvaneForm, FreeingAFormWaitsForItsRunningTick) {
  auto f = std::make_unique<TFormFixture>();
  TTestEdit* nome = f->AddEdit("edNome");
  InGuard(*f->Session, [&] { nome->FormatHTMLControl(TFormFixture::Placeholder(nome, "style")); });
  f->Session->IncOpenedConnections();
  std::promise<void> inTick, release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> blocked{false};
  nome->ProcGetText = [&]() -> TOrvaneVariant {
    if (!blocked.exchange(true)) {
      inTick.set_value();
      released.wait();
    }
    return std::string("x");
  };
  f->Form->OnAfterPageLoad();
  inTick.get_future().wait();  // a tick is inside the pass, on the timer thread
  std::thread opener([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    release.set_value();
  });
  f.reset();  // frees the form: waits for the tick, which ends cleanly
  opener.join();
}

TEST(OrvaneClipboard, TextIsKeptAndWrittenAsAJSONString) {
  TTestRoot root;
  auto session = root.NewSession();
  session->Clipboard()->SetAsText("linha `1`\n\"2\"");
  EXPECT_EQ(session->Clipboard()->GetAsText(), "linha `1`\n\"2\"");
  EXPECT_EQ(session->Pushes(),
            std::vector<std::string>{" navigator.clipboard.writeText(\"linha `1`\\n\\\"2\\\"\") "});
}
