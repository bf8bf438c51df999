// Customize on Qt, from the click to the stored E-Book: the wizard's pages,
// and every way a click ends: what the user is told, the status text, and
// what the E-Book holds afterwards.
#include "tests/ui/rebrander_fixture.h"

namespace {

using namespace ui_testing;

using CustomizeTest = RebranderTest;

// Editable variables of types 0 to 3 among one not editable and two of other types.
const std::vector<CVariable> kMixed = {Var("Title", "Old title", 0),   Var("Hidden", "keep", 2, 0),
                                       Var("Notes", "n", 3),           Var("Odd", "odd", 4),
                                       Var("Dedication", "To you", 2), Var("Neg", "x", -1),
                                       Var("Name & address", "Ann", 1)};

// Variables that get no page take no number.
TEST_F(CustomizeTest, PagesAreNumberedByPageAndShowTheFieldOfTheirVariablesType) {
  Pack(kMixed);
  Run([&] {
    EXPECT_EQ((Texts{"Step 1 of 4: Title [single] Old title", "Step 2 of 4: Notes [multi] n",
                     "Step 3 of 4: Dedication [multi] To you",
                     "Step 4 of 4: Name & address [single] Ann"}),
              Finish());
  });
}

TEST_F(CustomizeTest, BackIsOfferedAfterTheFirstPageAndFinishOnTheLast) {
  Pack(kMixed);
  Run([&] {
    EXPECT_EQ((Texts{"&Next > Cancel", "< &Back &Next > Cancel", "< &Back &Next > Cancel",
                     "< &Back Finish Cancel"}),
              Finish(&Wizard::Buttons));
  });
}

TEST_F(CustomizeTest, AWizardOfOnePageOffersFinishAndCancelOnly) {
  Pack({Var("Only", "value", 3)});
  Run([&] { EXPECT_EQ(Texts{"Finish Cancel"}, Finish(&Wizard::Buttons)); });
}

// Variables without a page are written back as read.
TEST_F(CustomizeTest, FinishStoresTheTypedTextsAndMarksTheTableRebranded) {
  Pack(kMixed);
  Run([&] {
    Customize([](const Wizard& w) {
      w.Type("New title");
      while (w.Button(ui::ID_WIZNEXT)->isVisible()) w.Press(ui::ID_WIZNEXT);
      w.Type("Bea");
      w.Press(ui::ID_WIZFINISH);
    });
  });
  EXPECT_EQ((Texts{"New title", "keep", "n", "odd", "To you", "x", "Bea", "rebranded"}), Stored());
}

TEST_F(CustomizeTest, AStoredRunSaysSoAndShowsTheAfterStatus) {
  Pack({Var("Only", "value", 0)});
  Run([&] {
    Finish();
    EXPECT_EQ(Texts{kStored}, Messages());
    EXPECT_EQ(info.m_strStatusAfter, Status());
  });
}

// Pages are built when first shown and kept until the wizard closes.
TEST_F(CustomizeTest, GoingBackAndForthKeepsWhatWasTypedOnAPage) {
  Pack({Var("First", "1", 0), Var("Second", "2", 0), Var("Third", "3", 0)});
  Run([&] {
    Customize([](const Wizard& w) {
      w.Press(ui::ID_WIZNEXT);
      w.Type("typed");
      w.Press(ui::ID_WIZBACK);
      w.Press(ui::ID_WIZNEXT);
      EXPECT_EQ("Step 2 of 3: Second [single] typed", w.Page());
      EXPECT_EQ(2, w.PagesBuilt()) << "the third is not built before it is shown";
      w.Press(ui::ID_WIZNEXT);
      w.Press(ui::ID_WIZFINISH);
    });
  });
  EXPECT_EQ((Texts{"1", "typed", "3", "rebranded"}), Stored());
}

TEST_F(CustomizeTest, ALineBreakTypedOnAMultiLinePageIsStoredAsCrLf) {
  Pack({Var("Notes", "n", 2)});
  Run([&] {
    Customize([](const Wizard& w) {
      w.Type("Line one\rLine two");
      w.Press(ui::ID_WIZFINISH);
    });
  });
  EXPECT_EQ((Texts{"Line one\r\nLine two", "rebranded"}), Stored());
}

TEST_F(CustomizeTest, EnterOnTheLastSingleLinePageFinishes) {
  Pack({Var("Name", "Ann", 1)});
  Run([&] { Customize([](const Wizard& w) { w.Type("Bea\r"); }); });
  EXPECT_EQ((Texts{"Bea", "rebranded"}), Stored());
}

// Even bytes the locale cannot show, and line ends of any kind.
TEST_F(CustomizeTest, UntouchedValuesKeepTheirExactBytes) {
  const std::string raw = "caf\xe9 \xff\xfe bytes\r\nlone\nfeed";
  Pack({Var("Raw", raw, 0), Var("Raw lines", raw, 2)});
  Run([&] { Finish(); });
  EXPECT_EQ((Texts{raw, raw, "rebranded"}), Stored());
}

// Cancel, Escape, the close box, and Finish on an E-Book made read-only while
// the wizard was open, each after a run that stored: nothing is written and
// the status from before comes back.
struct Leaving {
  const char* name;
  std::function<void(const Wizard&)> leave;
  Texts messages;
  friend void PrintTo(const Leaving& leaving, std::ostream* out) { *out << leaving.name; }
};
class LeaveWizardTest : public RebranderTest, public ::testing::WithParamInterface<Leaving> {};

TEST_P(LeaveWizardTest, WritesNothingAndShowsTheBeforeStatus) {
  Pack({Var("Only", "value", 3)});
  info.m_bAllowRepeat = 1;
  Run([&] {
    Finish();
    const std::string before = ReadFileBytes(ebookPath);
    recorder.messages.clear();
    Customize([](const Wizard& w) {
      w.Type("typed, then thrown away");
      GetParam().leave(w);
    });
    EXPECT_EQ(before, ReadFileBytes(ebookPath));
    EXPECT_EQ(info.m_strStatusBefore, Status());
    EXPECT_EQ(GetParam().messages, Messages());
  });
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeaveWizardTest,
    ::testing::Values(
        Leaving{"Cancel", [](const Wizard& w) { w.Press(ui::IDCANCEL); }, {}},
        Leaving{"Escape", [](const Wizard& w) { QTest::keyClick(w.Edit(), Qt::Key_Escape); }, {}},
        Leaving{"CloseBox", [](const Wizard& w) { w.sheet->close(); }, {}},
        Leaving{"FailedStore",
                [](const Wizard& w) {
                  SetReadOnly(formats::GetRebrandInfo().GetEBookPath(), true);
                  w.Press(ui::ID_WIZFINISH);
                },
                {"! " + kCantOpenForWriting}}),
    [](const auto& info) { return std::string(info.param.name); });

// A second Customize on the E-Book the first one stored: refused with the
// status kept, or run, as the stamp says.
class RepeatTest : public RebranderTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RepeatTest, ARebrandedEBookIsCustomizedAgainOnlyWhenTheStampAllowsRepeats) {
  Pack({Var("Only", "value", 0)});
  info.m_bAllowRepeat = GetParam();
  Run([&] {
    Finish();
    Finish();
    EXPECT_EQ(GetParam(), wizardShown);
    EXPECT_EQ((Texts{kStored, GetParam() ? kStored : kAlready}), Messages());
    EXPECT_EQ(info.m_strStatusAfter, Status());
  });
  EXPECT_EQ((Texts{"value", "rebranded"}), Stored());
}

INSTANTIATE_TEST_SUITE_P(Stamps, RepeatTest, ::testing::Bool(), [](const auto& info) {
  return info.param ? "RepeatAllowed" : "OnceOnly";
});

TEST_F(CustomizeTest, AnEmptyTableSaysNoVariablesFound) {
  Pack({});
  Run([&] {
    Customize();
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(Texts{kNoVariables}, Messages());
  });
}

TEST_F(CustomizeTest, ATableWithNothingToEditShowsNeitherWizardNorMessage) {
  Pack({Var("Hidden", "h", 0, 0), Var("Odd", "o", 9)});
  const std::string before = ReadFileBytes(ebookPath);
  Run([&] {
    Customize();
    EXPECT_FALSE(wizardShown);
  });
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(before, ReadFileBytes(ebookPath));
}

}  // namespace
