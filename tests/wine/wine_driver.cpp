// tavik-wine-driver.exe: the driver of the Wine tests.
//
//   tavik-wine-driver --log FILE [--alone] [--answer N] [--script STEPS] [--timeout MS]
//                     PLAYER [ARGS...]
//
// Starts PLAYER with ARGS, its standard handles the driver's. As the controlling program (the
// default) it first creates a hidden window titled "Tavik for Windows - test driver", passes it
// as "/#<window>" and answers the player's query (message 10019) with N (default 0); with
// --alone the player starts on its own, as a user starts it (so it has its additions). The
// script's comma-separated steps:
//   wait:MS     wait (answering messages meanwhile)
//   window      wait until the player window shows; logs "window W H at L T R B" (the client
//               area's size and the window's frame on the screen)
//   key:VK      posts a key press of the virtual key VK (decimal) to the player window
//   char:C      posts the character C (decimal)
//   click2      posts two presses of the left button at the client area's centre
//   size:WxH    sizes the window so that its client area is W x H (as a user dragging its frame)
//   title       logs "title TEXT": the player window's title
//   shot:NAME   reads the client area back from the screen into NAME.ppm and writes NAME.req
//               ("frame N x y w h": the frame number of the caption, the area)
//   exit:MS     waits up to MS for the player to end; logs "exited" or "running"
//   clock       logs "clock MS": the milliseconds since the driver started
// Message boxes of the player are logged ("box CAPTION | TEXT") and dismissed whenever they
// appear; the version text the player sends its controller at the end is logged as
// "version TEXT length N". At the end the driver waits for the player (at most --timeout,
// default 60000 ms), ends it if need be ("killed") and logs "end STATUS".
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr UINT kQueryMessage = 10019;
constexpr ULONG_PTR kVersionId = 0x1234;

FILE* g_log = nullptr;
LRESULT g_answer = 0;
HANDLE g_process = nullptr;
DWORD g_processId = 0;
const DWORD g_started = GetTickCount();

void Log(const std::string& line) {
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

LRESULT CALLBACK DriverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kQueryMessage) {
        Log("query answered " + std::to_string(g_answer));
        return g_answer;
    }
    if (message == WM_COPYDATA) {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (copy->dwData == kVersionId && copy->lpData != nullptr) {
            const char* text = static_cast<const char*>(copy->lpData);
            Log("version " + std::string(text, strnlen(text, copy->cbData)) + " length " +
                std::to_string(copy->cbData));
        }
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct Found {
    HWND player = nullptr;
    std::vector<HWND> boxes;
};

BOOL CALLBACK Collect(HWND window, LPARAM data) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != g_processId || !IsWindowVisible(window)) return TRUE;
    auto* found = reinterpret_cast<Found*>(data);
    const std::string name = ClassOf(window);
    if (name == "#32770") found->boxes.push_back(window);
    if (name.rfind("QIMDW", 0) == 0) found->player = window;
    return TRUE;
}

Found Look() {
    Found found;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK CollectText(HWND child, LPARAM data) {
    auto* text = reinterpret_cast<std::string*>(data);
    const std::string t = ClassOf(child) == "Static" ? TextOf(child) : "";
    if (!t.empty()) *text += (text->empty() ? "" : " ") + t;
    return TRUE;
}

// Each box is logged once; the dismissal may take a moment to close it.
void DismissBoxes() {
    static std::set<HWND> dismissed;
    for (HWND box : Look().boxes) {
        if (!dismissed.insert(box).second) continue;
        std::string text;
        EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        Log("box " + TextOf(box) + " | " + text);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
}

bool Running() {
    return WaitForSingleObject(g_process, 0) == WAIT_TIMEOUT;
}

// Answers messages and dismisses boxes for `ms` milliseconds (or until the player ends).
void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DismissBoxes();
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        const DWORD slice = ms - spent < 50 ? ms - spent : 50;
        if (MsgWaitForMultipleObjects(1, &g_process, FALSE, slice, QS_ALLINPUT) == WAIT_OBJECT_0)
            return;
    }
}

HWND PlayerWindow() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000 && Running()) {
        if (HWND window = Look().player) return window;
        Pump(50);
    }
    return Look().player;
}

