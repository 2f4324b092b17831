#include "ui/win32/controls/Container.h"

#include "ui/win32/controls/Events.h"

#include <set>
#include <string>

namespace skarvel::ui::win32 {

void OwnWindow::RegisterOnce(const char* className) {
  static std::set<std::string> registered;
  if (!registered.insert(className).second) return;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  // The icon that the executable carries, for the forms' captions and the task bar.
  windowClass.hIcon = LoadIconA(windowClass.hInstance, "MAINICON");
  windowClass.hIconSm = static_cast<HICON>(LoadImageA(windowClass.hInstance, "MAINICON", IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  RegisterClassExA(&windowClass);
}

LRESULT CALLBACK OwnWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* window = static_cast<OwnWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    window->Attach(hwnd);
  }
  auto* window = reinterpret_cast<OwnWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  // Before WM_NCCREATE, and after the object let go of its window.
  if (window == nullptr || window->Handle() != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
  return window->HandleMessage(message, wParam, lParam);
}

namespace {

// What containers share: their children's notifications go back to the
// children, and the common controls talk to them in the code page.
bool ContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_NOTIFYFORMAT) {
    result = NFR_ANSI;
    return true;
  }
  return ReflectToControl(message, wParam, lParam, result);
}

constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

}  // namespace

OwnWindow::~OwnWindow() { Destroy(); }

void OwnWindow::Destroy() {
  HWND hwnd = Handle();
  if (hwnd == nullptr || !IsWindow(hwnd)) return;
  // The messages of the destruction go to the system's procedure: this object
  // is on its way out.
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
}

LRESULT OwnWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(Handle(), message, wParam, lParam);
}

void OwnWindow::CreateOwn(const char* className, const std::string& text, DWORD style, DWORD exStyle, HWND parent,
                          int x, int y, int width, int height) {
  RegisterOnce(className);
  HMENU menu = (style & WS_CHILD) != 0 ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(NewControlId())) : nullptr;
  HWND hwnd = CreateWindowExA(exStyle, className, text.c_str(), style, x, y, width, height, parent, menu,
                              GetModuleHandleA(nullptr), this);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ProgramFont(DpiOf(hwnd))), FALSE);
}

void Panel::Create(HWND parent, const Rect& place) {
  CreateOwn("SkarvelPanel", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, parent, 0, 0, 0, 0);
  Place(place);
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ContainerMessage(message, wParam, lParam, result)) return result;
  return OwnWindow::HandleMessage(message, wParam, lParam);
}

void Form::Create(const std::string& caption, int clientWidth, int clientHeight, DWORD exStyle, HWND owner) {
  CreateWithStyle(caption, clientWidth, clientHeight, kFormStyle, exStyle, owner);
}

void Form::CreateOwnedTool(const std::string& caption, int clientWidth, int clientHeight, DWORD exStyle, HWND owner) {
  CreateWithStyle(caption, clientWidth, clientHeight, kFormStyle & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX), exStyle, owner);
}

void Form::CreateWithStyle(const std::string& caption, int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                           HWND owner) {
  // A new window opens on the primary screen; on another, WM_DPICHANGED rescales it.
  const int dpi = SystemDpi();
  RECT outer{0, 0, Scaled(clientWidth, dpi), Scaled(clientHeight, dpi)};
  AdjustWindowRectEx(&outer, style, FALSE, kFormExStyle | exStyle);
  CreateOwn("SkarvelForm", caption, style, kFormExStyle | exStyle, owner, CW_USEDEFAULT, CW_USEDEFAULT,
            outer.right - outer.left, outer.bottom - outer.top);
}

// The frame as the window has it now: on a screen of another scale than the
// system's, Windows 10 draws it at that scale and Wine at the system's, which
// no function of the system's metrics tells for both.
SIZE Form::OuterSizeFor(int clientWidth, int clientHeight) const {
  const int dpi = DpiOf(Handle());
  RECT outer{0, 0, Scaled(clientWidth, dpi), Scaled(clientHeight, dpi)};
  RECT window{}, client{};
  GetWindowRect(Handle(), &window);
  GetClientRect(Handle(), &client);
  if (!IsIconic(Handle()) && client.right > 0 && client.bottom > 0) {
    return {outer.right + (window.right - window.left) - client.right,
            outer.bottom + (window.bottom - window.top) - client.bottom};
  }
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(Handle(), GWL_EXSTYLE)));
  return {outer.right - outer.left, outer.bottom - outer.top};
}

void Form::SetClientSize(int clientWidth, int clientHeight) {
  const SIZE outer = OuterSizeFor(clientWidth, clientHeight);
  SetWindowPos(Handle(), nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE Form::ClientSize() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int dpi = DpiOf(Handle());
  return {Unscaled(client.right, dpi), Unscaled(client.bottom, dpi)};
}

void Form::SetClientLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) {
  minWidth_ = minWidth;
  minHeight_ = minHeight;
  maxWidth_ = maxWidth;
  maxHeight_ = maxHeight;
}

