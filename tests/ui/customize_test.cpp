// Customize on Qt, from the click to the stored E-Book: the wizard's pages,
// and every way a click ends: what the user is told, the status text, and
// what the E-Book holds afterwards.
#include "tests/ui/rebrander_fixture.h"

namespace {

using namespace ui_testing;

using Drive = std::function<void(const Wizard&)>;

// Editable variables of types 0 to 3 among one not editable and two of other types.
const std::vector<CVariable> kMixed = {Var("Title", "Old title", 0),   Var("Hidden", "keep", 2, 0),
                                       Var("Notes", "n", 3),           Var("Odd", "odd", 4),
                                       Var("Dedication", "To you", 2), Var("Neg", "x", -1),
                                       Var("Name & address", "Ann", 1)};

// What each page shows, run through with Next and finished.
struct Pages {
  const char* name;
  std::vector<CVariable> variables;
  std::string (Wizard::*see)() const;
  Texts seen;
  friend void PrintTo(const Pages& c, std::ostream* out) { *out << c.name; }
};
class PagesTest : public RebranderTest, public ::testing::WithParamInterface<Pages> {};

TEST_P(PagesTest, ShowOnEachPage) {
  Pack(GetParam().variables);
  Run([&] { EXPECT_EQ(GetParam().seen, Finish(GetParam().see)); });
}

// Variables that get no page take no number.
const Texts kNumbered = {"Step 1 of 4: Title [single] Old title", "Step 2 of 4: Notes [multi] n",
                         "Step 3 of 4: Dedication [multi] To you",
                         "Step 4 of 4: Name & address [single] Ann"};
const std::string kNext = "< &Back &Next > Cancel";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Wizards, PagesTest, ::testing::Values(
    Pages{"NumberedShowingTheFieldOfTheirType", kMixed, &Wizard::Page, kNumbered},
    Pages{"BackAfterTheFirstFinishOnTheLast", kMixed, &Wizard::Buttons, {"&Next > Cancel", kNext, kNext, "< &Back Finish Cancel"}}), kByName);
// clang-format on

// What the user types and leaves, stored on Finish; the table marked rebranded.
struct Typing {
  const char* name;
  std::vector<CVariable> variables;
  Drive drive;
  Texts stored;
  friend void PrintTo(const Typing& c, std::ostream* out) { *out << c.name; }
};
class TypingTest : public RebranderTest, public ::testing::WithParamInterface<Typing> {};

TEST_P(TypingTest, IsStoredAsTheUserLeftIt) {
  Pack(GetParam().variables);
  Run([&] { Customize(GetParam().drive); });
  EXPECT_EQ(GetParam().stored, Stored());
}

const std::string kRaw = "caf\xe9 \xff\xfe bytes\r\nlone\nfeed";
const Texts kMixedTyped = {"New title", "keep", "n", "odd", "To you", "x", "Bea", "rebranded"};
const std::vector<CVariable> kThree = {Var("First", "1", 0), Var("Second", "2", 0),
                                       Var("Third", "3", 0)};