void Shot(HWND window, const std::string& name) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const int width = client.right, height = client.bottom;
    const std::string title = TextOf(window);
    const size_t at = title.find("Frame: ");
    const int frame = at == std::string::npos ? -1 : std::atoi(title.c_str() + at + 7);
    if (FILE* out = std::fopen((name + ".req").c_str(), "w")) {
        std::fprintf(out, "frame %d %ld %ld %d %d\n", frame, origin.x, origin.y, width, height);
        std::fclose(out);
    }
    Log("shot " + name + " frame " + std::to_string(frame));
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    FILE* out = bitmap != nullptr ? std::fopen((name + ".ppm").c_str(), "wb") : nullptr;
    if (out != nullptr) {
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        std::fprintf(out, "P6\n%d %d\n255\n", width, height);
        const auto* pixels = static_cast<const uint8_t*>(bits);
        for (int i = 0; i < width * height; ++i) {
            const uint8_t rgb[3] = {pixels[4 * i + 2], pixels[4 * i + 1], pixels[4 * i]};
            std::fwrite(rgb, 1, 3, out);
        }
        std::fclose(out);
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void RunStep(const std::string& step) {
    const size_t colon = step.find(':');
    const std::string verb = step.substr(0, colon);
    const int value = colon == std::string::npos ? 0 : std::atoi(step.c_str() + colon + 1);
    if (verb == "wait" || verb == "exit") {
        Pump(static_cast<DWORD>(value));
        if (verb == "exit") Log(Running() ? "running" : "exited");
        return;
    }
    if (verb == "clock") return Log("clock " + std::to_string(GetTickCount() - g_started));
    const HWND player = PlayerWindow();
    if (player == nullptr) return Log("no window for " + step);
    RECT client{}, frame{};
    GetClientRect(player, &client);
    GetWindowRect(player, &frame);
    if (verb == "window") {
        Log("window " + std::to_string(client.right) + " " + std::to_string(client.bottom) +
            " at " + std::to_string(frame.left) + " " + std::to_string(frame.top) + " " +
            std::to_string(frame.right) + " " + std::to_string(frame.bottom));
    } else if (verb == "key") {
        PostMessageA(player, WM_KEYDOWN, static_cast<WPARAM>(value), 1);
    } else if (verb == "char") {
        PostMessageA(player, WM_CHAR, static_cast<WPARAM>(value), 1);
    } else if (verb == "click2") {
        const LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
        for (int i = 0; i < 2; ++i) {
            PostMessageA(player, WM_LBUTTONDOWN, MK_LBUTTON, centre);
            PostMessageA(player, WM_LBUTTONUP, 0, centre);
        }
    } else if (verb == "size") {
        const int width = value, height = std::atoi(step.c_str() + step.find('x') + 1);
        SetWindowPos(player, nullptr, 0, 0, frame.right - frame.left + width - client.right,
                     frame.bottom - frame.top + height - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (verb == "title") {
        Log("title " + TextOf(player));
    } else if (verb == "shot") {
        Shot(player, step.substr(colon + 1));
    } else {
        Log("unknown step " + step);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string logPath, script;
    DWORD timeout = 60000;
    bool alone = false;
    int first = 1;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
        const std::string option = argv[first];
        if (option == "--alone") {
            alone = true;
            continue;
        }
        if (first + 1 >= argc) break;
        const char* value = argv[++first];
        if (option == "--log") logPath = value;
        if (option == "--answer") g_answer = std::atoi(value);
        if (option == "--script") script = value;
        if (option == "--timeout") timeout = static_cast<DWORD>(std::atoi(value));
    }
    if (logPath.empty() || first >= argc || (g_log = std::fopen(logPath.c_str(), "w")) == nullptr) {
        std::fprintf(stderr,
                     "usage: tavik-wine-driver --log FILE [--alone] [--answer N] [--script STEPS] "
                     "[--timeout MS] PLAYER [ARGS...]\n");
        return 2;
    }
    std::string commandLine = "\"" + std::string(argv[first]) + "\"";
    if (!alone) {
        WNDCLASSA driverClass{};
        driverClass.lpfnWndProc = DriverWindowProc;
        driverClass.hInstance = GetModuleHandleA(nullptr);
        driverClass.lpszClassName = "TavikWineDriver";
        RegisterClassA(&driverClass);
        const HWND window = CreateWindowExA(0, "TavikWineDriver", "Tavik for Windows - test driver",
                                            WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                            driverClass.hInstance, nullptr);
        commandLine += " /#" + std::to_string(reinterpret_cast<uintptr_t>(window));
    }
    for (int i = first + 1; i < argc; ++i) commandLine += std::string(" ") + argv[i];
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &started)) {
        Log("cannot start " + std::string(argv[first]));
        return 1;
    }
    g_process = started.hProcess;
    g_processId = started.dwProcessId;
    Log("started");
    for (size_t at = 0; at < script.size();) {
        size_t end = script.find(',', at);
        if (end == std::string::npos) end = script.size();
        RunStep(script.substr(at, end - at));
        at = end + 1;
    }
    Pump(timeout);
    if (Running()) {
        Log("killed");
        TerminateProcess(g_process, 1);
    }
    DWORD code = 0;
    GetExitCodeProcess(g_process, &code);
    Log("end " + std::to_string(code));
    std::fclose(g_log);
    return 0;
}
