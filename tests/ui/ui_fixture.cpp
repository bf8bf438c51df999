#include "tests/ui/ui_fixture.h"

#include <QApplication>
#include <QTimer>

#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "platform/user_interface.h"
#include "tools/mkrebrander/stamp.h"

namespace testing_support {

formats::CInfoBlock SampleInfo() {
  formats::CInfoBlock info;
  info.m_strEBookFile = "book";
  info.m_strEBookId = "Book-ID";
  info.m_strTitle = "My <b>Book</b>";
  info.m_strStatusBefore = "Press Customize & make it yours.\nSecond line";
  info.m_strStatusAfter = "Customized.";
  return info;
}

StampedRebranderTest::StampedRebranderTest() {
  WriteFileBytes(rebranderPath, "program bytes");
  platform::OverrideModuleFileName(rebranderPath);
  formats::ResetRebrandInfoForTesting();
  platform::ResetApplicationNameForTesting();
}

StampedRebranderTest::~StampedRebranderTest() {
  platform::OverrideModuleFileName(std::nullopt);
  formats::ResetRebrandInfoForTesting();
  platform::ResetApplicationNameForTesting();
}

void StampedRebranderTest::Stamp(const formats::CInfoBlock& info, int32_t version) {
  std::string error;
  ASSERT_TRUE(stamping::StampRebrander(rebranderPath, rebranderPath, info, version, error))
      << error;
}

namespace {
void RunWhenModal(std::function<void()> action, std::shared_ptr<bool> pending) {
  QTimer::singleShot(0, qApp, [action = std::move(action), pending] {
    if (!*pending) return;
    if (!QApplication::activeModalWidget()) {
      RunWhenModal(action, pending);
      return;
    }
    *pending = false;
    action();
  });
}
}  // namespace

std::shared_ptr<bool> WhenModal(std::function<void()> action) {
  auto pending = std::make_shared<bool>(true);
  RunWhenModal(std::move(action), pending);
  return pending;
}

}  // namespace testing_support
