// Rectangles, MulDiv, the clipboard, module look-ups, system colours and message boxes.
#include <cstring>

#include "platform/win/dialogs.h"
#include "platform/win/host.h"
#include "tests/platform/win/fixture.h"

namespace {

TEST(Rects, IntersectUnionSubtractAndPointTests) {
  RECT a{0, 0, 10, 10}, b{5, 5, 15, 15}, r;
  EXPECT_TRUE(IntersectRect(&r, &a, &b));
  RECT expect{5, 5, 10, 10};
  EXPECT_TRUE(EqualRect(&r, &expect));
  RECT far{20, 20, 30, 30};
  EXPECT_FALSE(IntersectRect(&r, &a, &far));
  EXPECT_TRUE(IsRectEmpty(&r));
  UnionRect(&r, &a, &b);
  EXPECT_EQ(r.right, 15);
  RECT cut{0, 0, 10, 4};
  SubtractRect(&r, &a, &cut);
  EXPECT_EQ(r.top, 4);
  EXPECT_EQ(r.bottom, 10);
  EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
  EXPECT_FALSE(PtInRect(&a, POINT{10, 5})) << "right edge is outside";
  struct Case {
    int n, num, den, expect;
  };
  for (Case c : {Case{10, 3, 4, 8}, Case{-10, 3, 4, -8}, Case{5, 1, 2, 3}, Case{7, 96, 72, 9}, Case{1, 1, 0, -1}})
    EXPECT_EQ(MulDiv(c.n, c.num, c.den), c.expect) << c.n << "*" << c.num << "/" << c.den;
}

TEST(Clipboard, TextRoundTripsThroughGlobalMemory) {
  const char* text = "网格 grid\t1";
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr)) << "only one opener at a time";
  EmptyClipboard();
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
  std::memcpy(GlobalLock(g), text, std::strlen(text) + 1);
  GlobalUnlock(g);
  SetClipboardData(CF_TEXT, g);
  UINT custom = RegisterClipboardFormat("Tressora Grid");
  EXPECT_EQ(custom, RegisterClipboardFormat("Tressora Grid"));
  EXPECT_GE(custom, 0xC000u);
  CloseClipboard();
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(custom));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(CF_TEXT);
  ASSERT_NE(h, nullptr);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(h)), text);
  EXPECT_EQ(GlobalSize(h), std::strlen(text) + 1);
  CloseClipboard();
}

TEST(Modules, OptionalFunctionsAreFoundByName) {
  HMODULE msimg = LoadLibrary("msimg32.dll");
  ASSERT_NE(msimg, nullptr);
  EXPECT_EQ(GetProcAddress(msimg, "TransparentBlt"), reinterpret_cast<FARPROC>(&TransparentBlt));
  EXPECT_NE(GetProcAddress(msimg, "AlphaBlend"), nullptr);
  EXPECT_EQ(GetProcAddress(msimg, "NoSuchFunction"), nullptr);
  HMODULE user = GetModuleHandle("USER32.DLL");
  ASSERT_NE(user, nullptr);
  EXPECT_NE(GetProcAddress(user, "MonitorFromWindow"), nullptr);
  EXPECT_EQ(GetProcAddress(user, "UpdateLayeredWindow"), nullptr);
  EXPECT_EQ(LoadLibrary("nothing.dll"), nullptr);
  DWORD v = GetVersion();
  EXPECT_EQ(LOBYTE(v), 5);
  EXPECT_EQ(HIBYTE(LOWORD(v)), 1);
}

TEST(System, ClassicPaletteAndMetrics) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 36, 106));
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), GetSysColorBrush(COLOR_BTNFACE));
  LOGBRUSH lb;
  ASSERT_EQ(GetObject(GetSysColorBrush(COLOR_BTNSHADOW), sizeof lb, &lb), static_cast<int>(sizeof lb));
  EXPECT_EQ(lb.lbColor, RGB(128, 128, 128));
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  RECT work;
  ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_LE(work.bottom, GetSystemMetrics(SM_CYSCREEN));
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  ReleaseDC(nullptr, screen);
}

