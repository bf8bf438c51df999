// The rebrander's application object run on real Qt widgets against an E-Book
// packed by the project's packer, and the wizard as the user sees it.
#pragma once

#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "tests/core/ebook_fixture.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/stamp.h"
#include "ui/framework/property_sheet.h"
#include "ui/framework/win_app.h"
#include "ui/qt/dialog_builder.h"
#include "ui/rebrand_dlg.h"

namespace ui_testing {

using namespace testing_support;
using namespace ebook_testing;
using formats::CVariable;
using ui::GetDlgItem;
using Texts = std::vector<std::string>;

// The window texts of the UI's messages, written out apart from ui_messages.h.
inline const std::string kStored = "i The E-Book has been successfully customized.";
inline const std::string kAlready = "! This E-Book has already been rebranded.";
inline const std::string kNoVariables = "! No variables found.";

// Table cases carry a name, which names the test.
inline constexpr auto kByName = [](const auto& info) { return std::string(info.param.name); };

inline CVariable Var(const std::string& prompt, const std::string& value, int type,
                     int editable = 1) {
  return Variable("id:" + prompt, prompt, value, editable, type);
}

// The wizard as the user sees it.
struct Wizard {
  QWidget* sheet = QApplication::activeModalWidget();

  QPushButton* Button(int id) const { return GetDlgItem<QPushButton>(sheet, id); }
  // A control of the current page; the pages seen before stay, hidden.
  QWidget* Shown(int id) const {
    for (QWidget* control : sheet->findChildren<QWidget*>(QString::number(id)))
      if (control->isVisible()) return control;
    return nullptr;
  }
  QWidget* Edit() const { return Shown(res::IDC_VALUE); }
  // "title: prompt [single|multi] text" of the current page.
  std::string Page() const {
    auto* lines = qobject_cast<QPlainTextEdit*>(Edit());
    const QString text = lines ? lines->toPlainText() : qobject_cast<QLineEdit*>(Edit())->text();
    return (sheet->windowHandle()->title() + ": " +
            qobject_cast<QLabel*>(Shown(res::IDC_PROMPT))->text() +
            (lines ? " [multi] " : " [single] ") + text)
        .toStdString();
  }
  // The labels of the buttons that can be pressed, in the frame's order.
  std::string Buttons() const {
    QStringList labels;
    for (int id : {ui::ID_WIZBACK, ui::ID_WIZNEXT, ui::ID_WIZFINISH, ui::IDCANCEL, ui::IDHELP})
      if (Button(id)->isVisible() && Button(id)->isEnabled()) labels << Button(id)->text();
    return labels.join(' ').toStdString();
  }
  // Replaces the field's text by typing, as a user would; "\r" is Return.
  void Type(const QString& text) const {
    QTest::keyClick(Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Edit(), text);
  }
  void Press(int id) const {
    QTest::mouseClick(Button(id), Qt::LeftButton);
    QCoreApplication::processEvents();  // the buttons follow a page change by a posted message
  }
};

// Runs `action` from the event loop once a modal window other than the one
// active now is up. Setting the returned flag to false withdraws it.
inline std::shared_ptr<bool> WhenModal(
    std::function<void()> action, QPointer<QWidget> before = QApplication::activeModalWidget(),
    std::shared_ptr<bool> pending = std::make_shared<bool>(true)) {
  QTimer::singleShot(0, qApp, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!*pending) return;
    if (!modal || modal == before) return void(WhenModal(action, before, pending));
    *pending = false;
    action();
  });
  return pending;
}

class RebranderTest : public ::testing::Test {
 protected:
  RebranderTest() {
    WriteFileBytes(rebranderPath, "program bytes");
    info.m_strEBookFile = kEBookName;
    info.m_strEBookId = "Book-ID";
    info.m_strStatusBefore = "Press Customize & make it yours.\nSecond line";
    info.m_strStatusAfter = "Customized.";
    WriteFileBytes(program, "#!/bin/sh\ntouch \"$0.started\"\nexit 0\n");
    chmod(program.c_str(), 0755);
    platform::OverrideModuleFileName(rebranderPath);
  }
  ~RebranderTest() override {
    platform::OverrideModuleFileName(std::nullopt);
    formats::ResetRebrandInfoForTesting();
    platform::ResetApplicationNameForTesting();
  }

