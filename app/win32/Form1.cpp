// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/win32/Form1.h"
#include "app/RandomSource.h"
#include "app/win32/ErrorOutput.h"
#include "app/win32/WideText.h"
#include "board/StageLayout.h"
#include "render/GameScale.h"

#include <windowsx.h>

#include <cwchar>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace {
constexpr DWORD Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD ExStyle = 0;

BoxAnswer systemBox(HWND owner, const std::wstring &prompt, BoxStyle style, const std::wstring &title)
{
    // No icon flag; the first button is the default.
    const UINT buttons = style == BoxStyle::YesNo ? MB_YESNO : MB_OK;
    const int pressed = MessageBoxW(owner, prompt.c_str(), title.c_str(), buttons | MB_DEFBUTTON1);
    return boxAnswer(style, pressed == IDYES || pressed == IDOK ? 0 : pressed == IDNO ? 1 : -1);
}

GameFlow::Key gameKey(WPARAM key)
{
    if (key == VK_RETURN)
        return GameFlow::Key::Return;
    return key == VK_SPACE ? GameFlow::Key::Space : GameFlow::Key::Other;
}

Form1::Seams withDefaults(Form1::Seams seams)
{
    if (!seams.random)
        seams.random = RandomSource();
    return seams;
}

std::unique_ptr<BestTimeFile> recordFile(const Form1::Seams &seams)
{
    if (seams.recordPath)
        return std::make_unique<BestTimeFile>(*seams.recordPath);
    return std::make_unique<BestTimeFile>(BestTimeFile::forThisProgram());
}

RECT workAreaOf(HMONITOR monitor)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    return info.rcWork;
}

// Element 0 of the answer buttons, hidden until the first stage.
const TextLabel Element0 = TextLabel::designed(FormDesign::FirstButton, widen(FormDesign::FirstButtonCaption), false);
} // namespace

Form1::Form1(HINSTANCE instance, Seams seams)
    : m_seams(withDefaults(std::move(seams)))
    , m_file(recordFile(m_seams))
    , m_label2(TextLabel::designed(FormDesign::PromptLabel, widen(GameFlow::PromptCaption), false))
    , m_label1(TextLabel::designed(FormDesign::TitleLabel, widen(GameFlow::titleCaption()), true))
    , m_flow(m_state, *this, m_file->record(), [this] { return m_seams.random(); })
{
    registerClass(instance);
    HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, HighScoreId, widen(GameFlow::HighScoreTitle).c_str());
    // Made at a default place first: its density is that of the monitor
    // it lands on, and the layout follows from it.
    if (!CreateWindowExW(ExStyle, ClassName, widen(GameFlow::Title).c_str(), Style, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, instance, this)) {
        DestroyMenu(menu);
        throw std::runtime_error("the window could not be created");
    }
    try {
        m_frameDpi = static_cast<int>(GetDpiForWindow(m_hwnd));
        m_scale = fittingScale(m_frameDpi, MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY));
        buildControls();
        fitClientArea();
        keepOnWorkArea();
        m_flow.load();
    } catch (...) {
        // No window may outlive the object that handles its messages.
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
        throw;
    }
}

Form1::~Form1()
{
    if (m_hwnd) {
        // Without its object the window could not handle a message more.
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

void Form1::registerClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(instance, ClassName, &windowClass))
        return;
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXICON),
                                                      GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    // The surface paints every pixel of the client area: no brush.
    windowClass.lpszClassName = ClassName;
    RegisterClassExW(&windowClass);
}

void Form1::buildControls()
{
    m_fonts = std::make_unique<FontSet>(m_scale);
    m_command1 = std::make_unique<ControlArray>(m_hwnd, Element0.deviceRect(m_scale), Element0.caption,
                                                m_fonts->button());
    m_disc = std::make_unique<DiscLabel>(m_hwnd, m_scale);
    // Last: the window handles its messages once its surface is there.
    m_surface = std::make_unique<DrawingSurface>(ClientWidth, ClientHeight, Background, m_scale);
}

SIZE Form1::windowSize(DpiScale scale, int frameDpi) const
{
    RECT frame{0, 0, scale.px(ClientWidth), scale.px(ClientHeight)};
    AdjustWindowRectExForDpi(&frame, Style, TRUE, ExStyle, static_cast<UINT>(frameDpi));
    return {frame.right - frame.left, frame.bottom - frame.top};
}

