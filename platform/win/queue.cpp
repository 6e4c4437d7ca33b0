// The message queue: sent and posted messages, input, paint and timer messages, WM_QUIT; the clock.
#include <QString>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/win/clock.h"
#include "platform/win/host.h"
#include "platform/win/internal.h"

namespace win {

namespace {
class RealClock : public Clock {
 public:
  std::uint64_t NowMs() override {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    // Starts at a comfortable value so that tick arithmetic never sees 0.
    return 100000 + static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
  }
};
RealClock g_realClock;
Clock* g_clock = nullptr;
Host* g_host = nullptr;
}  // namespace

void InstallClock(Clock* clock) { g_clock = clock; }
Clock& CurrentClock() { return g_clock ? *g_clock : static_cast<Clock&>(g_realClock); }
bool IsFakeClockInstalled() { return g_clock && dynamic_cast<FakeClock*>(g_clock) != nullptr; }
void FakeClock::Install() { InstallClock(this); }
void FakeClock::Uninstall() {
  if (g_clock == this) InstallClock(nullptr);
}

void InstallHost(Host* host) { g_host = host; }
Host* CurrentHost() { return g_host; }

}  // namespace win

static bool MatchesWindow(HWND filter, HWND hwnd);
static bool MatchesRange(UINT min, UINT max, UINT msg);

namespace win::detail {

std::uint64_t NowMs() { return CurrentClock().NowMs(); }

bool NextTimerDue(std::uint64_t& due, HWND hwnd, UINT min, UINT max) {
  // A timer that fell due while the program was busy (idle work crossing its time) makes a wait
  // return at once, as the window system's does; one that this retrieval's filter leaves waiting
  // counts only as what falls due later.
  auto& st = S();
  std::uint64_t now = NowMs();
  bool any = false;
  auto consider = [&](std::uint64_t d, bool taken) {
    if (d <= now) {
      if (!taken) return;
      d = now;
    }
    due = any ? std::min(due, d) : d;
    any = true;
  };
  for (auto& x : st.timers) consider(x.due, MatchesRange(min, max, WM_TIMER) && MatchesWindow(hwnd, x.hwnd));
  if (st.hoverTracked && W(st.hoverTracked))
    consider(st.hoverDue, MatchesRange(min, max, WM_MOUSEHOVER) && MatchesWindow(hwnd, st.hoverTracked));
  return any;
}

void RemoveWindowMessages(HWND hwnd) {
  auto& st = S();
  auto pred = [hwnd](const MSG& m) { return m.hwnd == hwnd; };
  st.posted.erase(std::remove_if(st.posted.begin(), st.posted.end(), pred), st.posted.end());
  for (std::size_t i = st.input.size(); i-- > 0;) {
    const InputEntry& e = st.input[i];
    if (e.kind == InputEntry::Kind::Routed && e.msg.hwnd == hwnd)
      st.input.erase(st.input.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void KillWindowTimers(HWND hwnd) {
  auto& t = S().timers;
  t.erase(std::remove_if(t.begin(), t.end(), [hwnd](const Timer& x) { return x.hwnd == hwnd; }), t.end());
}

}  // namespace win::detail

using namespace win::detail;

// ---- sending and posting ---------------------------------------------------------------------------

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = W(hwnd);
  if (!w || !w->proc) return 0;
  auto& st = S();
  ++st.sendDepth;
  struct Guard {
    ~Guard() { --S().sendDepth; }
  } guard;
  return w->proc(hwnd, msg, wParam, lParam);
}

static MSG MakeMsg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = static_cast<DWORD>(NowMs());
  m.pt = POINT{S().cursorPos.x(), S().cursorPos.y()};
  return m;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !W(hwnd)) return FALSE;
  S().posted.push_back(MakeMsg(hwnd, msg, wParam, lParam));
  return TRUE;
}

BOOL PostThreadMessage(DWORD, UINT msg, WPARAM wParam, LPARAM lParam) { return PostMessage(nullptr, msg, wParam, lParam); }

void PostQuitMessage(int exitCode) {
  S().quit = true;
  S().quitCode = exitCode;
}

BOOL InSendMessage() { return S().sendDepth > 0 ? TRUE : FALSE; }
DWORD GetCurrentThreadId() { return 1; }

// ---- retrieval --------------------------------------------------------------------------------------

