// The main window on Qt: what it shows from the stamp, how it ends, and what
// its View and Customize buttons do before any wizard.
#include <QBitmap>
#include <QStyle>

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

// The Exit button, Escape, the close box and Alt+X (the "E&xit" mnemonic).
struct Ending {
  const char* name;
  void (*end)(QWidget*);
  friend void PrintTo(const Ending& c, std::ostream* out) { *out << c.name; }
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

void AltX(QWidget* w) {
  w->activateWindow();  // mnemonics work in the active window only
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  QTest::keyClick(w, Qt::Key_X, Qt::AltModifier);
}
// clang-format off
INSTANTIATE_TEST_SUITE_P(Ways, EndingTest, ::testing::Values(
    Ending{"ExitButton", [](QWidget* w) { QTest::mouseClick(GetDlgItem<QPushButton>(w, ui::IDCANCEL), Qt::LeftButton); }},
    Ending{"Escape", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }},
    Ending{"CloseBox", [](QWidget* w) { w->close(); }}, Ending{"AltX", AltX}), kByName);
// clang-format on

// Minimised, the window alone (no controls) shows its background with the
// icon centred on it, at the system's icon size.
TEST_F(MainWindowTest, MinimisedWindowShowsItsIconCentred) {
  Run([&] {
    EXPECT_FALSE(mainWindow->windowIcon().isNull()) << "the program's icon";
    mainWindow->setWindowState(Qt::WindowMinimized);
    QImage image(mainWindow->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    mainWindow->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    const int size = mainWindow->style()->pixelMetric(QStyle::PM_LargeIconSize);
    QRect centred(0, 0, size, size);
    centred.moveCenter(mainWindow->rect().center());
    // The mask marks the background as color0, which the region leaves out.
    const QRgb background = mainWindow->palette().color(QPalette::Window).rgba();
    const QRect drawn =
        QRegion(QBitmap::fromImage(image.createMaskFromColor(background, Qt::MaskInColor)))
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

TEST_F(MainWindowTest, ViewStartsTheEBookLeavingNoDescriptorOpen) {
  Pack({Var("One", "1", 0)});
  Run([&] {
    const size_t handles = OpenHandleCount();
    Finish();
    EXPECT_TRUE(View()) << "the E-Book did not start";
    EXPECT_EQ(handles, OpenHandleCount());
  });
}

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
