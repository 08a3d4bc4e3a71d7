// Copies between device contexts and from packed DIBs: BitBlt,
// StretchDIBits, SetDIBitsToDevice.
#include <windows.h>

#include "core/trace.h"
#include "gdi/blit_kernel.h"
#include "gdi/dc_target.h"
#include "gdi/dib_info.h"

using namespace plat::gdi;

namespace {

// Runs a copy from src into the DC target: works out the colour table for
// indexed sources and records what was drawn.
void DrawInto(const DcTarget& dst, BlitJob* job, bool systemIndexedSource) {
  uint32_t table[256];
  job->dst = dst.view;
  job->clip = dst.clip;
  job->dstX += dst.originX;
  job->dstY += dst.originY;
  job->streamDestination = dst.readElsewhere;
  if (job->src.Indexed()) {
    BuildIndexTable(dst, job->src.colours, job->src.colourCount, systemIndexedSource, table);
    job->table = table;
  } else if (dst.view.Indexed()) {
    job->matcher = ColourMatcher{MatchXrgb, &dst};
  }
  RECT drawn = RunBlit(*job);
  job->table = nullptr;
  NoteDrawn(dst, drawn);
}

bool SolidRop(DWORD rop) { return rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY; }

}  // namespace

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  if (SolidRop(rop)) return PatBlt(hdc, x, y, cx, cy, rop);
  if (rop != SRCCOPY) {
    PLAT_FIXME("BitBlt: rop %08lx", static_cast<unsigned long>(rop));
    return FALSE;
  }
  DcTarget dst, src;
  if (!ResolveDc(hdc, &dst) || !ResolveDc(hdcSrc, &src)) return FALSE;
  if (cx < 0 || cy < 0) return FALSE;
  BlitJob job;
  job.src = src.view;
  job.dstX = x;
  job.dstY = y;
  job.dstWidth = job.srcWidth = cx;
  job.dstHeight = job.srcHeight = cy;
  job.srcX = x1 + src.originX;
  job.srcY = y1 + src.originY;
  DrawInto(dst, &job, src.view.format == PixelFormat::kSystemIndexed);
  return TRUE;
}

int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                         int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage,
                         DWORD rop) {
  DcTarget dst;
  if (!ResolveDc(hdc, &dst)) return 0;
  if (SolidRop(rop)) return PatBlt(hdc, xDest, yDest, DestWidth, DestHeight, rop) ? SrcHeight : 0;
  if (rop != SRCCOPY) {
    PLAT_FIXME("StretchDIBits: rop %08lx", static_cast<unsigned long>(rop));
    return 0;
  }
  if (!lpBits) return 0;
  if (DestWidth < 0 || DestHeight < 0 || SrcWidth < 0 || SrcHeight < 0)
    PLAT_FIXME("StretchDIBits: mirrored (%d x %d from %d x %d)", DestWidth, DestHeight, SrcWidth, SrcHeight);
  if (DestWidth <= 0 || DestHeight <= 0 || SrcWidth <= 0 || SrcHeight <= 0) return 0;
  DibInfo info;
  if (!ReadDibInfo(lpbmi, iUsage, dst.dc, &info)) return 0;
  BlitJob job;
  job.src = ViewOfDib(info, lpBits);
  job.dstX = xDest;
  job.dstY = yDest;
  job.dstWidth = DestWidth;
  job.dstHeight = DestHeight;
  job.srcX = xSrc;
  // The origin of a bottom-up DIB is its lower-left corner.
  job.srcY = info.topDown ? ySrc : info.height - ySrc - SrcHeight;
  job.srcWidth = SrcWidth;
  job.srcHeight = SrcHeight;
  DrawInto(dst, &job, false);
  return SrcHeight;
}

int WINAPI SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                             UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi, UINT ColorUse) {
  DcTarget dst;
  if (!ResolveDc(hdc, &dst) || !lpvBits) return 0;
  DibInfo info;
  if (!ReadDibInfo(lpbmi, ColorUse, dst.dc, &info)) return 0;
  if (w == 0 || h == 0 || w > 32767 || h > 32767 || StartScan >= static_cast<UINT>(info.height)) return 0;
  if (cLines > static_cast<UINT>(info.height) - StartScan) cLines = static_cast<UINT>(info.height) - StartScan;
  if (cLines == 0) return 0;
  // lpvBits holds only scan lines StartScan to StartScan + cLines - 1.
  DibInfo band = info;
  band.height = static_cast<int>(cLines);
  BlitJob job;
  job.src = ViewOfDib(band, lpvBits);
  job.dstX = xDest;
  job.dstY = yDest;
  job.dstWidth = job.srcWidth = static_cast<int>(w);
  job.dstHeight = job.srcHeight = static_cast<int>(h);
  job.srcX = xSrc;
  int lines = static_cast<int>(cLines), start = static_cast<int>(StartScan), height = static_cast<int>(h);
  job.srcY = info.topDown ? ySrc - start : start + lines - ySrc - height;
  DrawInto(dst, &job, false);
  return lines;
}