static bool MatchesWindow(HWND filter, HWND hwnd) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(static_cast<INT_PTR>(-1))) return hwnd == nullptr;
  if (filter == hwnd) return true;
  Window* f = W(filter);
  Window* w = W(hwnd);
  return f && w && IsDescendant(f, w);
}

static bool MatchesRange(UINT min, UINT max, UINT msg) {
  if (min == 0 && max == 0) return true;
  if (max == 0) max = 0xFFFFFFFF;
  return msg >= min && msg <= max;
}

static bool TakeFrom(std::deque<MSG>& q, MSG* out, HWND hwnd, UINT min, UINT max, bool remove) {
  for (auto it = q.begin(); it != q.end(); ++it) {
    if (!MatchesWindow(hwnd, it->hwnd) || !MatchesRange(min, max, it->message)) continue;
    MSG m = *it;
    if (remove) q.erase(it);
    if (out) *out = m;
    return true;
  }
  return false;
}

static bool TakeInput(MSG* out, HWND hwnd, UINT min, UINT max, bool remove) {
  auto& st = S();
  static bool routing = false;
  for (std::size_t i = 0; i < st.input.size(); ++i) {
    if (st.input[i].kind != InputEntry::Kind::Routed) {
      // Route it now, with the state that the messages before it left. Routing may call window
      // procedures, so the entry leaves the queue while it is routed.
      if (routing) return false;
      routing = true;
      InputEntry raw = std::move(st.input[i]);
      st.input.erase(st.input.begin() + static_cast<std::ptrdiff_t>(i));
      std::vector<MSG> msgs = RouteEntry(raw);
      routing = false;
      std::size_t at = std::min(i, st.input.size());
      for (std::size_t k = 0; k < msgs.size(); ++k) {
        InputEntry r;
        r.kind = InputEntry::Kind::Routed;
        r.msg = msgs[k];
        if (k + 1 == msgs.size()) r.text = raw.text;
        st.input.insert(st.input.begin() + static_cast<std::ptrdiff_t>(at + k), std::move(r));
      }
      if (msgs.empty()) {
        // Eaten or nowhere to go: key state still follows it.
        if (raw.kind == InputEntry::Kind::Key) {
          MSG k;
          k.message = raw.message;
          k.wParam = raw.vk;
          ApplyInputToKeys(st.keys, k);
        }
        --i;
        continue;
      }
    }
    const MSG& m = st.input[i].msg;
    if (!MatchesWindow(hwnd, m.hwnd) || !MatchesRange(min, max, m.message)) continue;
    if (out) *out = m;
    if (remove) {
      // Key state follows the messages as they are taken, so handlers see the state of their time.
      ApplyInputToKeys(st.keys, m);
      if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
        // Remembered for TranslateMessage: the text of the key as the host delivered it.
        st.lastKeyVk = static_cast<UINT>(m.wParam);
        st.lastKeyData = m.lParam;
        st.lastKeyText = st.input[i].text;
      }
      st.input.erase(st.input.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return true;
  }
  return false;
}

// Pre-order walk: parents paint before their children, lower siblings before upper ones.
static Window* FindPaint(Window* w, HWND filter) {
  if (!(w->style & WS_VISIBLE)) return nullptr;
  if (w->ncDirty) SendNcPaintIfNeeded(w);
  if (!W(w->handle)) return nullptr;
  if ((!w->update.isEmpty() || w->internalPaint) && MatchesWindow(filter, w->handle)) return w;
  auto kids = w->children;
  for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
    if (!W((*it)->handle)) continue;
    if (Window* r = FindPaint(*it, filter)) return r;
  }
  return nullptr;
}

static Window* NextPaintWindow(HWND filter) {
  auto tops = S().topLevels;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    if (!W((*it)->handle)) continue;
    if (Window* r = FindPaint(*it, filter)) return r;
  }
  return nullptr;
}

static bool TakeTimer(MSG* out, HWND hwnd, UINT min, UINT max, bool remove) {
  if (!MatchesRange(min, max, WM_TIMER)) return false;
  auto& timers = S().timers;
  std::uint64_t now = NowMs();
  Timer* best = nullptr;
  for (auto& t : timers)
    if (t.due <= now && MatchesWindow(hwnd, t.hwnd) && (!best || t.due < best->due)) best = &t;
  if (!best) return false;
  MSG m = MakeMsg(best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc));
  if (remove) best->due = now + best->interval;
  if (out) *out = m;
  return true;
}