TEST(Dialogs, ScriptedAnswersAndRecordsTheExactTexts) {
  win::ScriptedDialogs dialogs;
  dialogs.Install();
  dialogs.PushResult(IDNO);
  EXPECT_EQ(MessageBox(nullptr, "是否保存？", "提示", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBox(nullptr, "完成", "提示", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO) << "empty script: default button";
  dialogs.PushFile("/tmp/a.bmp", 2);
  win::FileDialogOptions o;
  o.filter = "BMP|*.bmp|All|*.*";
  std::string name;
  EXPECT_TRUE(win::Dialogs().SaveFile(nullptr, o, name));
  EXPECT_EQ(name, "/tmp/a.bmp");
  EXPECT_EQ(o.filterIndex, 2);
  EXPECT_FALSE(win::Dialogs().OpenFile(nullptr, o, name)) << "empty script cancels";
  ASSERT_EQ(dialogs.Requests().size(), 4u);
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"是否保存？", "完成"}));
  EXPECT_EQ(dialogs.Requests()[0].caption, "提示");
  EXPECT_EQ(dialogs.Requests()[0].flags, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(dialogs.Requests()[2].kind, win::DialogKind::SaveFile);
  dialogs.Uninstall();
  EXPECT_EQ(MessageBox(nullptr, "x", "y", MB_OKCANCEL), IDOK) << "headless default";
  EXPECT_EQ(dialogs.Requests().size(), 4u);
}

TEST_F(WinTest, ShellOpenIsRecordedHeadless) {
  win::ClearOpenedDocuments();
  HINSTANCE r = ShellExecute(nullptr, "open", "http://example.invalid/about", nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_GT(reinterpret_cast<std::uintptr_t>(r), 32u);
  ASSERT_EQ(win::OpenedDocuments().size(), 1u);
  EXPECT_EQ(win::OpenedDocuments()[0], "http://example.invalid/about");
}

}  // namespace

namespace {

TEST_F(WinTest, InputMethodContextsCanBeTakenAwayAndGiven) {
  HWND top = Top(0, 0, 100, 100);
  HWND edit = Child(top, 0, 0, 50, 20);
  EXPECT_TRUE(win::ImeEnabledFor(edit));
  HIMC own = ImmAssociateContext(edit, nullptr);
  ASSERT_NE(own, nullptr);
  EXPECT_FALSE(win::ImeEnabledFor(edit));
  EXPECT_EQ(ImmAssociateContext(edit, own), nullptr);
  EXPECT_TRUE(win::ImeEnabledFor(edit));
  HIMC c = ImmGetContext(edit);
  DWORD conv = 0, sent = 0;
  ASSERT_TRUE(ImmGetConversionStatus(c, &conv, &sent));
  EXPECT_TRUE(ImmSetConversionStatus(c, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE, sent));
  ImmGetConversionStatus(c, &conv, &sent);
  EXPECT_EQ(conv, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE);
  ImmSetOpenStatus(c, FALSE);
  EXPECT_FALSE(win::ImeEnabledFor(edit));
  ImmReleaseContext(edit, c);
  HKL layout = GetKeyboardLayout(0);
  EXPECT_TRUE(ImmIsIME(layout));
  EXPECT_EQ(ActivateKeyboardLayout(layout, KLF_ACTIVATE), layout);
  char name[9];
  ASSERT_TRUE(GetKeyboardLayoutName(name));
  EXPECT_STREQ(name, "00000804");
  EXPECT_EQ(LoadKeyboardLayout("00000804", KLF_ACTIVATE), layout);
  HKL list[4];
  EXPECT_EQ(GetKeyboardLayoutList(4, list), 1);
  DestroyWindow(edit);
  EXPECT_FALSE(win::ImeEnabledFor(edit));
}

}  // namespace