void Form::ShowCentred() {
  HWND owner = GetWindow(Handle(), GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT work{};
  if (GetMonitorInfoA(MonitorFromWindow(owner != nullptr ? owner : Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    work = monitor.rcWork;
  } else {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  }
  RECT outer{};
  GetWindowRect(Handle(), &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

namespace {

// A callback of the system's calling convention (a lambda has the compiler's,
// which on 32-bit Windows is another).
BOOL CALLBACK PressButtonOfId(HWND child, LPARAM id) {
  if (GetDlgCtrlID(child) != static_cast<int>(id)) return TRUE;
  SendMessageA(child, BM_CLICK, 0, 0);
  return FALSE;
}

}  // namespace

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (message == WM_COMMAND && lParam == 0) {
    // Enter (from the keyboard handling of HandleFormKeys) presses the default
    // button, wherever it lies among the panels; Escape does nothing, as the
    // forms have no Cancel button.
    if (defaultButton_ != 0 && LOWORD(wParam) == defaultButton_) {
      EnumChildWindows(Handle(), PressButtonOfId, defaultButton_);
    }
    return 0;
  }
  if (ContainerMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case DM_GETDEFID:
      return defaultButton_ != 0 ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      if (minWidth_ > 0 || minHeight_ > 0) {
        const SIZE least = OuterSizeFor(minWidth_, minHeight_);
        info->ptMinTrackSize = {least.cx, least.cy};
      }
      if (maxWidth_ > 0 || maxHeight_ > 0) {
        const SIZE most = OuterSizeFor(maxWidth_ > 0 ? maxWidth_ : 32767, maxHeight_ > 0 ? maxHeight_ : 32767);
        if (maxWidth_ > 0) info->ptMaxTrackSize.x = info->ptMaxSize.x = most.cx;
        if (maxHeight_ > 0) info->ptMaxTrackSize.y = most.cy;
      }
      return 0;
    }
    case WM_SIZE:
      if (onResize) onResize();
      return 0;
    case WM_DPICHANGED: {
      // The window went to a screen of another scale (or that screen's scale
      // changed): the controls take the new one, then the window takes the
      // place that Windows proposes, which lays it out again.
      const int oldDpi = DpiOf(Handle());
      const int dpi = LOWORD(wParam);
      SetWindowDpi(Handle(), dpi);
      SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(ProgramFont(dpi)), FALSE);
      RescaleChildren(Handle(), oldDpi, dpi);
      RECT client{};
      GetClientRect(Handle(), &client);
      const SIZE layoutClient{Unscaled(client.right, oldDpi), Unscaled(client.bottom, oldDpi)};
      const auto* proposed = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(Handle(), nullptr, proposed->left, proposed->top, proposed->right - proposed->left,
                   proposed->bottom - proposed->top, SWP_NOZORDER | SWP_NOACTIVATE);
      // Where the frame is not drawn at the new scale (Wine), the proposed size
      // misses the client area by the frame's difference.
      GetClientRect(Handle(), &client);
      if (client.right != Scaled(layoutClient.cx, dpi) || client.bottom != Scaled(layoutClient.cy, dpi)) {
        SetClientSize(layoutClient.cx, layoutClient.cy);
      }
      return 0;
    }
    case WM_ACTIVATE:
      // A form gives the focus back to the control that had it, as a dialog does.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(Handle(), focus)) focusOnDeactivate_ = focus;
      } else if (focusOnDeactivate_ != nullptr && IsWindow(focusOnDeactivate_) && IsChild(Handle(), focusOnDeactivate_)) {
        SetFocus(focusOnDeactivate_);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (onClose) {
        onClose();
      } else {
        ShowWindow(Handle(), SW_HIDE);
      }
      return 0;
    default:
      break;
  }
  return OwnWindow::HandleMessage(message, wParam, lParam);
}

void Form::SetControlShortcut(UINT key, std::function<void()> action) {
  shortcuts_.emplace_back(key, std::move(action));
}

bool Form::RunShortcut(const MSG& msg) {
  const auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
  if (msg.message != WM_KEYDOWN || !down(VK_CONTROL) || down(VK_MENU) || down(VK_SHIFT)) return false;
  for (const auto& [key, action] : shortcuts_) {
    if (msg.wParam != key) continue;
    RunHandler(action);
    return true;
  }
  return false;
}

bool HandleFormKeys(MSG& msg) {
  if (msg.hwnd == nullptr) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  auto* form = dynamic_cast<Form*>(Control::FromHandle(root));
  if (form == nullptr) return false;
  // Before the dialog manager, which hands the key to the focused control.
  if (form->RunShortcut(msg)) return true;
  return IsDialogMessageA(root, &msg) != FALSE;
}

}  // namespace skarvel::ui::win32