// WM_MOUSEHOVER for a window tracked with TME_HOVER once the mouse rested over it long enough.
static bool TakeHover(MSG* out, HWND hwnd, UINT min, UINT max, bool remove) {
  auto& st = S();
  Window* w = W(st.hoverTracked);
  if (!w) {
    st.hoverTracked = nullptr;
    return false;
  }
  if (NowMs() < st.hoverDue || !MatchesRange(min, max, WM_MOUSEHOVER) || !MatchesWindow(hwnd, w->handle)) return false;
  if (HitWindow(st.cursorPos, true) != w && st.capture != w->handle) {
    st.hoverDue = NowMs() + st.hoverDelay;  // not resting over it: look again later
    return false;
  }
  QPoint c = st.cursorPos - ClientOriginOnScreen(w);
  WPARAM keys = 0;
  if (st.keys[VK_LBUTTON] & 0x80) keys |= MK_LBUTTON;
  if (st.keys[VK_RBUTTON] & 0x80) keys |= MK_RBUTTON;
  if (st.keys[VK_SHIFT] & 0x80) keys |= MK_SHIFT;
  if (st.keys[VK_CONTROL] & 0x80) keys |= MK_CONTROL;
  MSG m = MakeMsg(w->handle, WM_MOUSEHOVER, keys, MAKELPARAM(static_cast<WORD>(c.x()), static_cast<WORD>(c.y())));
  if (remove) st.hoverTracked = nullptr;  // one hover per request, as TrackMouseEvent promises
  if (out) *out = m;
  return true;
}

static bool PeekInternal(MSG* msg, HWND hwnd, UINT min, UINT max, UINT flags) {
  auto& st = S();
  bool remove = (flags & PM_REMOVE) != 0;
  MSG m;
  if (TakeFrom(st.posted, &m, hwnd, min, max, remove)) {
  } else if (st.quit) {
    m = MakeMsg(nullptr, WM_QUIT, static_cast<WPARAM>(st.quitCode), 0);
    if (remove) st.quit = false;
  } else if (TakeInput(&m, hwnd, min, max, remove)) {
  } else if (Window* w = MatchesRange(min, max, WM_PAINT) ? NextPaintWindow(hwnd) : nullptr) {
    m = MakeMsg(w->handle, WM_PAINT, 0, 0);
  } else if (TakeTimer(&m, hwnd, min, max, remove)) {
  } else if (TakeHover(&m, hwnd, min, max, remove)) {
  } else {
    return false;
  }
  if (remove) {
    st.lastMsg = m;
  }
  if (msg) *msg = m;
  return true;
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT min, UINT max, UINT flags) {
  FlushDirty();
  if (PeekInternal(msg, hwnd, min, max, flags)) return TRUE;
  if (auto* host = win::CurrentHost()) {
    host->PollEvents();
    FlushDirty();
    if (PeekInternal(msg, hwnd, min, max, flags)) return TRUE;
  }
  return FALSE;
}

