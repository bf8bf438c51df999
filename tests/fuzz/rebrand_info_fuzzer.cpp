// The rebranding information loader on a rebrander made of the input. It must
// never crash, and whatever it loads must stamp and load back the same.
#include <tuple>

#include "formats/rebrand_info.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/mkrebrander/stamp.h"

namespace {

auto Fields(const formats::CRebrandInfo& info) {
  const formats::CInfoBlock& b = info.Info();
  return std::tie(b.m_strEBookFile, b.m_strEBookId, b.m_strText3, b.m_strTitle, b.m_strStatusBefore,
                  b.m_strStatusAfter, b.m_bAllowRepeat, info.Trailer().m_nVersion);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzing::ScratchFile("input-rebrander");
  fuzzing::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
  fuzzing::AllocationGuard guard(size);
  const formats::CRebrandInfo info(path);
  if (info.HasError()) return 0;
  const std::string restamped = fuzzing::ScratchFile("restamped-rebrander");
  std::string error;
  if (!stamping::StampRebrander(path, restamped, info.Info(), info.Trailer().m_nVersion, error))
    fuzzing::Fail("loaded information cannot be stamped again");
  const formats::CRebrandInfo again(restamped);
  if (again.HasError() || Fields(info) != Fields(again))
    fuzzing::Fail("stamped information loads back differently");
  return 0;
}