void FirstAndLast(const Wizard& w) {
  w.Type("New title");
  while (w.Button(ui::ID_WIZNEXT)->isVisible()) w.Press(ui::ID_WIZNEXT);
  w.Type("Bea"), w.Press(ui::ID_WIZFINISH);
}
// Pages are kept until the wizard closes.
void BackAndForth(const Wizard& w) {
  w.Press(ui::ID_WIZNEXT), w.Type("typed"), w.Press(ui::ID_WIZBACK), w.Press(ui::ID_WIZNEXT);
  EXPECT_EQ("Step 2 of 3: Second [single] typed", w.Page());
  w.Press(ui::ID_WIZNEXT), w.Press(ui::ID_WIZFINISH);
}
// Variables without a page are written back as read; untouched values keep
// their exact bytes, even those the locale cannot show, and line ends of any kind.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Runs, TypingTest, ::testing::Values(
    Typing{"OnFirstAndLastPage", kMixed, FirstAndLast, kMixedTyped},
    Typing{"BackAndForthKeepsWhatWasTyped", kThree, BackAndForth, {"1", "typed", "3", "rebranded"}},
    Typing{"LineBreakOnAMultiLinePageAsCrLf", {Var("Notes", "n", 2)}, [](const Wizard& w) { w.Type("Line one\rLine two"), w.Press(ui::ID_WIZFINISH); }, {"Line one\r\nLine two", "rebranded"}},
    Typing{"EnterOnTheLastSingleLinePageFinishes", {Var("Name", "Ann", 1)}, [](const Wizard& w) { w.Type("Bea\r"); }, {"Bea", "rebranded"}},
    Typing{"UntouchedKeepTheirExactBytes", {Var("Raw", kRaw, 0), Var("Lines", kRaw, 2)}, [](const Wizard& w) { w.Press(ui::ID_WIZNEXT), w.Press(ui::ID_WIZFINISH); }, {kRaw, kRaw, "rebranded"}}), kByName);
// clang-format on

// Cancel (as Escape and the close box, through the frame's reject), and Finish
// on an E-Book made read-only while the wizard was open, each after a run that
// stored: nothing is written and the status from before comes back.
struct Leaving {
  const char* name;
  Drive leave;
  Texts messages;
  friend void PrintTo(const Leaving& c, std::ostream* out) { *out << c.name; }
};
class LeaveWizardTest : public RebranderTest, public ::testing::WithParamInterface<Leaving> {};

TEST_P(LeaveWizardTest, WritesNothingAndShowsTheBeforeStatus) {
  Pack({Var("Only", "value", 3)});
  info.m_bAllowRepeat = 1;
  Run([&] {
    Finish();
    const std::string before = ReadFileBytes(ebookPath);
    recorder.messages.clear();
    Customize([](const Wizard& w) { w.Type("thrown away"), GetParam().leave(w); });
    EXPECT_EQ(before, ReadFileBytes(ebookPath));
    EXPECT_EQ(info.m_strStatusBefore, Status());
    EXPECT_EQ(GetParam().messages, Messages());
  });
}

const auto kReadOnlyFinish = [](const Wizard& w) {
  SetReadOnly(formats::GetRebrandInfo().GetEBookPath(), true);
  w.Press(ui::ID_WIZFINISH);
};
// clang-format off
INSTANTIATE_TEST_SUITE_P(Ways, LeaveWizardTest, ::testing::Values(
    Leaving{"Cancel", [](const Wizard& w) { w.Press(ui::IDCANCEL); }, {}},
    Leaving{"FailedStore", kReadOnlyFinish, {"! " + kCantOpenForWriting}}), kByName);
// clang-format on

// A stored run says so and shows the status for after; a second Customize on
// the E-Book it stored is refused with that status kept, or run, as the stamp says.
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

// An empty table says so; one with nothing to edit shows nothing and writes nothing.
class NoPageTest : public RebranderTest,
                   public ::testing::WithParamInterface<std::pair<bool, Texts>> {};

TEST_P(NoPageTest, ShowsNoWizard) {
  Pack(GetParam().first ? std::vector{Var("Hidden", "h", 0, 0), Var("Odd", "o", 9)}
                        : std::vector<CVariable>{});
  const std::string before = ReadFileBytes(ebookPath);
  Run([&] { Customize(); });
  EXPECT_FALSE(wizardShown);
  EXPECT_EQ(GetParam().second, Messages());
  EXPECT_EQ(before, ReadFileBytes(ebookPath));
}

INSTANTIATE_TEST_SUITE_P(Tables, NoPageTest,
                         ::testing::Values(std::pair{false, Texts{kNoVariables}},
                                           std::pair{true, Texts{}}),
                         [](const auto& info) {
                           return info.param.first ? "NothingToEdit" : "EmptyTable";
                         });

}  // namespace