DpiScale Form1::fittingScale(int dpi, HMONITOR monitor) const
{
    const RECT work = workAreaOf(monitor);
    // The frame, with its one line of menu bar, at the monitor's density.
    const SIZE bare = windowSize(DpiScale(), dpi);
    const GameScale::Extent frame{bare.cx - ClientWidth, bare.cy - ClientHeight};
    return DpiScale(GameScale::fitting(dpi, {ClientWidth, ClientHeight}, frame,
                                       {work.right - work.left, work.bottom - work.top}));
}

void Form1::fitClientArea(const POINT *corner)
{
    const SIZE size = windowSize(m_scale, m_frameDpi);
    const UINT keepPlace = corner ? 0 : SWP_NOMOVE;
    const POINT at = corner ? *corner : POINT{};
    SetWindowPos(m_hwnd, nullptr, at.x, at.y, size.cx, size.cy, keepPlace | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame's metrics are the system's guess; a menu bar that wraps or
    // a theme of its own can take more. What is missing is added once.
    RECT client;
    GetClientRect(m_hwnd, &client);
    const int missingWidth = m_scale.px(ClientWidth) - client.right;
    const int missingHeight = m_scale.px(ClientHeight) - client.bottom;
    if (missingWidth != 0 || missingHeight != 0) {
        SetWindowPos(m_hwnd, nullptr, 0, 0, size.cx + missingWidth, size.cy + missingHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form1::keepOnWorkArea(const POINT *corner)
{
    const RECT work = workAreaOf(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY));
    RECT window;
    GetWindowRect(m_hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int workWidth = work.right - work.left;
    const int workHeight = work.bottom - work.top;
    const POINT at = corner ? POINT{GameScale::inside(corner->x, width, work.left, workWidth),
                                    GameScale::inside(corner->y, height, work.top, workHeight)}
                            : POINT{GameScale::centred(width, work.left, workWidth),
                                    GameScale::centred(height, work.top, workHeight)};
    SetWindowPos(m_hwnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::Show(int how)
{
    ShowWindow(m_hwnd, how);
    UpdateWindow(m_hwnd);
}

LRESULT CALLBACK Form1::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *form = static_cast<Form1 *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        form->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto *form = reinterpret_cast<Form1 *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form || !form->m_surface)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    // No exception may pass through the system's frames. Each handler
    // leaves the window as it was when it fails; this is the last resort.
    try {
        return form->handle(message, wParam, lParam);
    } catch (const std::exception &error) {
        writeErrorLine(std::string("tamblo: a window message failed: ") + error.what());
    } catch (...) {
        writeErrorLine("tamblo: a window message failed");
    }
    if (message == WM_PAINT)
        ValidateRect(hwnd, nullptr);
    return 0;
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT area;
        HDC dc = BeginPaint(m_hwnd, &area);
        paint(dc, area.rcPaint);
        EndPaint(m_hwnd, &area);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(m_hwnd, &client);
        paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_DRAWITEM: {
        const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (item.CtlType == ODT_STATIC && item.hwndItem == m_disc->hwnd()) {
            paintDisc(item.hDC);
            return TRUE;
        }
        if (item.CtlType != ODT_BUTTON || !m_command1->indexOf(static_cast<int>(item.CtlID)))
            break;
        ControlArray::drawItem(item, m_focusCue, m_scale.px(1));
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        pressLabel({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        releaseLabel({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CAPTURECHANGED:
        m_pressedLabel = nullptr;
        return 0;
    case WM_COMMAND:
        command(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_KEYDOWN:
        // The game's keys go to the flow, which says whether they were its.
        if (!m_flow.pressKey(gameKey(wParam), lParam & (1 << 30)))
            break;
        return 0;
    case WM_TIMER:
        if (wParam != Timer1Id)
            break;
        Timer1Tick();
        return 0;
    case WM_ACTIVATE:
        rememberFocus(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_GETDPISCALEDSIZE: {
        *reinterpret_cast<SIZE *>(lParam) = windowSize(DpiScale(static_cast<int>(wParam)), static_cast<int>(wParam));
        return TRUE;
    }
    case WM_DPICHANGED:
        changeDpi(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_DISPLAYCHANGE:
        fitAgain();
        return 0;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA)
            fitAgain();
        break;
    case WM_QUERYENDSESSION:
        // Answered at once: the session is never held. The save comes when
        // the session really ends.
        return TRUE;
    case WM_ENDSESSION:
        // The program may be ended at any moment once this returns: the
        // record is written now, then the window closes.
        if (wParam) {
            m_flow.endSession();
            m_flow.requestClose();
        }
        return 0;
    case WM_CLOSE:
        m_flow.requestClose();
        return 0;
    case WM_DESTROY:
        KillTimer(m_hwnd, Timer1Id);
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY: {
        HWND hwnd = std::exchange(m_hwnd, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void Form1::paint(HDC dc, const RECT &area)
{
    // The surface first, then the labels' text over it in stacking order;
    // the buttons are child windows and paint themselves over both.
    m_surface->paint(dc, area);
    m_label2.paint(dc, m_fonts->prompt(), m_scale);
    m_label1.paint(dc, m_fonts->title(), m_scale);
}

void Form1::paintDisc(HDC dc)
{
    // The disc's label shows what the window would show in its place.
    const RECT place = m_disc->place();
    POINT origin;
    SetViewportOrgEx(dc, -place.left, -place.top, &origin);
    paint(dc, place);
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
}

const TextLabel *Form1::labelAt(POINT device) const
{
    // The title label lies over the prompt label.
    if (m_label1.contains(device, m_scale))
        return &m_label1;
    if (m_label2.contains(device, m_scale))
        return &m_label2;
    return nullptr;
}

void Form1::pressLabel(POINT device)
{
    m_pressedLabel = labelAt(device);
    if (m_pressedLabel)
        SetCapture(m_hwnd);
}

void Form1::releaseLabel(POINT device)
{
    // A click is a press and a release on the same label, as on a button.
    const TextLabel *pressed = m_pressedLabel;
    if (GetCapture() == m_hwnd)
        ReleaseCapture();
    m_pressedLabel = nullptr;
    if (pressed && labelAt(device) == pressed)
        m_flow.clickTitleScreen();
}

void Form1::command(int id, HWND control)
{
    if (!control && id == HighScoreId) {
        m_flow.showHighScore();
        return;
    }
    if (control) {
        if (const std::optional<int> index = m_command1->indexOf(id))
            m_flow.answerClicked(*index);
    }
}

bool Form1::routeDialogKeys(MSG &message)
{
    if (!m_hwnd || (message.hwnd != m_hwnd && !IsChild(m_hwnd, message.hwnd)))
        return false;
    const bool repeat = message.lParam & (1 << 30);
    if (message.message == WM_LBUTTONDOWN) {
        m_focusCue = false;
    } else if (message.message == WM_KEYDOWN && m_flow.startsGame(gameKey(message.wParam))) {
        // The title screen starts from the keyboard as from a click; the
        // window handles it, as every event, in its window procedure.
        SendMessageW(m_hwnd, WM_KEYDOWN, message.wParam, message.lParam);
        return true;
    } else if (message.message == WM_KEYDOWN) {
        switch (message.wParam) {
        case VK_RETURN: {
            // The window is no dialog and has no default button: Return
            // answers the button that has the focus, once per press.
            HWND focus = GetFocus();
            const int id = GetDlgCtrlID(focus);
            if (GetParent(focus) != m_hwnd || !m_command1->indexOf(id))
                break;
            if (!repeat)
                SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(focus));
            return true;
        }
        case VK_TAB:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (!m_focusCue) {
                m_focusCue = true;
                if (HWND focus = GetFocus(); focus && GetParent(focus) == m_hwnd)
                    InvalidateRect(focus, nullptr, FALSE);
            }
            break;
        default:
            break;
        }
    }
    return IsDialogMessageW(m_hwnd, &message);
}

void Form1::rememberFocus(bool active)
{
    // A box takes the focus away; the answer button that had it gets it
    // back, so that the keyboard can play on.
    if (!active) {
        HWND focus = GetFocus();
        m_lastFocus = focus && GetParent(focus) == m_hwnd ? focus : nullptr;
        return;
    }
    if (m_lastFocus && IsWindowVisible(m_lastFocus))
        SetFocus(m_lastFocus);
    else
        SetFocus(m_hwnd);
}

void Form1::Cls()
{
    m_surface->Cls();
}

void Form1::CopyBlock(int left, int top, int width, int height, const std::uint32_t *pixels)
{
    m_surface->copyBlock(left, top, width, height, pixels);
}

void Form1::DescribeDisc(const std::string &text)
{
    m_disc->describe(widen(text));
}

void Form1::Refresh()
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
    m_disc->invalidate();
    UpdateWindow(m_hwnd);
}

BoardRect Form1::DeviceBoard(const BoardRect &board) const
{
    // At 200 % every size and place is twice that of the game pixels; at
    // other densities the tiling stays whole.
    return {m_scale.px(board.left), m_scale.px(board.top), m_scale.px(board.right), m_scale.px(board.bottom)};
}

FlowHost::Size Form1::SizeButton(int index, int width, int height)
{
    HWND button = m_command1->item(index);
    ShowWindow(button, SW_SHOWNA);
    SetWindowPos(button, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT place = m_command1->place(index);
    return {place.right - place.left, place.bottom - place.top};
}

void Form1::PlaceButton(int index, int left, int top)
{
    SetWindowPos(m_command1->item(index), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::SetCaption(int index, const std::string &caption)
{
    m_command1->setCaption(index, widen(caption));
}

std::string Form1::Caption(int index) const
{
    return narrow(m_command1->caption(index));
}

void Form1::HideButton(int index)
{
    ShowWindow(m_command1->item(index), SW_HIDE);
}

void Form1::placeButtons()
{
    // After a change of density: the same buttons in the same grid, their
    // captions untouched. Before the first stage only element 0 exists.
    if (m_flow.started()) {
        m_flow.PlaceBoard();
        return;
    }
    const RECT design = Element0.deviceRect(m_scale);
    SetWindowPos(m_command1->item(0), nullptr, design.left, design.top, design.right - design.left,
                 design.bottom - design.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::changeDpi(int dpi, const RECT &suggested)
{
    // What can fail is made before anything changes: fonts or a bitmap that
    // cannot be made leave the window as it was, at its old density. The
    // game area takes the new density as far as the window fits the work
    // area of the monitor it is moving to.
    const DpiScale scale = fittingScale(dpi, MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST));
    auto fonts = std::make_unique<FontSet>(scale);
    m_surface->setScale(scale);
    m_scale = scale;
    m_command1->setFont(fonts->button());
    m_fonts = std::move(fonts);
    m_frameDpi = dpi;
    placeButtons();
    m_disc->setScale(scale);
    // The system's suggestion scales the whole frame; only its corner is
    // taken, the size is the client area's at the new density.
    const POINT corner{suggested.left, suggested.top};
    fitClientArea(&corner);
    keepOnWorkArea(&corner);
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void Form1::fitAgain()
{
    // A new resolution or a moved taskbar may leave the window too large
    // for its work area, or outside it: the scale is chosen again as for a
    // move, from where the window stands.
    RECT window;
    GetWindowRect(m_hwnd, &window);
    changeDpi(m_frameDpi, window);
}

void Form1::ReportSaveFailure(const std::string &line)
{
    writeErrorLine(line);
}

void Form1::Timer1Tick()
{
    m_flow.tick();
}

void Form1::DismissBox()
{
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM owner) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) && std::wcscmp(name, L"#32770") == 0)
                EndDialog(window, IDCANCEL);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(m_hwnd));
}

BoxAnswer Form1::ShowBox(const std::string &prompt, BoxStyle style, const std::string &title)
{
    if (m_seams.messageBox)
        return m_seams.messageBox(widen(prompt), style, widen(title));
    return systemBox(m_hwnd, widen(prompt), style, widen(title));
}

void Form1::SetTimerEnabled(bool enabled)
{
    // Switching it on starts a fresh interval, as a timer that is enabled
    // anew does. A timer the system refuses leaves the clock stopped: the
    // game goes on, and the player is told why its time stands still.
    if (!enabled) {
        KillTimer(m_hwnd, Timer1Id);
        return;
    }
    if (!SetTimer(m_hwnd, Timer1Id, FormDesign::TickMilliseconds, nullptr))
        writeErrorLine("tamblo: the clock of the game could not be started (error "
                       + std::to_string(GetLastError()) + ")");
}

void Form1::CreateAnswerButtons()
{
    // All are made before any is shown: when one cannot be made, the title
    // stays, and the next start makes the ones still missing.
    for (int index = m_command1->count(); index < StageLayout::ButtonCount; ++index)
        m_command1->load(index);
    for (int index = 1; index < StageLayout::ButtonCount; ++index)
        ShowWindow(m_command1->item(index), SW_SHOWNA);
}

void Form1::ShowQuestion(const std::string &question, int promptBottom)
{
    m_label1.visible = false;
    m_label2.top = promptBottom - m_label2.height;
    m_label2.caption = widen(question);
    InvalidateRect(m_hwnd, nullptr, FALSE);
    m_disc->invalidate();
}

void Form1::HideWindow()
{
    ShowWindow(m_hwnd, SW_HIDE);
}

void Form1::Unload()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}
