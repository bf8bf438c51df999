// The main window on Qt: what it shows from the stamp, how it ends, and what
// its View and Customize buttons do before any wizard.
#include "tests/ui/rebrander_fixture.h"

namespace {

using namespace ui_testing;

using MainWindowTest = RebranderTest;

class StampedTitleTest : public RebranderTest, public ::testing::WithParamInterface<std::string> {};

// Never markup, nor Qt's "[*]" placeholder; an empty title stays empty. The
// title also captions the messages shown later.
TEST_P(StampedTitleTest, TitleStatusAndLaterCaptionsShowTheStampedTextsAsTheyAre) {
  info.m_strTitle = GetParam();
  Run([&] {
    EXPECT_EQ(info.m_strTitle, Title());
    EXPECT_EQ(info.m_strStatusBefore, Status());
    EXPECT_EQ(Qt::PlainText, GetDlgItem<QLabel>(mainWindow, res::IDC_STATUS)->textFormat());
    Click(res::IDC_CUSTOMIZE);  // there is no E-Book: a message
  });
  ASSERT_EQ(1u, recorder.messages.size());
  EXPECT_EQ(info.m_strTitle, recorder.messages[0].caption) << "the message's caption";
}

INSTANTIATE_TEST_SUITE_P(Titles, StampedTitleTest, ::testing::Values("My <b>Book</b> [*]", ""),
                         [](const auto& info) { return info.index ? "Empty" : "Markup"; });

// There is no default button: Enter presses the focused one, and Customize
// finds no E-Book here, so the window stays.
TEST_F(MainWindowTest, FocusStartsOnCustomizeAndEnterPressesIt) {
  Run([&] {
    EXPECT_EQ(GetDlgItem<QPushButton>(mainWindow, res::IDC_CUSTOMIZE), QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_EQ(Texts{"! " + NotFoundText(dir.Path() + "/")}, Messages());
  });
}

// The Exit button, and the close box (as Escape, through the dialog's reject).
struct Ending {
  const char* name;
  void (*end)(QWidget*);
  friend void PrintTo(const Ending& c, std::ostream* out) { *out << c.name; }
};
class EndingTest : public RebranderTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(EndingTest, EndsTheDialogAndTheProgram) {
  Run([&] {
    GetParam().end(mainWindow);
    EXPECT_FALSE(mainWindow->isVisible()) << "still open";
  });
  EXPECT_TRUE(recorder.messages.empty()) << "nothing to say on the way out";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Ways, EndingTest, ::testing::Values(
    Ending{"ExitButton", [](QWidget* w) { QTest::mouseClick(GetDlgItem<QPushButton>(w, ui::IDCANCEL), Qt::LeftButton); }},
    Ending{"CloseBox", [](QWidget* w) { w->close(); }}), kByName);
// clang-format on

// Unstamped, the program says so once, in its own name, and shows no window.
TEST_F(MainWindowTest, LoadErrorShowsOneMessageCaptionedWithTheProgramsNameAndEnds) {
  const auto pending = WhenModal([] { ADD_FAILURE() << "the main window came up"; });
  EXPECT_FALSE(ui::AfxGetApp()->InitInstance());
  *pending = false;
  EXPECT_EQ(Texts{std::string("! ") + formats::kErrorReadingRebrander}, Messages());
  EXPECT_EQ("rebrander", recorder.messages.at(0).caption);
}

// Both buttons find no E-Book; View redraws title and status from the stamp
// as it is now whatever its check says, Customize only once past its checks.
class FailedCheckTest : public RebranderTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FailedCheckTest, OnlyViewRedrawsTitleAndStatus) {
  const bool view = GetParam();
  Run([&] {
    const std::string title = Title(), status = Status();
    info.m_strTitle = "Restamped", info.m_strStatusBefore = "status";
    Stamp();
    view ? Click(res::IDC_VIEW_EBOOK) : Customize();
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(view ? "Restamped" : title, Title());
    EXPECT_EQ(view ? "status" : status, Status());
    EXPECT_EQ(Texts{"! " + NotFoundText(dir.Path() + "/")}, Messages());
  });
}

INSTANTIATE_TEST_SUITE_P(Buttons, FailedCheckTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "View" : "Customize"; });

// A store cut short before its journal, which holds the E-Book's old bytes,
// was removed, with the E-Book's tail lost, so that its checks would fail;
// then View or Customize.
class InterruptedStoreTest : public RebranderTest, public ::testing::WithParamInterface<bool> {};

TEST_P(InterruptedStoreTest, IsRolledBackBeforeTheChecksAndSaidSo) {
  Pack({Var("One", "1", 0)});
  const std::string original = ReadFileBytes(ebookPath), journal = ebook::JournalPathFor(ebookPath);
  Run([&] {
    platform::SetIoFaultHook([&](const platform::IoChange& change) {
      return change.operation != platform::IoOperation::Remove || change.path != journal;
    });
    Customize([](const Wizard& w) { w.Type("never kept"), w.Press(ui::ID_WIZFINISH); });
    platform::SetIoFaultHook({});
    std::filesystem::resize_file(ebookPath, std::filesystem::file_size(ebookPath) - 50);
    recorder.messages.clear();
    EXPECT_TRUE(GetParam() ? View() : (Customize(), wizardShown))
        << "the rolled-back E-Book is used";
    EXPECT_EQ(Texts{"i " + kInterruptedUndone}, Messages());
  });
  EXPECT_EQ(original, ReadFileBytes(ebookPath));
  EXPECT_FALSE(std::filesystem::exists(journal));
}

INSTANTIATE_TEST_SUITE_P(Buttons, InterruptedStoreTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "View" : "Customize"; });

}  // namespace
