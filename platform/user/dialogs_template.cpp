#include "user/dialogs_template.h"

#include "byte_order/little_endian.h"
#include "core/trace.h"

namespace plat::dlg {
namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  uint16_t Word() {
    if (!Need(2)) return 0;
    uint16_t v = ReadLe16(data_ + pos_);
    pos_ += 2;
    return v;
  }
  uint32_t Dword() {
    uint32_t lo = Word();
    return lo | (static_cast<uint32_t>(Word()) << 16);
  }
  short Short() { return static_cast<short>(Word()); }
  uint8_t Byte() {
    if (!Need(1)) return 0;
    return data_[pos_++];
  }
  void AlignDword() {
    size_t aligned = (pos_ + 3) & ~size_t{3};
    // A template may end right after its last item without padding.
    pos_ = aligned <= size_ ? aligned : size_;
  }
  // A NUL-terminated UTF-16 string, as Windows-1252.
  std::string String() {
    std::string s;
    for (;;) {
      uint16_t c = Word();
      if (!ok_ || c == 0) break;
      s.push_back(c < 0x100 ? static_cast<char>(c) : ToCp1252(c));
    }
    return s;
  }
  NameOrOrdinal Name() {
    NameOrOrdinal n;
    if (!Need(2)) return n;
    uint16_t first = ReadLe16(data_ + pos_);
    if (first == 0xFFFF) {
      pos_ += 2;
      n.isOrdinal = true;
      n.ordinal = Word();
    } else {
      n.text = String();
    }
    return n;
  }
  bool Bytes(size_t n, std::vector<uint8_t>* out) {
    if (!Need(n)) return false;
    out->assign(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return true;
  }

 private:
  static char ToCp1252(uint16_t c) {
    static constexpr uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
      if (kHigh[i] == c) return static_cast<char>(0x80 + i);
    return '?';
  }
  bool Need(size_t n) {
    if (!ok_ || n > size_ - pos_) {
      ok_ = false;
      return false;
    }
    return true;
  }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

bool ParseItem(Reader& r, bool extended, DialogItem* item) {
  r.AlignDword();
  if (extended) {
    r.Dword();  // help id
    item->exStyle = r.Dword();
    item->style = r.Dword();
  } else {
    item->style = r.Dword();
    item->exStyle = r.Dword();
  }
  item->x = r.Short();
  item->y = r.Short();
  item->cx = r.Short();
  item->cy = r.Short();
  item->id = extended ? r.Dword() : r.Word();
  item->windowClass = r.Name();
  item->title = r.Name();
  uint16_t extra = r.Word();
  if (!r.ok()) return false;
  // Windows-produced templates count the creation data without its size word.
  if (extra && !r.Bytes(extra, &item->creationData)) return false;
  return r.ok();
}

}  // namespace

bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* out) {
  if (!data || !out) return false;
  *out = DialogTemplate{};
  Reader r(data, size);
  uint16_t version = r.Word();
  uint16_t signature = r.Word();
  if (!r.ok()) return false;
  out->extended = version == 1 && signature == 0xFFFF;
  Reader t(data, size);
  if (out->extended) {
    t.Dword();  // version and signature
    t.Dword();  // help id
    out->exStyle = t.Dword();
    out->style = t.Dword();
  } else {
    out->style = t.Dword();
    out->exStyle = t.Dword();
  }
  uint16_t count = t.Word();
  out->x = t.Short();
  out->y = t.Short();
  out->cx = t.Short();
  out->cy = t.Short();
  out->menu = t.Name();
  out->windowClass = t.Name();
  out->title = t.String();
  if (out->style & DS_SETFONT) {
    out->hasFont = true;
    out->pointSize = t.Word();
    if (out->extended) {
      out->weight = t.Word();
      t.Byte();  // italic
      t.Byte();  // character set
    }
    out->faceName = t.String();
  }
  if (!t.ok()) return false;
  // Every item needs at least 24 bytes: a count beyond what fits is refused
  // before anything is reserved for it.
  if (static_cast<size_t>(count) * 24 > size) return false;
  out->items.resize(count);
  for (DialogItem& item : out->items)
    if (!ParseItem(t, out->extended, &item)) return false;
  return true;
}

namespace {

bool ParseMenuLevel(Reader& r, std::vector<MenuEntry>* out, int depth) {
  if (depth > 8) return false;
  for (;;) {
    MenuEntry entry;
    entry.flags = r.Word();
    if (!r.ok()) return false;
    if (!(entry.flags & MF_POPUP)) entry.id = r.Word();
    entry.text = r.String();
    if (!r.ok()) return false;
    if (entry.flags & MF_POPUP) {
      if (!ParseMenuLevel(r, &entry.popup, depth + 1)) return false;
    }
    bool last = (entry.flags & MF_END) != 0;
    if (entry.id == 0 && entry.text.empty() && !(entry.flags & MF_POPUP)) entry.flags |= MF_SEPARATOR;
    entry.flags &= ~MF_END;
    out->push_back(std::move(entry));
    if (out->size() > 1000) return false;
    if (last) return true;
  }
}

}  // namespace

bool ParseMenuTemplate(const uint8_t* data, size_t size, std::vector<MenuEntry>* out) {
  if (!data || !out) return false;
  out->clear();
  Reader r(data, size);
  uint16_t version = r.Word();
  uint16_t offset = r.Word();
  if (r.ok() && version == 1) PLAT_FIXME("menu: extended template");
  if (!r.ok() || version != 0) return false;
  for (uint16_t i = 0; i < offset; ++i) r.Byte();
  return ParseMenuLevel(r, out, 0);
}

const char* ItemClassName(uint16_t ordinal) {
  switch (ordinal) {
    case 0x80: return "BUTTON";
    case 0x81: return "EDIT";
    case 0x82: return "STATIC";
    case 0x83: return "LISTBOX";
    case 0x84: return "SCROLLBAR";
    case 0x85: return "COMBOBOX";
  }
  return "";
}

}  // namespace plat::dlg
