#include "user/dialogs_paint.h"

#include <algorithm>
#include <vector>

#include "gdi/dc_access.h"
#include "user/dialogs_font.h"
#include "user/dialogs_menu.h"
#include "user/user_state.h"

namespace plat::dlg {

void Fill(HDC hdc, const RECT& r, COLORREF colour) {
  if (r.left < r.right && r.top < r.bottom) DcFillSolid(hdc, r, colour);
}

void Fill(HDC hdc, const RECT& r, int sysColour) { Fill(hdc, r, GetSysColor(sysColour)); }

void Frame(HDC hdc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  if (r.right - r.left < 1 || r.bottom - r.top < 1) return;
  Fill(hdc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  Fill(hdc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  Fill(hdc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  Fill(hdc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

RECT DrawEdge3D(HDC hdc, const RECT& r, Edge edge) {
  COLORREF light = GetSysColor(COLOR_3DLIGHT), hilight = GetSysColor(COLOR_BTNHIGHLIGHT);
  COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), dark = GetSysColor(COLOR_3DDKSHADOW);
  RECT in = r;
  auto shrink = [&in](int n) { InflateRect(&in, -n, -n); };
  switch (edge) {
    case Edge::kRaised:
      Frame(hdc, in, hilight, dark);
      shrink(1);
      Frame(hdc, in, light, shadow);
      shrink(1);
      break;
    case Edge::kDefaultButton:
      Frame(hdc, in, dark, dark);
      shrink(1);
      Frame(hdc, in, hilight, dark);
      shrink(1);
      Frame(hdc, in, light, shadow);
      shrink(1);
      break;
    case Edge::kPushed:
      Frame(hdc, in, dark, dark);
      shrink(1);
      Frame(hdc, in, shadow, shadow);
      shrink(1);
      break;
    case Edge::kWindow:
      Frame(hdc, in, light, dark);
      shrink(1);
      Frame(hdc, in, hilight, shadow);
      shrink(1);
      break;
    case Edge::kSunken:
      Frame(hdc, in, shadow, hilight);
      shrink(1);
      Frame(hdc, in, dark, light);
      shrink(1);
      break;
    case Edge::kStatic:
      Frame(hdc, in, shadow, hilight);
      shrink(1);
      break;
    case Edge::kEtched:
      Frame(hdc, RECT{in.left, in.top, in.right - 1, in.bottom - 1}, shadow, shadow);
      Frame(hdc, RECT{in.left + 1, in.top + 1, in.right, in.bottom}, hilight, hilight);
      // The inner shadow lines show through where the outer highlight ran.
      Fill(hdc, RECT{in.left + 1, in.bottom - 2, in.right - 1, in.bottom - 1}, shadow);
      Fill(hdc, RECT{in.right - 2, in.top + 1, in.right - 1, in.bottom - 1}, shadow);
      shrink(2);
      break;
  }
  return in;
}

void DrawFocusRect3D(HDC hdc, const RECT& r) {
  COLORREF black = RGB(0, 0, 0);
  for (int x = r.left; x < r.right; x += 2) {
    Fill(hdc, RECT{x, r.top, x + 1, r.top + 1}, black);
    Fill(hdc, RECT{x, r.bottom - 1, x + 1, r.bottom}, black);
  }
  for (int y = r.top; y < r.bottom; y += 2) {
    Fill(hdc, RECT{r.left, y, r.left + 1, y + 1}, black);
    Fill(hdc, RECT{r.right - 1, y, r.right, y + 1}, black);
  }
}

std::string StripMnemonic(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out.push_back(text[i]);
  }
  return out;
}

namespace {

struct Line {
  std::string text;
  int underline = -1;  // index in text of the mnemonic character
};

Line MakeLine(std::string_view raw, bool prefix) {
  Line line;
  if (!prefix) {
    line.text = std::string(raw);
    return line;
  }
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '&' && i + 1 < raw.size()) {
      ++i;
      if (raw[i] != '&' && line.underline < 0) line.underline = static_cast<int>(line.text.size());
    }
    line.text.push_back(raw[i]);
  }
  return line;
}

std::vector<Line> Layout(HFONT font, std::string_view text, int width, bool wrap, bool prefix) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view para = text.substr(start, end - start);
    if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
    if (!wrap) {
      lines.push_back(MakeLine(para, prefix));
    } else {
      // Greedy word wrap; a word wider than the line is broken where it must.
      size_t pos = 0;
      do {
        size_t fit = pos, next = pos;
        while (next < para.size()) {
          size_t word = para.find(' ', next);
          if (word == std::string_view::npos) word = para.size();
          if (TextWidth(font, MakeLine(para.substr(pos, word - pos), prefix).text) > width && fit > pos) break;
          fit = word;
          next = word + 1;
        }
        if (fit == pos) fit = std::max(para.find(' ', pos), pos + 1);
        fit = std::min(fit, para.size());
        lines.push_back(MakeLine(para.substr(pos, fit - pos), prefix));
        pos = fit;
        while (pos < para.size() && para[pos] == ' ') ++pos;
      } while (pos < para.size());
    }
    if (end == text.size()) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

int DrawTextIn(HDC hdc, HFONT font, const RECT& r, std::string_view text, unsigned flags, COLORREF colour) {
  FontMetrics m = MetricsOf(font);
  std::vector<Line> lines =
      Layout(font, text, r.right - r.left, (flags & kWrap) != 0, !(flags & kNoPrefix));
  int total = static_cast<int>(lines.size()) * m.height;
  int y = (flags & kVCenter) ? r.top + (r.bottom - r.top - total) / 2 : r.top;
  for (const Line& line : lines) {
    int width = TextWidth(font, line.text);
    int x = r.left;
    if ((flags & 3) == kCenter) x = r.left + (r.right - r.left - width) / 2;
    if ((flags & 3) == kRight) x = r.right - width;
    DrawTextAt(hdc, font, x, y, line.text, colour, r);
    if (line.underline >= 0) {
      int ux = x + TextWidth(font, std::string_view(line.text).substr(0, line.underline));
      int uw = TextWidth(font, std::string_view(line.text).substr(line.underline, 1));
      RECT u{ux, y + m.ascent + 1, ux + uw, y + m.ascent + 2};
      IntersectRect(&u, &u, &r);
      Fill(hdc, u, colour);
    }
    y += m.height;
  }
  return total;
}

namespace {

// Whole-window coordinates of the caption and menu bar.
struct FrameLayout {
  RECT window{};
  RECT caption{};
  RECT close{};
  RECT menu{};
  bool hasCaption = false;
  bool hasMenu = false;
  int border = 0;
};

FrameLayout LayoutOf(HWND hwnd) {
  FrameLayout f;
  user::Window* w = user::Find(hwnd);
  if (!w) return f;
  f.window = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  RECT inset = user::FrameInsets(w->style, w->exStyle);
  f.border = inset.left;
  f.hasCaption = (w->style & WS_CAPTION) == WS_CAPTION;
  int top = inset.left;
  if (f.hasCaption) {
    f.caption = RECT{inset.left, top, f.window.right - inset.right, inset.top - 1};
    if (w->style & WS_SYSMENU) {
      int cy = f.caption.top + (f.caption.bottom - f.caption.top - 14) / 2;
      f.close = RECT{f.caption.right - 2 - 16, cy, f.caption.right - 2, cy + 14};
    }
  }
  if (w->menu && !(w->style & WS_CHILD)) {
    f.hasMenu = true;
    f.menu = RECT{inset.left, inset.top, f.window.right - inset.right, inset.top + GetSystemMetrics(SM_CYMENU)};
  }
  return f;
}

RECT ToClient(HWND hwnd, RECT r) {
  user::Window* w = user::Find(hwnd);
  if (!w) return RECT{};
  POINT origin = user::ClientOrigin(w);
  RECT whole = user::WindowScreenRect(w);
  OffsetRect(&r, whole.left - origin.x, whole.top - origin.y);
  return r;
}

void DrawCloseGlyph(HDC hdc, const RECT& box, bool pushed) {
  RECT inner = DrawEdge3D(hdc, box, pushed ? Edge::kPushed : Edge::kRaised);
  Fill(hdc, inner, COLOR_BTNFACE);
  int cx = (box.left + box.right) / 2 - 1 + (pushed ? 1 : 0);
  int cy = (box.top + box.bottom) / 2 + (pushed ? 1 : 0);
  COLORREF black = GetSysColor(COLOR_BTNTEXT);
  for (int i = 0; i < 6; ++i) {
    Fill(hdc, RECT{cx - 3 + i, cy - 3 + i, cx - 1 + i, cy - 2 + i}, black);
    Fill(hdc, RECT{cx + 2 - i, cy - 3 + i, cx + 4 - i, cy - 2 + i}, black);
  }
}

}  // namespace

RECT CloseButtonRect(HWND hwnd) { return ToClient(hwnd, LayoutOf(hwnd).close); }
RECT MenuBarRect(HWND hwnd) { return ToClient(hwnd, LayoutOf(hwnd).menu); }

void DrawWindowFrame(HWND hwnd, HFONT font, bool active) {
  user::Window* w = user::Find(hwnd);
  if (!w || w->parent) return;
  FrameLayout f = LayoutOf(hwnd);
  HDC hdc = GetDcForWindow(hwnd, true);
  if (!hdc) return;
  if (f.border >= 3) {
    RECT in = DrawEdge3D(hdc, f.window, Edge::kWindow);
    for (int i = 2; i < f.border; ++i) {
      Frame(hdc, in, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
      InflateRect(&in, -1, -1);
    }
  } else if (f.border > 0) {
    Frame(hdc, f.window, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME));
  }
  if (f.hasCaption) {
    Fill(hdc, RECT{f.caption.left, f.caption.bottom, f.caption.right, f.caption.bottom + 1}, COLOR_BTNFACE);
    Fill(hdc, f.caption, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    HFONT bold = BoldVariant(font);
    RECT text = f.caption;
    text.left += 3;
    if (f.close.right > f.close.left) text.right = f.close.left - 2;
    DrawTextIn(hdc, bold, text, w->text, kNoPrefix | kVCenter,
               GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    if (f.close.right > f.close.left) DrawCloseGlyph(hdc, f.close, false);
  }
  if (f.hasMenu) DrawMenuBar(hdc, hwnd, f.menu, font);
  ReleaseDC(hwnd, hdc);
}

}  // namespace plat::dlg
