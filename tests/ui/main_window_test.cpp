// The main window on Qt: what it shows from the stamp, how it ends, and what
// its View and Customize buttons do before any wizard.
#include <QBitmap>
#include <QStyle>

#include "tests/ui/rebrander_fixture.h"

namespace {

using namespace ui_testing;

using MainWindowTest = RebranderTest;

class StampedTitleTest : public RebranderTest, public ::testing::WithParamInterface<std::string> {};

// Never markup, nor Qt's "[*]" placeholder; an empty title stays empty.
TEST_P(StampedTitleTest, TitleAndStatusShowTheStampedTextsAsTheyAre) {
  info.m_strTitle = GetParam();
  Run([&] {
    EXPECT_EQ(info.m_strTitle, Title());
    EXPECT_EQ(info.m_strStatusBefore, Status());
    EXPECT_EQ(Qt::PlainText, GetDlgItem<QLabel>(mainWindow, res::IDC_STATUS)->textFormat());
  });
}

TEST_P(StampedTitleTest, LaterMessagesAreCaptionedWithTheTitle) {
  info.m_strTitle = GetParam();
  Run([&] { Click(res::IDC_CUSTOMIZE); });  // there is no E-Book: a message
  ASSERT_EQ(1u, recorder.messages.size());
  EXPECT_EQ(info.m_strTitle, recorder.messages[0].caption);
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

// The Exit button, Escape, the close box and Alt+X (the "E&xit" mnemonic).
struct Ending {
  const char* name;
  std::function<void(QWidget*)> end;
  friend void PrintTo(const Ending& ending, std::ostream* out) { *out << ending.name; }
};
class EndingTest : public RebranderTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(EndingTest, EndsTheDialogAndTheProgram) {
  Run([&] {
    GetParam().end(mainWindow);
    // A mnemonic presses its button after a short animation.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !mainWindow->isVisible(); })) << "still open";
  });
  EXPECT_TRUE(recorder.messages.empty()) << "nothing to say on the way out";
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EndingTest,
    ::testing::Values(Ending{"ExitButton",
                             [](QWidget* w) {
                               QTest::mouseClick(GetDlgItem<QPushButton>(w, ui::IDCANCEL),
                                                 Qt::LeftButton);
                             }},
                      Ending{"Escape", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }},
                      Ending{"CloseBox", [](QWidget* w) { w->close(); }},
                      Ending{"AltX",
                             [](QWidget* w) {
                               w->activateWindow();  // mnemonics work in the active window only
                               ASSERT_TRUE(QTest::qWaitForWindowActive(w));
                               QTest::keyClick(w, Qt::Key_X, Qt::AltModifier);
                             }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, CarriesTheProgramsIcon) {
  Run([&] { EXPECT_FALSE(mainWindow->windowIcon().isNull()); });
}

// Minimised, the window alone (no controls) shows its background with the
// icon centred on it, at the system's icon size.
TEST_F(MainWindowTest, MinimisedWindowShowsItsIconCentred) {
  Run([&] {
    mainWindow->setWindowState(Qt::WindowMinimized);
    QImage image(mainWindow->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    mainWindow->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    const int size = mainWindow->style()->pixelMetric(QStyle::PM_LargeIconSize);
    QRect centred(0, 0, size, size);
    centred.moveCenter(mainWindow->rect().center());
    // The mask marks the background as color0, which the region leaves out.
    const QRect drawn =
        QRegion(QBitmap::fromImage(image.createMaskFromColor(
                    mainWindow->palette().color(QPalette::Window).rgba(), Qt::MaskInColor)))
            .boundingRect();
    EXPECT_GT(drawn.width(), size / 2) << "an icon is drawn";
    EXPECT_TRUE(centred.contains(drawn)) << "outside the icon the background is erased";
  });
}

// Unstamped, the program says so once, in its own name, and shows no window.
TEST_F(MainWindowTest, LoadErrorShowsOneMessageCaptionedWithTheProgramsNameAndEnds) {
  const auto pending = WhenModal([] { ADD_FAILURE() << "the main window came up"; });
  EXPECT_FALSE(ui::AfxGetApp()->InitInstance());
  *pending = false;
  EXPECT_EQ(Texts{std::string("! ") + formats::kErrorReadingRebrander}, Messages());
  ASSERT_EQ(1u, recorder.messages.size());
  EXPECT_EQ("rebrander", recorder.messages[0].caption);
}

// Both buttons redraw from the stamp as it is now: View whatever its check
// says, Customize only once it got past its checks.
TEST_F(MainWindowTest, AFailedCheckStopsCustomizeAndLeavesTitleAndStatus) {
  Run([&] {
    const std::string title = Title(), status = Status();
    info.m_strTitle = "Restamped";
    Stamp();
    Customize();
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(title, Title());
    EXPECT_EQ(status, Status());
  });
}

TEST_F(MainWindowTest, ViewRedrawsTitleAndStatusAfterAFailedCheck) {
  Run([&] {
    info.m_strTitle = "Restamped";
    info.m_strStatusBefore = "status";
    Stamp();
    Click(res::IDC_VIEW_EBOOK);
    EXPECT_EQ("Restamped", Title());
    EXPECT_EQ("status", Status());
    EXPECT_EQ(Texts{"! " + NotFoundText(dir.Path() + "/")}, Messages());
  });
}

TEST_F(MainWindowTest, ViewStartsTheEBook) {
  Pack({Var("One", "1", 0)});
  Run([&] { EXPECT_TRUE(View()) << "the E-Book did not start"; });
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MainWindowTest, NoDescriptorOutlivesAClick) {
  Pack({Var("One", "1", 0)});
  Run([&] {
    const size_t handles = OpenHandleCount();
    Finish();
    EXPECT_TRUE(View());
    EXPECT_EQ(handles, OpenHandleCount());
  });
}

// A store cut short before its journal, which holds the E-Book's old bytes,
// was removed, with the E-Book's tail lost, so that its checks would fail;
// then View or Customize.
class InterruptedStoreTest : public RebranderTest, public ::testing::WithParamInterface<bool> {};

TEST_P(InterruptedStoreTest, IsRolledBackBeforeTheChecksAndSaidSo) {
  Pack({Var("One", "1", 0)});
  const std::string original = ReadFileBytes(ebookPath);
  Run([&] {
    platform::SetIoFaultHook([&](const platform::IoChange& change) {
      return change.operation != platform::IoOperation::Remove ||
             change.path != ebook::JournalPathFor(ebookPath);
    });
    Customize([](const Wizard& w) {
      w.Type("never kept");
      w.Press(ui::ID_WIZFINISH);
    });
    platform::SetIoFaultHook({});
    std::filesystem::resize_file(ebookPath, std::filesystem::file_size(ebookPath) - 50);
    recorder.messages.clear();
    const bool view = GetParam();
    EXPECT_TRUE(view ? View() : (Customize(), wizardShown)) << "the rolled-back E-Book is used";
    EXPECT_EQ(Texts{"i " + kInterruptedUndone}, Messages());
  });
  EXPECT_EQ(original, ReadFileBytes(ebookPath));
  EXPECT_FALSE(std::filesystem::exists(ebook::JournalPathFor(ebookPath)));
}

INSTANTIATE_TEST_SUITE_P(Buttons, InterruptedStoreTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "View" : "Customize"; });

}  // namespace
