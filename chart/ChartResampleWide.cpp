// The resampling passes eight rows (or 32 bytes) at a time on AVX2 processors.
#include <cstdint>
#include <vector>

#include "chart/ChartResample.h"

namespace ResampleDetail {
void ResampleRowsPlain(const uint8_t* Src, int SrcStride, int Rows, uint8_t* Dst, int DstStride,
                       const std::vector<TContributorList>& Lists);
void ResampleColumnsPlain(const uint8_t* Src, int SrcStride, int Columns, uint8_t* Dst, int DstStride,
                          const std::vector<TContributorList>& Lists);

bool WideAvailable() { return false; }
void ResampleRowsWide(const uint8_t* Src, int SrcStride, int /*SrcWidth*/, int Rows, uint8_t* Dst, int DstStride,
                      const std::vector<TContributorList>& Lists) {
  ResampleRowsPlain(Src, SrcStride, Rows, Dst, DstStride, Lists);
}
void ResampleColumnsWide(const uint8_t* Src, int SrcStride, int Columns, uint8_t* Dst, int DstStride,
                         const std::vector<TContributorList>& Lists) {
  ResampleColumnsPlain(Src, SrcStride, Columns, Dst, DstStride, Lists);
}
}  // namespace ResampleDetail
