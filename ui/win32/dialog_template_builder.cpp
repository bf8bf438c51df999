#include "ui/win32/dialog_template_builder.h"

#include <string>

#include "ui/win32/win32_api.h"

namespace ui::win32 {
namespace {

namespace style = res::style;
static_assert(style::kPopup == WS_POPUP && style::kChild == WS_CHILD &&
              style::kVisible == WS_VISIBLE && style::kDisabled == WS_DISABLED &&
              style::kCaption == WS_CAPTION && style::kBorder == WS_BORDER &&
              style::kVScroll == WS_VSCROLL && style::kHScroll == WS_HSCROLL &&
              style::kSysMenu == WS_SYSMENU && style::kGroup == WS_GROUP &&
              style::kTabStop == WS_TABSTOP);
static_assert(style::kDsSetFont == DS_SETFONT && style::kDsModalFrame == DS_MODALFRAME &&
              style::kExAppWindow == WS_EX_APPWINDOW);
static_assert(style::kSsLeft == SS_LEFT && style::kSsTypeMask == SS_TYPEMASK &&
              style::kSsNoPrefix == SS_NOPREFIX && style::kBsPushButton == BS_PUSHBUTTON);
static_assert(style::kEsMultiLine == ES_MULTILINE && style::kEsAutoVScroll == ES_AUTOVSCROLL &&
              style::kEsAutoHScroll == ES_AUTOHSCROLL && style::kEsWantReturn == ES_WANTRETURN);

// The predefined window classes, by atom.
constexpr uint16_t kButtonAtom = 0x80;
constexpr uint16_t kEditAtom = 0x81;
constexpr uint16_t kStaticAtom = 0x82;

uint16_t ClassAtom(res::ControlKind kind) {
  switch (kind) {
    case res::ControlKind::PushButton:
      return kButtonAtom;
    case res::ControlKind::Edit:
      return kEditAtom;
    case res::ControlKind::Static:
      break;
  }
  return kStaticAtom;
}

std::wstring Widen(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int size = static_cast<int>(ansi.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), length);
  return wide;
}

// "MS Sans Serif" is a bitmap font, drawn at the sizes of 96 DPI only; "MS Shell
// Dlg" names its TrueType twin, of the same metrics, which follows any DPI.
std::string ScalableFont(const std::string& name) {
  return name == "MS Sans Serif" ? "MS Shell Dlg" : name;
}

class TemplateWriter {
 public:
  void Word(uint16_t value) { m_cells.push_back(value); }
  void Dword(uint32_t value) {
    Word(static_cast<uint16_t>(value & 0xFFFF));
    Word(static_cast<uint16_t>(value >> 16));
  }
  void Coordinate(int value) { Word(static_cast<uint16_t>(static_cast<int16_t>(value))); }
  void Text(const std::string& ansi) {
    for (const wchar_t c : Widen(ansi)) Word(static_cast<uint16_t>(c));
    Word(0);
  }
  void Ordinal(uint16_t value) {
    Word(0xFFFF);
    Word(value);
  }
  void AlignToDword() {
    if (m_cells.size() % 2 != 0) Word(0);
  }
  std::vector<uint16_t> Take() { return std::move(m_cells); }

 private:
  std::vector<uint16_t> m_cells;
};

void WriteControl(TemplateWriter& out, const res::ControlTemplate& control) {
  out.AlignToDword();
  out.Dword(0);  // help id
  out.Dword(0);  // extended style
  out.Dword(control.style);
  out.Coordinate(control.x);
  out.Coordinate(control.y);
  out.Coordinate(control.width);
  out.Coordinate(control.height);
  out.Dword(static_cast<uint32_t>(control.id));
  out.Ordinal(ClassAtom(control.kind));
  out.Text(control.text);
  out.Word(0);  // no creation data
}

}  // namespace

std::vector<uint16_t> BuildDialogTemplate(const res::DialogTemplate& description) {
  TemplateWriter out;
  out.Word(1);       // version
  out.Word(0xFFFF);  // extended template
  out.Dword(0);      // help id
  out.Dword(description.exStyle);
  out.Dword(description.style);
  out.Word(static_cast<uint16_t>(description.controls.size()));
  out.Coordinate(0);
  out.Coordinate(0);
  out.Coordinate(description.width);
  out.Coordinate(description.height);
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Text(description.caption);
  if (description.style & DS_SETFONT) {
    out.Word(static_cast<uint16_t>(description.pointSize));
    out.Word(FW_NORMAL);
    out.Word(DEFAULT_CHARSET << 8);  // not italic; the charset byte follows
    out.Text(ScalableFont(description.fontName));
  }
  for (const res::ControlTemplate& control : description.controls) WriteControl(out, control);
  return out.Take();
}

}  // namespace ui::win32
