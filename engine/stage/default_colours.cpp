#include "stage/default_colours.h"

#include <algorithm>
#include <vector>

// Rows 10 to 230 are made by a rule rather than typed in. The rows are
// ordered by brightness (L = 299 R + 587 G + 114 B). A few anchor rows are
// fixed; the rows between two anchors take, from the colours whose
// brightness lies strictly between the two anchors, first the greys of a
// ramp in steps of 16, then colours of the 16-level cube (levels 0, 17, ...,
// 255; greys and the fixed rows left out) picked at even steps through
// their brightness order; each such run is then sorted by brightness.

namespace {

constexpr ColourRow kLowStatics[10] = {{0, 0, 0},       {191, 0, 0},    {0, 191, 0},   {191, 191, 0},
                                       {0, 0, 191},     {191, 0, 191},  {0, 191, 191}, {192, 192, 192},
                                       {192, 220, 192}, {164, 200, 240}};
constexpr ColourRow kHighStatics[10] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                        {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                        {0, 255, 255},   {255, 255, 255}};

struct Anchor {
  int row;
  ColourRow colour;
};
constexpr Anchor kAnchors[] = {{10, {2, 2, 2}},        {11, {25, 25, 25}},    {12, {71, 2, 25}},
                               {14, {0, 81, 0}},       {77, {106, 106, 106}}, {127, {140, 140, 140}},
                               {212, {200, 200, 200}}, {230, {248, 248, 248}}};

int Brightness(const ColourRow& c) { return 299 * c.red + 587 * c.green + 114 * c.blue; }

bool SameColour(const ColourRow& a, const ColourRow& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

bool Darker(const ColourRow& a, const ColourRow& b) {
  const int la = Brightness(a), lb = Brightness(b);
  if (la != lb) return la < lb;
  if (a.red != b.red) return a.red < b.red;
  if (a.green != b.green) return a.green < b.green;
  return a.blue < b.blue;
}

struct Table {
  ColourRow rows[256];
  Table();
};

Table::Table() {
  for (int i = 0; i < 10; ++i) {
    rows[i] = kLowStatics[i];
    rows[246 + i] = kHighStatics[i];
  }
  for (int i = 0; i < 15; ++i) rows[231 + i] = {0, 0, static_cast<uint8_t>(i + 1)};

  auto taken = [this](const ColourRow& c) {
    for (int i = 0; i < 10; ++i)
      if (SameColour(c, rows[i]) || SameColour(c, rows[246 + i])) return true;
    for (const Anchor& a : kAnchors)
      if (SameColour(c, a.colour)) return true;
    return false;
  };

  std::vector<ColourRow> cube;
  for (int r = 0; r < 256; r += 17)
    for (int g = 0; g < 256; g += 17)
      for (int b = 0; b < 256; b += 17) {
        ColourRow c{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
        if ((r == g && g == b) || taken(c)) continue;
        cube.push_back(c);
      }
  std::sort(cube.begin(), cube.end(), Darker);

  const int anchorCount = static_cast<int>(sizeof kAnchors / sizeof kAnchors[0]);
  for (int k = 0; k < anchorCount; ++k) {
    rows[kAnchors[k].row] = kAnchors[k].colour;
    if (k + 1 == anchorCount) break;
    const int firstRow = kAnchors[k].row + 1;
    const int slots = kAnchors[k + 1].row - firstRow;
    if (slots <= 0) continue;
    const int low = Brightness(kAnchors[k].colour), high = Brightness(kAnchors[k + 1].colour);

    std::vector<ColourRow> run;
    for (int v = 16; v < 256 && static_cast<int>(run.size()) < slots; v += 16) {
      ColourRow grey{static_cast<uint8_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v)};
      if (Brightness(grey) > low && Brightness(grey) < high && !taken(grey)) run.push_back(grey);
    }
    std::vector<ColourRow> between;
    for (const ColourRow& c : cube)
      if (Brightness(c) > low && Brightness(c) < high) between.push_back(c);
    const size_t wanted = static_cast<size_t>(slots) - run.size();
    for (size_t j = 0; j < wanted && !between.empty(); ++j)
      run.push_back(between[(2 * j + 1) * between.size() / (2 * wanted)]);
    std::sort(run.begin(), run.end(), Darker);
    for (size_t j = 0; j < run.size(); ++j) rows[firstRow + static_cast<int>(j)] = run[j];
  }
}

}  // namespace

const ColourRow* BuiltInColourTable() {
  static const Table table;
  return table.rows;
}
