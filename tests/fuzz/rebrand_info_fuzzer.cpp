// The rebranding information loader on a rebrander made of the input. It must
// never crash, and whatever it loads must stamp and load back the same.
#include "formats/rebrand_info.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/mkrebrander/stamp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzing::ScratchFile("input-rebrander");
  fuzzing::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
  fuzzing::AllocationGuard guard(size);
  const formats::CRebrandInfo info(path);
  if (info.HasError()) return 0;
  const std::string restamped = fuzzing::ScratchFile("restamped-rebrander");
  std::string error;
  if (!stamping::StampRebrander(path, restamped, info.Info(), info.Trailer().m_nVersion, error)) {
    fuzzing::Fail("loaded information cannot be stamped again");
  }
  const formats::CRebrandInfo again(restamped);
  const formats::CInfoBlock& x = info.Info();
  const formats::CInfoBlock& y = again.Info();
  if (again.HasError() || x.m_strEBookFile != y.m_strEBookFile ||
      x.m_strEBookId != y.m_strEBookId || x.m_strText3 != y.m_strText3 ||
      x.m_strTitle != y.m_strTitle || x.m_strStatusBefore != y.m_strStatusBefore ||
      x.m_strStatusAfter != y.m_strStatusAfter || x.m_bAllowRepeat != y.m_bAllowRepeat ||
      info.Trailer().m_nVersion != again.Trailer().m_nVersion) {
    fuzzing::Fail("stamped information loads back differently");
  }
  return 0;
}