// Blocks until something arrives. Headless with a fake clock, time jumps to the next timer; headless
// with nothing that could ever arrive, it gives up with WM_QUIT instead of hanging.
static bool WaitForSomething(HWND hwnd = nullptr, UINT min = 0, UINT max = 0) {
  auto* host = win::CurrentHost();
  std::uint64_t due = 0;
  bool hasTimer = NextTimerDue(due, hwnd, min, max);
  FlushDirty();
  if (host) {
    int timeout = -1;
    if (hasTimer) {
      std::uint64_t now = NowMs();
      timeout = due > now ? static_cast<int>(std::min<std::uint64_t>(due - now, 1u << 30)) : 0;
    }
    host->WaitForEvents(timeout);
    return true;
  }
  if (!hasTimer) return false;
  if (auto* fake = dynamic_cast<win::FakeClock*>(&win::CurrentClock())) {
    if (due > fake->NowMs()) fake->Set(due);
    return true;
  }
  std::uint64_t now = NowMs();
  if (due > now) std::this_thread::sleep_for(std::chrono::milliseconds(due - now));
  return true;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT min, UINT max) {
  MSG m;
  for (;;) {
    if (PeekMessage(&m, hwnd, min, max, PM_REMOVE)) break;
    if (!WaitForSomething(hwnd, min, max)) {
      m = MakeMsg(nullptr, WM_QUIT, 0, 0);
      break;
    }
  }
  if (msg) *msg = m;
  return m.message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage() {
  auto& st = S();
  if (!st.posted.empty() || !st.input.empty() || st.quit) return TRUE;
  WaitForSomething();
  return TRUE;
}

LONG GetMessageTime() { return static_cast<LONG>(S().lastMsg.time); }
DWORD GetMessagePos() {
  const POINT& p = S().lastMsg.pt;
  return MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
}

// ---- translation and dispatch --------------------------------------------------------------------

static void Utf8ToUtf16Units(const std::string& s, std::vector<char16_t>& out) {
  QString q = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
  for (QChar c : q) out.push_back(c.unicode());
}

static int CharForKey(UINT vk, bool shift, bool caps, bool ctrl) {
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return static_cast<int>(vk - 'A' + 1);
    bool upper = shift != caps;
    return upper ? static_cast<int>(vk) : static_cast<int>(vk - 'A' + 'a');
  }
  if (ctrl) return -1;
  if (vk >= '0' && vk <= '9') {
    static const char shifted[] = ")!@#$%^&*(";
    return shift ? shifted[vk - '0'] : static_cast<int>(vk);
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<int>('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
  }
  return -1;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  auto& st = S();
  UINT vk = static_cast<UINT>(msg->wParam);
  UINT charMsg = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  std::vector<char16_t> units;
  bool ctrl = (st.keys[VK_CONTROL] & 0x80) != 0;
  bool alt = (st.keys[VK_MENU] & 0x80) != 0;
  if (st.lastKeyVk == vk && st.lastKeyData == msg->lParam && !st.lastKeyText.empty() && !(ctrl && !alt)) {
    Utf8ToUtf16Units(st.lastKeyText, units);
  } else {
    int c = CharForKey(vk, (st.keys[VK_SHIFT] & 0x80) != 0, (st.keys[VK_CAPITAL] & 1) != 0, ctrl && !alt);
    if (c >= 0) units.push_back(static_cast<char16_t>(c));
  }
  if (units.empty()) return FALSE;
  // The characters come next, before anything already posted.
  for (auto it = units.rbegin(); it != units.rend(); ++it) {
    MSG m = *msg;
    m.message = charMsg;
    m.wParam = *it;
    st.posted.push_front(m);
  }
  return TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(NowMs()));
    return 0;
  }
  if (!msg->hwnd) return 0;
  Window* w = W(msg->hwnd);
  if (!w) return 0;
  if (msg->message == WM_PAINT) {
    w->internalPaint = false;
    LRESULT r = SendMessage(msg->hwnd, WM_PAINT, msg->wParam, msg->lParam);
    FlushDirty();
    return r;
  }
  return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

// ---- timers ---------------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd && !W(hwnd)) return 0;
  auto& st = S();
  if (elapse < 10) elapse = 10;
  if (!hwnd) {
    // Thread timers: a fresh id unless an existing one is named.
    bool known = false;
    for (auto& t : st.timers)
      if (!t.hwnd && t.id == id) known = true;
    if (!known) id = ++st.nextTimerId;
  }
  for (auto& t : st.timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.interval = elapse;
      t.due = NowMs() + elapse;
      t.proc = proc;
      return hwnd ? (id ? id : 1) : id;
    }
  }
  Timer t;
  t.hwnd = hwnd;
  t.id = id;
  t.interval = elapse;
  t.due = NowMs() + elapse;
  t.proc = proc;
  st.timers.push_back(t);
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& st = S();
  auto& t = st.timers;
  auto it = std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
  bool found = it != t.end();
  t.erase(it, t.end());
  // A WM_TIMER already in the posted queue for it is dropped as well.
  auto& q = st.posted;
  q.erase(std::remove_if(q.begin(), q.end(),
                         [&](const MSG& m) { return m.message == WM_TIMER && m.hwnd == hwnd && m.wParam == id; }),
          q.end());
  return found ? TRUE : FALSE;
}

DWORD GetTickCount() { return static_cast<DWORD>(NowMs()); }
std::uint64_t GetTickCount64() { return NowMs(); }

void Sleep(DWORD ms) {
  if (auto* fake = dynamic_cast<win::FakeClock*>(&win::CurrentClock())) {
    fake->Advance(ms);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