  // Stamps the stand-in rebrander with `info`, to be read afresh.
  void Stamp() {
    std::string error;
    ASSERT_TRUE(stamping::StampRebrander(rebranderPath, rebranderPath, info, 1, error)) << error;
    formats::ResetRebrandInfoForTesting();
  }
  // Stamps, then runs the program's application object; `body` runs inside
  // the main window's modal loop, and the window is closed after it unless
  // `body` closed it.
  void Run(const std::function<void()>& body) {
    Stamp();
    recorder.messages.clear();
    auto pending = WhenModal([&] {
      mainWindow = QApplication::activeModalWidget();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(mainWindow));
      body();
      if (mainWindow->isVisible())
        static_cast<ui::CDialog*>(ui::AfxGetApp()->m_pMainWnd)->EndDialog(ui::IDCANCEL);
    });
    EXPECT_FALSE(ui::AfxGetApp()->InitInstance());
    EXPECT_FALSE(*pending) << "the main window never came up";
    *pending = false;
  }
  void Pack(const std::vector<CVariable>& variables) {
    packing::EBookPackage package;
    package.trailer.SetId(info.m_strEBookId);
    package.trailer.m_nVersion = 1;
    for (const CVariable& v : variables) package.table.Add(v);
    std::string error;
    ASSERT_TRUE(packing::PackEBook(program, package, ebookPath, error)) << error;
  }
  // The stored values, and last whether the table is marked rebranded.
  Texts Stored() {
    packing::EBookPackage package;
    std::string error;
    EXPECT_TRUE(packing::LoadPackage(ebookPath, package, error)) << error;
    Texts values;
    for (int i = 0; i < package.table.GetSize(); ++i) values.push_back(package.table[i].m_strValue);
    values.push_back(package.table.m_bRebranded ? "rebranded" : "not rebranded");
    return values;
  }

  // Presses Customize; `drive` runs if the wizard comes up (none: cancel it).
  void Customize(std::function<void(const Wizard&)> drive = nullptr) {
    auto pending = WhenModal([this, drive] {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(QApplication::activeModalWidget()));
      QCoreApplication::processEvents();
      drive ? drive(Wizard()) : Wizard().Press(ui::IDCANCEL);
      // A wizard left open would stop the run.
      QTimer::singleShot(2000, Wizard().sheet, [w = Wizard()] {
        w.sheet->close();
        ADD_FAILURE() << "the wizard is still open";
      });
    });
    Click(res::IDC_CUSTOMIZE);
    wizardShown = !*pending;
    *pending = false;
  }
  // Goes through every page with Next, noting what `see` shows on each, and finishes.
  Texts Finish(std::string (Wizard::*see)() const = &Wizard::Page) {
    Texts seen;
    Customize([&](const Wizard& w) {
      for (seen = {(w.*see)()}; w.Button(ui::ID_WIZNEXT)->isVisible(); seen.push_back((w.*see)()))
        w.Press(ui::ID_WIZNEXT);
      w.Press(ui::ID_WIZFINISH);
    });
    return seen;
  }

  void Click(int id) { QTest::mouseClick(GetDlgItem<QPushButton>(mainWindow, id), Qt::LeftButton); }
  // Presses View; true once the E-Book has run.
  bool View() {
    const QString started = QString::fromStdString(ebookPath + ".started");
    QFile::remove(started);
    Click(res::IDC_VIEW_EBOOK);
    return QTest::qWaitFor([&] { return QFile::exists(started); });
  }
  std::string Status() const {
    return GetDlgItem<QLabel>(mainWindow, res::IDC_STATUS)->text().toStdString();
  }
  std::string Title() const { return mainWindow->windowHandle()->title().toStdString(); }
  // Each message shown: 'i' or '!' for its icon, then its text.
  Texts Messages() const {
    Texts texts;
    for (const auto& m : recorder.messages)
      texts.push_back((m.icon == platform::MessageIcon::Information ? "i " : "! ") + m.text);
    return texts;
  }

  TempDir dir;
  std::string rebranderPath = dir.File("rebrander.bin");
  std::string program = dir.File("program");
  std::string ebookPath = dir.File(kEBookName);
  RecordingUserInterface recorder;
  formats::CInfoBlock info;
  QWidget* mainWindow = nullptr;
  bool wizardShown = false;
};

}  // namespace ui_testing
